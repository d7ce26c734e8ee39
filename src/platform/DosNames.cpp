#include "platform/DosNames.h"

#include <QStringDecoder>

namespace qel {

namespace {

constexpr char16_t MappedBase = 0xF000;

// Characters a host name may hold but a DOS path may not.
bool needsMapping(unsigned char c) {
    switch (c) {
    case '\\':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return c != 0 && c < 0x20;
    }
}

// A private-use character that stands for a mapped host character.
bool isMappedChar(char16_t u) {
    return u >= MappedBase && u < MappedBase + 0x80 && needsMapping(u - MappedBase);
}

} // namespace

std::optional<QString> hostNameToDos(const QByteArray& hostName) {
    bool plain = true;
    for (char ch : hostName) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || needsMapping(c)) {
            plain = false;
            break;
        }
    }
    if (plain)
        return QString::fromLatin1(hostName);

    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
    QString name = decode(hostName);
    if (decode.hasError())
        return std::nullopt;
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        // A name that already holds a stand-in character could not be told
        // apart from a mapped one, so it cannot be carried reliably.
        if (isMappedChar(u))
            return std::nullopt;
        if (u < 0x80 && needsMapping(static_cast<unsigned char>(u)))
            c = QChar(char16_t(MappedBase + u));
    }
    // Whatever the decoder accepted must come back byte for byte.
    if (dosNameToHost(name) != hostName)
        return std::nullopt;
    return name;
}

QByteArray dosNameToHost(const QString& dosName) {
    bool ascii = true;
    for (QChar c : dosName) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return dosName.toLatin1();

    QByteArray host;
    host.reserve(dosName.size() * 3);
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            host += QStringView(dosName).mid(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < dosName.size(); ++i) {
        const char16_t u = dosName[i].unicode();
        if (isMappedChar(u)) {
            flush(i);
            host += char(u - MappedBase);
            runStart = i + 1;
        }
    }
    flush(dosName.size());
    return host;
}

} // namespace qel
