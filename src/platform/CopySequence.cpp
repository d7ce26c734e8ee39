#include "platform/CopySequence.h"

#include "platform/CopyPolicy.h"
#include "platform/IoWorker.h"
#include "platform/SystemFailure.h"

#include <QScopeGuard>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <new>
#include <optional>
#include <xxhash.h>
#ifdef QEL_XXH_DISPATCH
#include <xxh_x86dispatch.h>
#endif

namespace qel {

namespace {

// Copies are kept open from their copy to their rename; a batch this size
// bounds the handles held at once.
constexpr std::size_t kMaxPending = 128;
constexpr std::size_t kBufferSize = 2 << 20;
// Reads that bypass the cache start, and are as long as, whole blocks of this size.
constexpr std::size_t kBlock = 4096;
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

// A copy this large is made durable and read back at once, while its source
// is read again beside it (they are on different devices in real use); the
// smaller ones wait for one flush of their whole batch.
constexpr std::int64_t kCheckAtOnceFrom = std::int64_t(8) << 20;

// Holes read as zeros.
constexpr std::array<char, 1 << 16> kZeros{};

std::size_t wholeBlocks(std::size_t length) {
    return (length + kBlock - 1) & ~(kBlock - 1);
}

struct AlignedBuffer {
    AlignedBuffer()
        : data(static_cast<char*>(::operator new(kBufferSize, std::align_val_t(kBlock)))) {}
    ~AlignedBuffer() { ::operator delete(data, std::align_val_t(kBlock)); }
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;
    char* data;
};

class Hash {
public:
    Hash()
        : m_state(XXH3_createState()) {
        if (!m_state)
            throw std::bad_alloc();
    }
    ~Hash() { XXH3_freeState(m_state); }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;

    void reset() { XXH3_64bits_reset(m_state); }
    void add(const char* data, std::size_t length) { XXH3_64bits_update(m_state, data, length); }
    void addZeros(std::int64_t count) {
        for (; count > 0; count -= std::int64_t(kZeros.size()))
            add(kZeros.data(), std::size_t(std::min<std::int64_t>(count, kZeros.size())));
    }
    XXH64_hash_t digest() const { return XXH3_64bits_digest(m_state); }

private:
    XXH3_state_t* m_state;
};

// Thrown while a file is written when the disk is full.
struct OutOfRoom {
    std::int64_t written; // how much of the file the disk took
    bool forEntry;        // no room for the file's name, not its data
};

struct Pending {
    std::unique_ptr<CopyIo::File> file;
    QByteArray tempName;
    const CopyItem* item = nullptr;
    FileStatus source;         // as copied
    XXH64_hash_t checksum = 0; // of the source's bytes, holes as zeros
    bool verified = false;     // read back from the medium already
};

// What a copy on the medium must read back as.
struct Expected {
    const QByteArray* name = nullptr; // nullptr: read back already
    std::int64_t size = 0;
    XXH64_hash_t checksum = 0;
    const CopyItem* item = nullptr;
};

// Copies are read back on this many threads at once: a medium serves reads
// side by side faster than one after another. A batch of fewer than
// kReadersFrom is read in order on one: handing it out costs more than it saves.
constexpr std::size_t kReaders = 3;
constexpr std::size_t kReadersFrom = 12;

} // namespace

struct CopyBuffers {
    AlignedBuffer data;
    AlignedBuffer other; // the second of two blocks in flight
    Hash hash;
    Hash otherHash;
    // Reads ahead and writes behind the thread that hashes.
    IoWorker ahead;
    // For the source read again beside the copy's read-back.
    AlignedBuffer again;
    Hash againHash;
    IoWorker beside;
};

namespace {

// Hashes file's bytes up to size into hash, holes as zeros; returns how many
// there were. With a worker and a second buffer the next block is read while
// one is hashed.
std::int64_t hashFile(CopyIo::File& file, std::int64_t size, Hash& hash, char* first,
                      char* second, IoWorker* worker) {
    hash.reset();
    char* buffers[2] = {first, second ? second : first};
    const bool ahead = worker && second;
    std::int64_t done = 0;
    while (done < size) {
        const auto [start, end] = file.nextData(done, size);
        hash.addZeros(start - done);
        done = start;
        const auto readAt = [&file, end = end](char* buffer, std::int64_t at) {
            const auto left = std::size_t(std::min<std::int64_t>(end - at, kBufferSize));
            return std::min(file.read(buffer, wholeBlocks(left), at), left);
        };
        IoJob<std::size_t> next;
        for (int b = 0; done < end; b ^= 1) {
            const std::size_t n = next.valid() ? next.get() : readAt(buffers[b], done);
            if (n == 0)
                break;
            const std::int64_t following = done + std::int64_t(n);
            if (ahead && following < end)
                next = worker->run([&readAt, buffer = buffers[b ^ 1], following] {
                    return readAt(buffer, following);
                });
            hash.add(buffers[b], n);
            done = following;
        }
        if (done < end)
            break; // shorter than it says
    }
    return done;
}

// One call's copies, and those waiting for their flush and rename.
class Step {
public:
    Step(CopyIo& io, CopyBuffers& buffers, const QString& dosTargetDir, bool overwrite,
         const std::function<void()>& checkMedium)
        : m_io(io)
        , m_buffers(buffers)
        , m_hash(buffers.hash)
        , m_dosTargetDir(dosTargetDir)
        , m_overwrite(overwrite)
        , m_checkMedium(checkMedium) {}

    int run(const std::vector<CopyItem>& items);

private:
    void checkCaseCollisions(const std::vector<CopyItem>& items);
    bool copyItem(const CopyItem& item);
    bool copyOne(const CopyItem& item);
    bool alreadyThere(CopyIo::File& in, const FileStatus& source, const FileStatus& target,
                      const CopyItem& item);
    Pending& createTemp(const CopyItem& item, const FileStatus& source);
    // False when the source gave fewer bytes than size.
    bool copyData(CopyIo::File& in, CopyIo::File& out, std::int64_t size);
    std::int64_t copyRegion(CopyIo::File& in, CopyIo::File& out, std::int64_t offset,
                            std::int64_t length);
    void writeAll(CopyIo::File& out, const char* data, std::size_t length, std::int64_t at);
    // Reads the source again beside the copy's read-back from the medium.
    void checkAtOnce(CopyIo::File& in, Pending& copy);
    // Whether in, read again, still gives the bytes its copy was made of.
    static bool heldStill(CopyIo::File& in, const Pending& copy, Hash& hash, char* first,
                          char* second, IoWorker* worker);
    // 57 unless the copy, read afresh from the medium, is as expected.
    void verify(const Expected& copy, Hash& hash, char* first, char* second, IoWorker* worker);
    // The first of count copies (nth gives each) that does not read back as
    // expected, with its error.
    std::optional<std::pair<std::size_t, Error>>
    firstBadCopy(std::size_t count, const std::function<Expected(std::size_t)>& nth);
    void commit();
    void discard(std::size_t from);

    CopyIo& m_io;
    CopyBuffers& m_buffers;
    Hash& m_hash;
    const QString& m_dosTargetDir;
    const bool m_overwrite;
    const std::function<void()>& m_checkMedium;
    VolumeFacts m_volume;
    std::vector<Pending> m_pending;
    // Copies put in place by this call, read again at its end where a rename
    // can touch file data.
    std::vector<Expected> m_placed;
    std::int64_t m_freeRoom = -1; // bytes not claimed by pending copies; -1: not known
    bool m_roomIsShort = false;
    // The file being copied, for the message when it does not fit.
    std::int64_t m_size = 0;
    std::int64_t m_written = 0;
    bool m_replacing = false;
};

int Step::run(const std::vector<CopyItem>& items) {
    m_io.removeStaleTemps();
    m_volume = m_io.volume();
    // Whatever way we leave, no temporary file of ours stays behind.
    const auto discardAll = qScopeGuard([&] { discard(0); });
    checkCaseCollisions(items);
    m_freeRoom = m_io.freeBytes();

    int regular = 0;
    for (const CopyItem& item : items) {
        try {
            if (copyItem(item))
                ++regular;
        } catch (...) {
            // The files before this one are whole: keep them, as a copy that
            // stops at its first failing file would. If that fails as well, the
            // first failure is what the user must see; the old copies stay.
            try {
                commit();
            } catch (...) {
            }
            throw;
        }
        if (m_pending.size() >= kMaxPending || m_roomIsShort)
            commit();
    }
    commit();
    // Some FAT drivers write a renamed file's directory entries over data of
    // its neighbours, and a file system whose flush is not thorough may lose
    // what it said it had: only copies still whole after every rename count.
    if (m_volume.fat || !m_volume.syncIsThorough) {
        const auto bad =
            firstBadCopy(m_placed.size(), [&](std::size_t i) { return m_placed[i]; });
        if (bad)
            throw bad->second;
    }
    return regular;
}

void Step::checkCaseCollisions(const std::vector<CopyItem>& items) {
    std::vector<QString> names;
    names.reserve(items.size());
    for (const CopyItem& item : items)
        names.push_back(item.dosTarget);
    const auto pair = caseCollision(
        names, [&](std::size_t i) { return m_io.sourceIsFile(items[i].sourceName); });
    // The destination is asked only now: most steps have no such pair.
    if (pair && m_io.foldsCase())
        throw caseCollisionError(items[pair->first].dosSource, items[pair->second].dosSource,
                                 m_dosTargetDir);
}

bool Step::copyItem(const CopyItem& item) {
    const auto copyOnce = [&] {
        try {
            return copyOne(item);
        } catch (...) {
            if (!m_pending.empty() && m_pending.back().item == &item)
                discard(m_pending.size() - 1);
            throw;
        }
    };
    for (;;) {
        try {
            return copyHoldingStill(item.dosSource, copyOnce);
        } catch (const OutOfRoom& room) {
            if (m_pending.empty())
                throw room.forEntry ? noEntryError(m_dosTargetDir, item.dosTarget, m_replacing)
                                    : noRoomError(item.dosTarget, m_size - room.written,
                                                  m_replacing);
            // The pending copies' old versions give their room back once renamed.
            m_roomIsShort = true;
            commit();
        }
    }
}

bool Step::copyOne(const CopyItem& item) {
    const std::unique_ptr<CopyIo::File> in = m_io.openSource(item.sourceName, item.dosSource);
    if (!in)
        return false;
    FileStatus source = in->version();
    if (!source.isRegular())
        return false;

    const FileStatus existing = m_io.targetStatus(item.targetName, item.dosTarget);
    m_replacing = false;
    if (existing.type != FileStatus::Type::Missing) {
        if (existing.type == FileStatus::Type::Folder)
            throw folderInTheWayError(item.dosTarget);
        if (!m_overwrite)
            throw Error(err::FileAlreadyExists);
        // Which file the source is, asked only where a target could be it.
        source = in->status();
        // Copying a file onto itself would truncate the only copy.
        if (existing.sameFileAs(source) || alreadyThere(*in, source, existing, item))
            return true;
        m_replacing = true;
    }
    if (m_volume.fatSizeLimit && source.size > kFatLargestFile)
        throw tooLargeForFatError(item.dosSource, m_dosTargetDir);
    // Its temporary name is an 8.3 one, so FAT's rules are asked here,
    // before any data is written.
    if (m_volume.fat && !fatHoldsName(QString::fromUtf8(item.targetName), m_volume.asciiNames))
        throw nameRefusedError(item.dosSource, m_dosTargetDir);

    m_size = source.size;
    if (m_freeRoom >= 0) {
        // When the copies waiting for their rename leave too little room,
        // they go first and their old versions make room.
        if (missingRoom(source.size, m_freeRoom) > 0 && !m_pending.empty())
            commit();
        // FAT says its room exactly and compresses nothing: what cannot fit
        // is not written at all (and some FAT drivers say "not permitted"
        // when they are full).
        const std::int64_t missing = missingRoom(source.size, m_freeRoom);
        if (m_volume.fat && missing > 0)
            throw noRoomError(item.dosTarget, missing, m_replacing);
        if (m_freeRoom >= 0)
            m_freeRoom -= roomFor(source.size);
    }

    Pending& copy = createTemp(item, source);
    const bool whole = copyData(*in, *copy.file, source.size);
    copy.checksum = m_hash.digest();
    if (!source.sameVersionAs(in->version()))
        throw SourceChanged{};
    if (!whole)
        throw sourceShortError(item.dosSource);
    copy.file->setTimes(source);
    if (source.size >= kCheckAtOnceFrom) {
        checkAtOnce(*in, copy);
        return true;
    }
    if (!heldStill(*in, copy, m_hash, m_buffers.data.data, m_buffers.other.data,
                   &m_buffers.ahead))
        throw SourceChanged{};
    return true;
}

bool Step::heldStill(CopyIo::File& in, const Pending& copy, Hash& hash, char* first,
                     char* second, IoWorker* worker) {
    // A writer may change a file without its size or times (a mapped view, or
    // a time set only when it closes): the copy is a version the file really
    // had only if its bytes are still those read.
    return hashFile(in, copy.source.size, hash, first, second, worker) == copy.source.size &&
           hash.digest() == copy.checksum;
}

void Step::checkAtOnce(CopyIo::File& in, Pending& copy) {
    copy.file->flush();
    IoJob<bool> source = m_buffers.beside.run([&] {
        return heldStill(in, copy, m_buffers.againHash, m_buffers.again.data, nullptr, nullptr);
    });
    std::exception_ptr readBack;
    try {
        verify({&copy.tempName, copy.source.size, copy.checksum, copy.item}, m_hash,
               m_buffers.data.data, m_buffers.other.data, &m_buffers.ahead);
    } catch (...) {
        readBack = std::current_exception();
    }
    // A source that changed is copied again, whatever its copy read back.
    if (!source.get())
        throw SourceChanged{};
    if (readBack)
        std::rethrow_exception(readBack);
    copy.verified = true;
}

bool Step::alreadyThere(CopyIo::File& in, const FileStatus& source, const FileStatus& target,
                        const CopyItem& item) {
    if (!target.isRegular() || target.size != source.size ||
        !sameTimeOnDisk(source.modified, target.modified, kNanosecondsPerSecond))
        return false;
    // Anything unreadable or different is simply copied, as if it were not there.
    try {
        const std::unique_ptr<CopyIo::File> out = m_io.readBack(item.targetName, item.dosTarget);
        for (std::int64_t offset = 0; offset < source.size;) {
            const std::size_t n = in.read(m_buffers.data.data, kBufferSize, offset);
            if (n == 0 || out->read(m_buffers.other.data, wholeBlocks(n), offset) < n ||
                std::memcmp(m_buffers.data.data, m_buffers.other.data, n) != 0)
                return false;
            offset += std::int64_t(n);
        }
        return source.sameVersionAs(in.version());
    } catch (const SystemFailure&) {
        return false;
    }
}

Pending& Step::createTemp(const CopyItem& item, const FileStatus& source) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = tempFileName(item.targetName, m_volume.fat, kLongestName);
        std::unique_ptr<CopyIo::File> file;
        try {
            file = m_io.createTemp(name, source, item.dosTarget);
        } catch (const SystemFailure& failure) {
            if (failure.trouble == Trouble::NameRefused)
                throw nameRefusedError(item.dosSource, m_dosTargetDir);
            if (failure.trouble == Trouble::OutOfRoom)
                throw OutOfRoom{0, true};
            throw;
        }
        if (file) {
            m_pending.push_back({std::move(file), std::move(name), &item, source, 0});
            return m_pending.back();
        }
    }
    throw Error(err::FileAlreadyExists);
}

bool Step::copyData(CopyIo::File& in, CopyIo::File& out, std::int64_t size) {
    // Only the data regions are copied, so a sparse file stays sparse and
    // costs nothing for its holes.
    m_hash.reset();
    m_written = 0;
    std::int64_t position = 0;
    std::int64_t hashed = 0; // where the copied data ends
    while (position < size) {
        const auto [start, end] = in.nextData(position, size);
        if (start >= size)
            break;
        m_hash.addZeros(start - hashed);
        const std::int64_t copied = copyRegion(in, out, start, end - start);
        hashed = start + copied;
        if (copied < end - start)
            return false; // the source ended early: it shrank, or it cannot be read
        position = end;
    }
    m_hash.addZeros(size - hashed);
    // Only a file that ends in a hole needs its size set.
    if (hashed < size && !out.extendTo(size)) {
        for (std::int64_t at = hashed; at < size; at += std::int64_t(kZeros.size()))
            writeAll(out, kZeros.data(), std::size_t(std::min<std::int64_t>(size - at, kZeros.size())),
                     at);
    }
    return true;
}

std::int64_t Step::copyRegion(CopyIo::File& in, CopyIo::File& out, std::int64_t offset,
                              std::int64_t length) {
    // While one block is written, the next is read and hashed: the device
    // need not wait for either.
    char* buffers[2] = {m_buffers.data.data, m_buffers.other.data};
    IoJob<void> writing;
    std::int64_t done = 0;
    for (int b = 0; done < length; b ^= 1) {
        char* buffer = buffers[b];
        const auto want = std::size_t(std::min<std::int64_t>(length - done, kBufferSize));
        const std::size_t n = std::min(in.read(buffer, want, offset + done), want);
        if (n == 0)
            break;
        // What was read is what the copy on the disk must give back.
        m_hash.add(buffer, n);
        if (writing.valid())
            writing.get();
        const std::int64_t at = offset + done;
        done += std::int64_t(n);
        if (done < length)
            writing = m_buffers.ahead.run(
                [this, &out, buffer, n, at] { writeAll(out, buffer, n, at); });
        else
            writeAll(out, buffer, n, at); // a small file needs no second thread
    }
    if (writing.valid())
        writing.get();
    return done;
}

void Step::writeAll(CopyIo::File& out, const char* data, std::size_t length, std::int64_t at) {
    const std::size_t n = out.write(data, length, at);
    m_written += std::int64_t(n);
    if (n < length)
        throw OutOfRoom{m_written, false};
}

void Step::verify(const Expected& copy, Hash& hash, char* first, char* second,
                  IoWorker* worker) {
    const std::unique_ptr<CopyIo::File> file = m_io.readBack(*copy.name, copy.item->dosTarget);
    if (hashFile(*file, file->version().size, hash, first, second, worker) != copy.size ||
        hash.digest() != copy.checksum)
        throw copyMismatchError(copy.item->dosSource, m_dosTargetDir);
}

std::optional<std::pair<std::size_t, Error>>
Step::firstBadCopy(std::size_t count, const std::function<Expected(std::size_t)>& nth) {
    struct Reader {
        char* buffer;
        Hash& hash;
    };
    const Reader readers[kReaders] = {{m_buffers.data.data, m_hash},
                                      {m_buffers.other.data, m_buffers.otherHash},
                                      {m_buffers.again.data, m_buffers.againHash}};
    // No reader goes past a copy known to be bad; every one before it is read.
    std::atomic<std::size_t> stopAt{count};
    std::optional<std::pair<std::size_t, Error>> bad[kReaders];
    const auto read = [&](std::size_t reader, std::size_t stride) {
        for (std::size_t i = reader; i < stopAt.load(); i += stride) {
            const Expected copy = nth(i);
            if (!copy.name)
                continue;
            try {
                verify(copy, readers[reader].hash, readers[reader].buffer, nullptr, nullptr);
                continue;
            } catch (const Error& e) {
                bad[reader].emplace(i, e);
            } catch (const SystemFailure& f) {
                bad[reader].emplace(i, describe(f));
            }
            for (std::size_t at = stopAt.load(); i < at && !stopAt.compare_exchange_weak(at, i);)
                ;
            return;
        }
    };
    if (count < kReadersFrom) {
        read(0, 1);
    } else {
        IoJob<void> second = m_buffers.ahead.run([&] { read(1, kReaders); });
        IoJob<void> third = m_buffers.beside.run([&] { read(2, kReaders); });
        read(0, kReaders);
        second.get();
        third.get();
    }
    std::optional<std::pair<std::size_t, Error>> first;
    for (const auto& b : bad)
        if (b && (!first || b->first < first->first))
            first = b;
    return first;
}

void Step::commit() {
    if (m_pending.empty())
        return;
    std::vector<CopyIo::File*> files;
    files.reserve(m_pending.size());
    for (const Pending& p : m_pending)
        files.push_back(p.file.get());
    m_io.makeDurable(files);

    const auto bad = firstBadCopy(m_pending.size(), [&](std::size_t i) {
        const Pending& copy = m_pending[i];
        if (copy.verified)
            return Expected{};
        return Expected{&copy.tempName, copy.source.size, copy.checksum, copy.item};
    });
    if (bad) {
        // The copies before the bad one are good: they go in, as a copy that
        // stops at its first failing file would; the rest keep their old copy.
        discard(bad->first);
    }
    // Renamed files are done; on failure the rest stay pending and are removed.
    std::size_t renamed = 0;
    const auto dropRenamed = qScopeGuard([&] {
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(renamed));
    });
    for (; renamed < m_pending.size(); ++renamed) {
        const Pending& p = m_pending[renamed];
        m_checkMedium();
        try {
            m_io.rename(p.tempName, p.item->targetName, p.item->dosTarget);
        } catch (const SystemFailure& f) {
            switch (f.trouble) {
            case Trouble::NameRefused:
                throw nameRefusedError(p.item->dosSource, m_dosTargetDir);
            case Trouble::OutOfRoom: // a FAT folder that is full
                throw noEntryError(m_dosTargetDir, p.item->dosTarget, true);
            case Trouble::Refused:
                throw renameRefusedError(p.item->dosTarget, f.systemText);
            default:
                throw;
            }
        }
        m_placed.push_back({&p.item->targetName, p.source.size, p.checksum, p.item});
    }
    m_io.syncFolder();
    m_freeRoom = m_io.freeBytes();
    if (bad)
        throw bad->second;
}

void Step::discard(std::size_t from) {
    // Closed first: through FUSE an open file that is unlinked only becomes a
    // hidden file, and a FAT served that way is left with lost clusters.
    for (std::size_t i = from; i < m_pending.size(); ++i)
        m_pending[i].file.reset();
    for (std::size_t i = from; i < m_pending.size(); ++i)
        m_io.remove(m_pending[i].tempName);
    m_pending.erase(m_pending.begin() + std::ptrdiff_t(from), m_pending.end());
}

} // namespace

CopySequence::CopySequence()
    : m_buffers(std::make_unique<CopyBuffers>()) {}

CopySequence::~CopySequence() = default;

int CopySequence::copy(CopyIo& io, const QString& dosTargetDir, const std::vector<CopyItem>& items,
                       bool overwrite, const std::function<void()>& checkMedium) {
    try {
        return Step(io, *m_buffers, dosTargetDir, overwrite, checkMedium).run(items);
    } catch (const SystemFailure& failure) {
        throw describe(failure);
    }
}

} // namespace qel
