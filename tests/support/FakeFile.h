#pragma once

#include "platform/FileSystemObject.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

namespace qel::test {

// A looked-up file whose items are set one by one; reading an item left unset
// throws the Error that unreadableNumber names, as a file system that keeps
// no birth time does for DateCreated.
struct FileFacts {
    std::optional<QDateTime> created;
    std::optional<QDateTime> lastAccessed;
    std::optional<QDateTime> lastModified;
    std::optional<QString> drivePath;
    std::optional<std::int64_t> size;
    std::optional<QString> path;
    std::optional<QString> shortName;
    int unreadableNumber = 5; // "Invalid procedure call or argument"
};

class FakeFile final : public File {
public:
    explicit FakeFile(FileFacts facts)
        : m_facts(std::move(facts)) {}

    QDateTime DateCreated() const override { return get(m_facts.created); }
    QDateTime DateLastAccessed() const override { return get(m_facts.lastAccessed); }
    QDateTime DateLastModified() const override { return get(m_facts.lastModified); }
    QString DrivePath() const override { return get(m_facts.drivePath); }
    std::int64_t Size() const override { return get(m_facts.size); }
    QString Path() const override { return get(m_facts.path); }
    QString ShortName() const override { return get(m_facts.shortName); }

private:
    template <typename T> T get(const std::optional<T>& item) const {
        if (!item)
            throwUnreadable();
        return *item;
    }
    [[noreturn]] void throwUnreadable() const;

    FileFacts m_facts;
};

} // namespace qel::test
