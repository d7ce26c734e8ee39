#include "FailingCopyIo.h"

#include "platform/FileSystemObjectBase.h"

#include <algorithm>

namespace qel::test {

namespace {

SystemFailure failure(Trouble trouble, const QString& path) {
    const int number = trouble == Trouble::DeviceIo ? err::DeviceIOError : err::PathFileAccessError;
    return {number, trouble, IoSide::Destination, path, QStringLiteral("operation not permitted")};
}

class FailingFile final : public CopyIo::File {
public:
    enum class Kind { Source, Temp, ReadBack };
    FailingFile(std::unique_ptr<CopyIo::File> real, FailingCopyIo& faults, Kind kind,
                bool struck = true)
        : m_real(std::move(real))
        , m_faults(faults)
        , m_readBack(kind == Kind::ReadBack && struck)
        , m_source(kind == Kind::Source) {}

    CopyIo::File& real() { return *m_real; }

    std::size_t read(char* data, std::size_t length, std::int64_t offset) override {
        if (m_source && offset == 0 && ++m_startsAtZero == 2 && m_faults.atSourceReadAgain) {
            const auto hook = std::move(m_faults.atSourceReadAgain);
            m_faults.atSourceReadAgain = nullptr;
            hook();
        }
        const std::size_t n = m_real->read(data, length, offset);
        if (m_readBack && m_faults.corruptReadBack && n > 0)
            data[n / 2] ^= 0x10;
        return n;
    }
    // Goes on after a part, as a real write of the rest would, so the limit
    // (or its hook) is met between two writes.
    std::size_t write(const char* data, std::size_t length, std::int64_t offset) override {
        std::size_t written = 0;
        while (written < length) {
            const std::size_t allowed = m_faults.allowance(length - written);
            if (allowed == 0)
                break;
            const std::size_t n = m_real->write(data + written, allowed, offset + written);
            m_faults.bytesWritten += (long long)n;
            written += n;
            if (n < allowed)
                break;
        }
        return written;
    }
    FileStatus status() override { return m_real->status(); }
    FileStatus version() override { return m_real->version(); }
    std::pair<std::int64_t, std::int64_t> nextData(std::int64_t offset, std::int64_t size) override {
        return m_real->nextData(offset, size);
    }
    bool extendTo(std::int64_t size) override { return m_real->extendTo(size); }
    void setTimes(const FileStatus& source) override { m_real->setTimes(source); }
    void flush() override {
        if (m_faults.durableFailure)
            throw failure(*m_faults.durableFailure, QStringLiteral("the destination"));
        m_real->flush();
    }

private:
    std::unique_ptr<CopyIo::File> m_real;
    FailingCopyIo& m_faults;
    bool m_readBack;
    bool m_source;
    int m_startsAtZero = 0;
};

class FailingIo final : public CopyIo {
public:
    FailingIo(std::unique_ptr<CopyIo> real, FailingCopyIo& faults)
        : m_real(std::move(real))
        , m_faults(faults) {}

    VolumeFacts volume() override { return m_real->volume(); }
    bool foldsCase() override { return m_real->foldsCase(); }
    std::int64_t freeBytes() override { return m_real->freeBytes(); }
    bool sourceIsFile(const QByteArray& name) override { return m_real->sourceIsFile(name); }
    std::unique_ptr<File> openSource(const QByteArray& name, const QString& dosPath) override {
        return wrap(m_real->openSource(name, dosPath), FailingFile::Kind::Source);
    }
    FileStatus targetStatus(const QByteArray& name, const QString& dosPath) override {
        return m_real->targetStatus(name, dosPath);
    }
    std::unique_ptr<File> createTemp(const QByteArray& name, const FileStatus& source,
                                     const QString& dosTarget) override {
        return wrap(m_real->createTemp(name, source, dosTarget), FailingFile::Kind::Temp);
    }
    void makeDurable(const std::vector<File*>& temps) override {
        ++m_faults.durableCalls;
        if (m_faults.durableFailure)
            throw failure(*m_faults.durableFailure, QStringLiteral("the destination"));
        std::vector<File*> real;
        for (File* temp : temps)
            real.push_back(&static_cast<FailingFile*>(temp)->real());
        m_real->makeDurable(real);
    }
    std::unique_ptr<File> readBack(const QByteArray& name, const QString& dosPath) override {
        // A temporary name ends in its target's.
        const bool struck = m_faults.onlyReadBackOf.isEmpty() ||
                            name.endsWith('-' + m_faults.onlyReadBackOf) ||
                            name == m_faults.onlyReadBackOf;
        if (struck && m_faults.readBackFailure) {
            SystemFailure f = failure(*m_faults.readBackFailure, dosPath);
            f.readingBack = true;
            throw f;
        }
        std::unique_ptr<File> real = m_real->readBack(name, dosPath);
        return std::make_unique<FailingFile>(std::move(real), m_faults, FailingFile::Kind::ReadBack,
                                             struck);
    }
    void rename(const QByteArray& from, const QByteArray& to, const QString& dosTarget) override {
        if (m_faults.renameFailure)
            throw failure(*m_faults.renameFailure, dosTarget);
        m_real->rename(from, to, dosTarget);
    }
    void remove(const QByteArray& name) override { m_real->remove(name); }
    void syncFolder() override {
        ++m_faults.folderSyncs;
        m_real->syncFolder();
    }
    void removeStaleTemps() override { m_real->removeStaleTemps(); }

private:
    std::unique_ptr<File> wrap(std::unique_ptr<File> file, FailingFile::Kind kind) {
        if (!file)
            return nullptr;
        return std::make_unique<FailingFile>(std::move(file), m_faults, kind);
    }

    std::unique_ptr<CopyIo> m_real;
    FailingCopyIo& m_faults;
};

} // namespace

void FailingCopyIo::attach(FileSystemObjectBase& fso) {
    fso.wrapCopyIo([this](std::unique_ptr<CopyIo> real) -> std::unique_ptr<CopyIo> {
        return std::make_unique<FailingIo>(std::move(real), *this);
    });
}

std::size_t FailingCopyIo::allowance(std::size_t length) {
    if (failAfterBytes < 0)
        return length;
    const long long left = failAfterBytes - bytesWritten;
    if (left > 0)
        return std::size_t(std::min<long long>(left, (long long)length));
    if (atLimit) {
        const auto hook = std::move(atLimit);
        atLimit = nullptr;
        hook();
        return length;
    }
    return 0;
}

} // namespace qel::test
