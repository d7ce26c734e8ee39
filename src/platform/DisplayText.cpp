#include "platform/DisplayText.h"

namespace qel {

namespace {

constexpr char16_t MappedBase = 0xF000;
constexpr char16_t InvalidByteBase = 0xF080;
constexpr char16_t MappedEnd = 0xF100;

char16_t lookAlike(char16_t standIn) {
    if (standIn >= InvalidByteBase)
        return u'\uFFFD';
    const char16_t c = standIn - MappedBase;
    switch (c) {
    case u'\\':
        return u'\uFF3C';
    case u':':
        return u'\uFF1A';
    case u'*':
        return u'\uFF0A';
    case u'?':
        return u'\uFF1F';
    case u'"':
        return u'\uFF02';
    case u'<':
        return u'\uFF1C';
    case u'>':
        return u'\uFF1E';
    case u'|':
        return u'\uFF5C';
    case 0x7F:
        return u'\u2421';
    default:
        // Control characters have pictures at U+2400 + code; other codes are
        // never stand-ins, so such a character is the name's own.
        return c < 0x20 ? char16_t(0x2400 + c) : standIn;
    }
}

} // namespace

bool holdsStandIns(QStringView dosText) {
    for (const QChar c : dosText)
        if (c.unicode() >= MappedBase && c.unicode() < MappedEnd)
            return true;
    return false;
}

QString displayText(const QString& dosText) {
    // Most names hold none: they are shared, not copied.
    if (!holdsStandIns(dosText))
        return dosText;
    QString shown = dosText;
    for (QChar& c : shown) {
        const char16_t u = c.unicode();
        if (u >= MappedBase && u < MappedEnd)
            c = QChar(lookAlike(u));
    }
    return shown;
}

} // namespace qel
