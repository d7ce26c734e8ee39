#include "platform/DosPath.h"

#include "platform/Error.h"

namespace qel {

namespace {

bool isSeparator(QChar c) {
    return c == u'\\' || c == u'/';
}

bool isAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool isValidComponent(QStringView name) {
    for (QChar c : name)
        if (c == u':' || c.unicode() < 0x20)
            return false;
    return true;
}

} // namespace

std::optional<QChar> dosDriveLetter(const QString& text) {
    if (text.size() < 2 || text[1] != u':' || !isAsciiLetter(text[0]))
        return std::nullopt;
    return text[0].toUpper();
}

bool isDosDriveText(const QString& text) {
    return dosDriveLetter(text) && (text.size() == 2 || !isSeparator(text[2]));
}

std::optional<DosPath> DosPath::parse(const QString& text) {
    const auto letter = dosDriveLetter(text);
    if (!letter || text.size() < 3 || !isSeparator(text[2]))
        return std::nullopt;
    DosPath path{*letter, {}, text[0].isLower()};
    const QStringView rest = QStringView(text).mid(3);
    qsizetype start = 0;
    while (start <= rest.size()) {
        qsizetype end = start;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        const QStringView name = rest.mid(start, end - start);
        if (name == u"..") {
            if (!path.components.isEmpty())
                path.components.removeLast();
        } else if (!name.isEmpty() && name != u".") {
            if (!isValidComponent(name))
                return std::nullopt;
            path.components.append(name.toString());
        }
        start = end + 1;
    }
    return path;
}

QString DosPath::toString() const {
    QString text = driveText() + u'\\';
    text += components.join(u'\\');
    return text;
}

DosPath DosPath::parent() const {
    DosPath up = *this;
    if (!up.components.isEmpty())
        up.components.removeLast();
    return up;
}

DosPath DosPath::child(const QString& name) const {
    DosPath down = *this;
    down.components.append(name);
    return down;
}

DosPath requireDosPath(const QString& text) {
    auto path = DosPath::parse(text);
    if (!path)
        throw Error(err::PathNotFound);
    return *path;
}

bool endsWithDosSeparator(const QString& text) {
    return text.endsWith(u'\\') || text.endsWith(u'/');
}

} // namespace qel
