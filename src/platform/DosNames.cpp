#include "platform/DosNames.h"

namespace qel {

namespace {

constexpr char16_t MappedBase = 0xF000;

// ASCII characters a host name may hold but a DOS path may not.
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

// A private-use character that stands for one host byte.
bool isMappedChar(char32_t u) {
    if (u < MappedBase || u > MappedBase + 0xFF)
        return false;
    const auto byte = static_cast<unsigned char>(u - MappedBase);
    return byte >= 0x80 || needsMapping(byte);
}

QChar standIn(unsigned char byte) {
    return QChar(char16_t(MappedBase + byte));
}

// The code point of the well-formed UTF-8 sequence at data[i] (shortest form,
// no surrogates) and its length; length 0 when the bytes there are not one.
char32_t decodeUtf8(const unsigned char* data, qsizetype size, qsizetype i, int& length) {
    length = 0;
    const unsigned char lead = data[i];
    int count = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 1, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 2, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 3, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + count >= size)
        return 0;
    for (int k = 1; k <= count; ++k) {
        const unsigned char next = data[i + k];
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    length = count + 1;
    return code;
}

} // namespace

QString hostNameToDos(const QByteArray& hostName) {
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

    const auto* data = reinterpret_cast<const unsigned char*>(hostName.constData());
    const qsizetype size = hostName.size();
    QString name;
    name.reserve(size);
    for (qsizetype i = 0; i < size;) {
        const unsigned char c = data[i];
        if (c < 0x80) {
            name += needsMapping(c) ? standIn(c) : QChar(char16_t(c));
            ++i;
            continue;
        }
        int length = 0;
        const char32_t code = decodeUtf8(data, size, i, length);
        // A character that reads as a stand-in goes over byte by byte, so it
        // cannot be confused with the byte it would stand for.
        if (length == 0 || isMappedChar(code)) {
            const qsizetype bytes = length == 0 ? 1 : length;
            for (qsizetype k = 0; k < bytes; ++k)
                name += standIn(data[i + k]);
            i += bytes;
            continue;
        }
        name += QString::fromUcs4(&code, 1);
        i += length;
    }
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
