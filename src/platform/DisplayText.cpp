#include "platform/DisplayText.h"

namespace qel {

namespace {

constexpr char16_t MappedBase = 0xF000;
constexpr char16_t InvalidByteBase = 0xF080;
constexpr char16_t MappedEnd = 0xF100;

// A look-alike the windows' fonts can draw (the fullwidth forms and the
// control pictures are missing from Liberation Sans and DejaVu Sans alike).
char16_t lookAlike(char16_t c) {
    switch (c) {
    case u'\\':
        return u'\u2216'; // SET MINUS
    case u':':
        return u'\uA789'; // MODIFIER LETTER COLON
    case u'*':
        return u'\u2217'; // ASTERISK OPERATOR
    case u'?':
        return u'\u0294'; // LATIN LETTER GLOTTAL STOP
    case u'"':
        return u'\u2033'; // DOUBLE PRIME
    case u'<':
        return u'\u2039'; // SINGLE LEFT-POINTING ANGLE QUOTATION MARK
    case u'>':
        return u'\u203A'; // SINGLE RIGHT-POINTING ANGLE QUOTATION MARK
    case u'|':
        return u'\u2223'; // DIVIDES
    default:
        return 0;
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
    QString shown;
    shown.reserve(dosText.size() + 8);
    for (const QChar ch : dosText) {
        const char16_t u = ch.unicode();
        if (u < MappedBase || u >= MappedEnd) {
            shown += ch;
        } else if (u >= InvalidByteBase) {
            shown += QChar(u'\uFFFD');
        } else if (const char16_t c = u - MappedBase; c < 0x20 || c == 0x7F) {
            // Control characters in caret notation: ^A for 1, ^? for 127.
            shown += u'^';
            shown += QChar(char16_t(c ^ 0x40));
        } else if (const char16_t alike = lookAlike(c)) {
            shown += QChar(alike);
        } else {
            shown += ch; // never a stand-in: the name's own character
        }
    }
    return shown;
}

} // namespace qel
