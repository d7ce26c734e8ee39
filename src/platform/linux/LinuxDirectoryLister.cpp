#include "platform/linux/LinuxDirectoryLister.h"

#include "platform/DosNames.h"
#include "platform/Drives.h"
#include "platform/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace qel {

namespace {

int errorNumberFor(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return err::PathNotFound;
    case EACCES:
    case EPERM:
        return err::PermissionDenied;
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV:
        return err::DeviceUnavailable;
    case EIO:
        return err::DeviceIOError;
    default:
        return err::PathFileAccessError;
    }
}

// Closes the listing on every way out.
class DirHandle final {
public:
    explicit DirHandle(DIR* dir)
        : m_dir(dir) {}
    ~DirHandle() {
        if (m_dir)
            ::closedir(m_dir);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

} // namespace

LinuxDirectoryLister::LinuxDirectoryLister(const Drives& drives)
    : m_drives(drives) {}

QStringList LinuxDirectoryLister::subFolders(const QString& dosDir) const {
    return list(dosDir, Kind::Folders);
}

QStringList LinuxDirectoryLister::files(const QString& dosDir) const {
    return list(dosDir, Kind::Files);
}

QStringList LinuxDirectoryLister::list(const QString& dosDir, Kind kind) const {
    const QByteArray host = m_drives.toHostPath(dosDir);
    DirHandle dir(::opendir(host.constData()));
    if (!dir.get())
        throw Error(errorNumberFor(errno));
    const int fd = ::dirfd(dir.get());

    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw Error(errorNumberFor(errno));
            break;
        }
        if (entry->d_name[0] == '.')
            continue; // hidden, and "." / ".."
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // Only links and file systems without types cost a stat; a link
            // counts as what it points to, and a dangling one as nothing.
            struct stat st;
            if (::fstatat(fd, entry->d_name, &st, 0) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type != (kind == Kind::Folders ? DT_DIR : DT_REG))
            continue;
        names.append(hostNameToDos(
            QByteArray::fromRawData(entry->d_name, qsizetype(strlen(entry->d_name)))));
    }
    sortDosNames(names);
    return names;
}

void sortDosNames(QStringList& names) {
    // The folded keys lie side by side in one buffer, and each carries the
    // four characters after the prefix all keys share packed in one integer,
    // so most comparisons of a large folder touch no string at all.
    struct Key {
        quint64 head;
        quint32 offset;
        quint32 length;
        quint32 index;
    };
    std::u16string keys;
    std::vector<Key> order;
    order.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        const auto offset = quint32(keys.size());
        bool ascii = true;
        for (QChar c : name) {
            char16_t u = c.unicode();
            if (u >= 0x80) {
                ascii = false;
                break;
            }
            if (u >= u'A' && u <= u'Z')
                u += u'a' - u'A';
            keys.push_back(u);
        }
        if (!ascii) {
            keys.resize(offset);
            const QString folded = name.toCaseFolded();
            keys.append(reinterpret_cast<const char16_t*>(folded.utf16()), folded.size());
        }
        order.push_back({0, offset, quint32(keys.size() - offset), quint32(i)});
    }

    const std::u16string_view all(keys);
    const auto keyOf = [&](const Key& k) { return all.substr(k.offset, k.length); };
    std::size_t shared = order.empty() ? 0 : order.front().length;
    for (const Key& k : order) {
        const auto a = keyOf(order.front());
        const auto b = keyOf(k);
        std::size_t same = 0;
        while (same < shared && same < b.size() && a[same] == b[same])
            ++same;
        shared = same;
    }
    const std::size_t skip = shared + 4;
    for (Key& k : order) {
        const auto key = keyOf(k);
        for (std::size_t j = shared; j < skip; ++j)
            k.head = (k.head << 16) | (j < key.size() ? key[j] : 0);
    }

    std::sort(order.begin(), order.end(), [&](const Key& a, const Key& b) {
        if (a.head != b.head)
            return a.head < b.head;
        const auto ka = keyOf(a);
        const auto kb = keyOf(b);
        if (const int c =
                ka.substr(std::min(skip, ka.size())).compare(kb.substr(std::min(skip, kb.size())));
            c != 0)
            return c < 0;
        return std::as_const(names)[a.index] < std::as_const(names)[b.index];
    });

    QStringList sorted;
    sorted.reserve(names.size());
    for (const Key& k : order)
        sorted.append(std::move(names[k.index]));
    names = std::move(sorted);
}

} // namespace qel
