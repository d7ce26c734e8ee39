#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>

namespace qel {

// One stored value: its type code and its raw bytes (text as UTF-8 with its
// terminating NUL, numbers little-endian), as the classic registry keeps them.
struct RegValue {
    std::uint32_t type = 0;
    QByteArray data;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// The keys and values of a registry export file in the REGEDIT4 format
// ("REGEDIT4" or "Windows Registry Editor Version 5.00" header, [key] and
// [-key] lines, "name"= or @= with a string, dword:, hex: or hex(N): data).
// Key paths include their root ("HKEY_LOCAL_MACHINE\SOFTWARE\..."; "HKLM"
// is the same root); key and value names match without regard to case.
class RegFile final {
public:
    // Never fails: a text without a known header is an empty store, and a
    // line that cannot be read (bad syntax, unknown type, cut short) is
    // skipped and counted; duplicate keys merge, a later value wins.
    static RegFile parse(QByteArrayView text);

    // Whether the key exists: named in a [key] line, or an ancestor of one
    // (found by a scan, which costs less than parsing the store did).
    bool hasKey(const QString& keyPath) const;
    // The key's values by case-folded name ("" is the default value);
    // nullopt when the key does not exist.
    std::optional<QHash<QString, RegValue>> values(const QString& keyPath) const;
    std::optional<RegValue> value(const QString& keyPath, const QString& name) const;

    bool hasHeader() const { return m_header; }
    int skippedLines() const { return m_skipped; }

    // The form key paths are compared in: components without empty ones,
    // the root's long name, case-folded.
    static QString normalizedPath(QString keyPath);

private:
    QHash<QString, QHash<QString, RegValue>> m_keys;
    bool m_header = false;
    int m_skipped = 0;

    friend class RegFileParser;
};

} // namespace qel
