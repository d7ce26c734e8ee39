#include "platform/linux/ShortName.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace qel {

namespace {

bool isShortNameChar(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0x80 || u <= 0x20)
        return false;
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
        return true;
    return QStringView(u"!#$%&'()-@^_`{}~").contains(c);
}

// The parts a generated name is built from, before the counter is added.
struct Basis {
    QString base; // at most six characters
    QString extension;

    friend bool operator==(const Basis&, const Basis&) = default;
};

size_t qHash(const Basis& b, size_t seed = 0) {
    return qHashMulti(seed, b.base, b.extension);
}

QString shortNameChars(QStringView text) {
    QString out;
    for (QChar c : text) {
        if (c == u' ' || c == u'.')
            continue;
        out += isShortNameChar(c) ? c.toUpper() : QChar(u'_');
    }
    return out;
}

Basis basisOf(const QString& name) {
    qsizetype start = 0;
    while (start < name.size() && (name[start] == u'.' || name[start] == u' '))
        ++start;
    const QStringView rest = QStringView(name).mid(start);
    const qsizetype dot = rest.lastIndexOf(u'.');
    Basis b;
    if (dot < 0) {
        b.base = shortNameChars(rest);
    } else {
        b.base = shortNameChars(rest.left(dot));
        b.extension = shortNameChars(rest.mid(dot + 1)).left(3);
    }
    if (b.base.isEmpty())
        b.base = QStringLiteral("_");
    b.base.truncate(6);
    return b;
}

QString candidate(const Basis& b, int counter) {
    const QString tail = QStringLiteral("~%1").arg(counter);
    QString name = b.base.left(8 - tail.size()) + tail;
    if (!b.extension.isEmpty())
        name += u'.' + b.extension;
    return name;
}

} // namespace

bool isShortName(const QString& name) {
    if (name.isEmpty() || name.size() > 12)
        return false;
    const qsizetype dot = name.indexOf(u'.');
    const QStringView base = dot < 0 ? QStringView(name) : QStringView(name).left(dot);
    const QStringView ext = dot < 0 ? QStringView() : QStringView(name).mid(dot + 1);
    if (base.isEmpty() || base.size() > 8 || ext.size() > 3 || ext.contains(u'.'))
        return false;
    if (dot >= 0 && ext.isEmpty())
        return false;
    return std::all_of(base.begin(), base.end(), isShortNameChar) &&
           std::all_of(ext.begin(), ext.end(), isShortNameChar);
}

QString generatedShortName(const QString& name, const QStringList& folderNames) {
    if (isShortName(name))
        return name;

    // Names already valid hold their own short name; the rest are handed
    // counters in a stable order, so every name of the folder gets the same
    // answer on every look-up.
    QSet<QString> taken;
    QStringList generated;
    for (const QString& other : folderNames) {
        if (isShortName(other))
            taken.insert(other.toUpper());
        else if (other != name)
            generated.append(other);
    }
    generated.append(name);
    std::sort(generated.begin(), generated.end());

    const Basis own = basisOf(name);
    QHash<Basis, int> nextCounter;
    for (const QString& other : generated) {
        const Basis b = basisOf(other);
        // Only names whose first few characters match can compete for our
        // candidates; skipping the rest keeps big folders cheap.
        if (b.extension != own.extension || b.base.left(1) != own.base.left(1))
            continue;
        int& counter = nextCounter[b];
        QString shortName;
        do {
            shortName = candidate(b, ++counter);
        } while (taken.contains(shortName));
        if (other == name)
            return shortName;
        taken.insert(shortName);
    }
    return candidate(own, 1); // not reached: name is in the list
}

std::optional<QString> fatShortName(int dirFd, const QByteArray& hostName) {
    struct statfs fs {};
    if (fstatfs(dirFd, &fs) != 0 || fs.f_type != MSDOS_SUPER_MAGIC)
        return std::nullopt;
    // The ioctl walks the folder from the file position: use a descriptor of our own.
    const int fd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QString> result;
    struct __fat_dirent entries[2];
    while (ioctl(fd, VFAT_IOCTL_READDIR_BOTH, entries) > 0) {
        const QByteArray shortName(entries[0].d_name, entries[0].d_reclen);
        const QByteArray longName(entries[1].d_name, entries[1].d_reclen);
        const QByteArray& shown = longName.isEmpty() ? shortName : longName;
        if (shown == hostName) {
            result = QString::fromLatin1(shortName).toUpper();
            break;
        }
    }
    close(fd);
    return result;
}

} // namespace qel
