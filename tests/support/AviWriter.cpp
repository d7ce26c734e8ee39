#include "AviWriter.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace qel::test {

namespace {

void put16(QByteArray& out, uint32_t v) {
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void put32(QByteArray& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

QByteArray chunk(const char* id, const QByteArray& data) {
    QByteArray out(id, 4);
    put32(out, uint32_t(data.size()));
    out += data;
    if (data.size() % 2)
        out.append('\0');
    return out;
}

QByteArray list(const char* type, const QByteArray& data) {
    return chunk("LIST", QByteArray(type, 4) + data);
}

QByteArray riff(const QByteArray& data) {
    return chunk("RIFF", QByteArray("AVI ", 4) + data);
}

// The bottom-up DIB rows of a frame, each padded to four bytes.
QByteArray rawFrame(const AviClip& clip, const std::vector<uint32_t>& frame) {
    const int bytesPerPixel = clip.encoding == AviEncoding::Raw24 ? 3 : 1;
    const int stride = (clip.width * bytesPerPixel + 3) & ~3;
    QByteArray out;
    for (int y = clip.height - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < clip.width; ++x) {
            const uint32_t p = frame[size_t(y * clip.width + x)];
            if (bytesPerPixel == 3) {
                row.append(char(p & 0xff));
                row.append(char((p >> 8) & 0xff));
                row.append(char((p >> 16) & 0xff));
            } else {
                row.append(char(p));
            }
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        out += row;
    }
    return out;
}

// Pixels [from, to) of one row: runs of three or more as encoded runs, the
// rest as absolute (literal) runs, except that one or two stray pixels must
// be encoded runs because 0 1 and 0 2 are escapes.
void encodeSpan(QByteArray& out, const uint32_t* row, int from, int to) {
    auto runAt = [&](int i) {
        int n = 1;
        while (i + n < to && n < 255 && row[i + n] == row[i])
            ++n;
        return n;
    };
    int i = from;
    while (i < to) {
        const int run = runAt(i);
        if (run >= 3) {
            out.append(char(run));
            out.append(char(row[i]));
            i += run;
            continue;
        }
        int j = i;
        while (j < to && j - i < 255 && runAt(j) < 3)
            ++j;
        const int n = j - i;
        if (n >= 3) {
            out.append('\0');
            out.append(char(n));
            for (int k = i; k < j; ++k)
                out.append(char(row[k]));
            if (n % 2)
                out.append('\0');
        } else {
            for (int k = i; k < j; ++k) {
                out.append('\1');
                out.append(char(row[k]));
            }
        }
        i = j;
    }
}

void delta(QByteArray& out, int dx, int dy) {
    while (dx > 0 || dy > 0) {
        const int sx = std::min(dx, 255);
        const int sy = std::min(dy, 255);
        out.append('\0');
        out.append('\2');
        out.append(char(sx));
        out.append(char(sy));
        dx -= sx;
        dy -= sy;
    }
}

QByteArray strh(const char* type, uint32_t scale, uint32_t rate, uint32_t length,
                uint32_t bufferSize, uint32_t sampleSize, int width, int height) {
    QByteArray h(type, 4);
    put32(h, 0); // handler: taken from the format
    put32(h, 0); // flags
    put16(h, 0); // priority
    put16(h, 0); // language
    put32(h, 0); // initial frames
    put32(h, scale);
    put32(h, rate);
    put32(h, 0); // start
    put32(h, length);
    put32(h, bufferSize);
    put32(h, 0xffffffff); // quality
    put32(h, sampleSize);
    put16(h, 0);
    put16(h, 0);
    put16(h, uint32_t(width));
    put16(h, uint32_t(height));
    return chunk("strh", h);
}

QByteArray avih(uint32_t usPerFrame, uint32_t frames, uint32_t bufferSize, int width, int height,
                uint32_t streams) {
    QByteArray h;
    put32(h, usPerFrame);
    put32(h, 0);    // max bytes per second
    put32(h, 0);    // padding granularity
    put32(h, 0x10); // has an index
    put32(h, frames);
    put32(h, 0); // initial frames
    put32(h, streams);
    put32(h, bufferSize);
    put32(h, uint32_t(width));
    put32(h, uint32_t(height));
    for (int i = 0; i < 4; ++i)
        put32(h, 0);
    return chunk("avih", h);
}

struct MoviChunk {
    const char* id; // "00dc": stream 0, compressed video
    QByteArray data;
    bool key = true;
};

// streamLists: one "strl" list per stream, in stream order.
QByteArray file(const QByteArray& avihChunk, const QByteArray& streamLists,
                const std::vector<MoviChunk>& chunks) {
    QByteArray movi;
    QByteArray index;
    for (const MoviChunk& c : chunks) {
        index.append(c.id, 4);
        put32(index, c.key ? 0x10 : 0);
        put32(index, uint32_t(4 + movi.size())); // from the "movi" type
        put32(index, uint32_t(c.data.size()));
        movi += chunk(c.id, c.data);
    }
    return riff(list("hdrl", avihChunk + streamLists) + list("movi", movi) + chunk("idx1", index));
}

// 8-bit mono PCM: its stream list and 0.1 s of silence.
constexpr uint32_t kSoundRate = 8000;
const QByteArray kSilence(800, char(0x80));

QByteArray soundStreamList() {
    QByteArray wave;
    put16(wave, 1); // PCM
    put16(wave, 1); // mono
    put32(wave, kSoundRate);
    put32(wave, kSoundRate); // bytes per second
    put16(wave, 1);          // block align
    put16(wave, 8);          // bits per sample
    put16(wave, 0);          // no extra bytes
    return list("strl", strh("auds", 1, kSoundRate, uint32_t(kSilence.size()),
                             uint32_t(kSilence.size()), 1, 0, 0) +
                            chunk("strf", wave));
}

} // namespace

QByteArray encodeRle8(int width, int height, const std::vector<uint32_t>& frame,
                      const std::vector<uint32_t>* previous) {
    QByteArray out;
    // Where the decoder's cursor stands: line 0 is the bottom row.
    int curLine = 0;
    int curX = 0;
    for (int line = 0; line < height; ++line) {
        const uint32_t* row = frame.data() + size_t(height - 1 - line) * size_t(width);
        const uint32_t* before =
            previous ? previous->data() + size_t(height - 1 - line) * size_t(width) : nullptr;
        auto changed = [&](int x) { return !before || before[x] != row[x]; };

        int x = 0;
        while (x < width) {
            if (!changed(x)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < width && changed(end))
                ++end;
            // Bring the cursor to (line, x).
            if (line > curLine && x < curX) {
                out.append('\0');
                out.append('\0'); // end of line: next line, first pixel
                ++curLine;
                curX = 0;
            }
            delta(out, x - curX, line - curLine);
            encodeSpan(out, row, x, end);
            curLine = line;
            curX = end;
            x = end;
        }
    }
    out.append('\0');
    out.append('\1'); // end of bitmap
    return out;
}

QByteArray aviBytes(const AviClip& clip) {
    const bool eightBit = clip.encoding != AviEncoding::Raw24;
    const char* frameId = clip.encoding == AviEncoding::Rle8 ? "00dc" : "00db";
    std::vector<MoviChunk> chunks;
    for (size_t i = 0; i < clip.frames.size(); ++i) {
        if (clip.encoding == AviEncoding::Rle8) {
            const bool key = i == 0 || !clip.deltaFrames;
            chunks.push_back({frameId,
                              encodeRle8(clip.width, clip.height, clip.frames[i],
                                         key ? nullptr : &clip.frames[i - 1]),
                              key});
        } else {
            chunks.push_back({frameId, rawFrame(clip, clip.frames[i])});
        }
    }
    uint32_t bufferSize = 0;
    for (const MoviChunk& c : chunks)
        bufferSize = std::max(bufferSize, uint32_t(c.data.size()));

    const uint32_t frames = uint32_t(clip.frames.size());
    QByteArray bih;
    put32(bih, 40);
    put32(bih, uint32_t(clip.width));
    put32(bih, uint32_t(clip.height)); // positive: bottom-up rows
    put16(bih, 1);
    put16(bih, eightBit ? 8 : 24);
    put32(bih, clip.encoding == AviEncoding::Rle8 ? 1 : 0);
    put32(bih, bufferSize);
    put32(bih, 0);
    put32(bih, 0);
    put32(bih, eightBit ? 256 : 0);
    put32(bih, 0);
    if (eightBit) {
        for (int i = 0; i < 256; ++i) {
            const uint32_t c = size_t(i) < clip.palette.size() ? clip.palette[size_t(i)] : 0;
            put32(bih, c & 0xffffff); // B, G, R, reserved
        }
    }
    QByteArray streamLists = list("strl", strh("vids", 1, uint32_t(clip.framesPerSecond), frames,
                                               bufferSize, 0, clip.width, clip.height) +
                                              chunk("strf", bih));
    if (clip.soundTrack) {
        streamLists += soundStreamList();
        chunks.push_back({"01wb", kSilence});
    }
    return file(avih(uint32_t(1000000 / std::max(1, clip.framesPerSecond)), frames, bufferSize,
                     clip.width, clip.height, clip.soundTrack ? 2 : 1),
                streamLists, chunks);
}

QByteArray audioOnlyAviBytes() {
    return file(avih(0, 1, uint32_t(kSilence.size()), 0, 0, 1), soundStreamList(),
                {{"00wb", kSilence}});
}

QByteArray aviWithSoundBytes(const AviClip& clip) {
    // The audio-only file's stream list, added after the video's.
    const QByteArray audio = audioOnlyAviBytes();
    const qsizetype strl = audio.indexOf("strl") - 8;
    const QByteArray sound =
        audio.mid(strl, 8 + qFromLittleEndian<quint32>(audio.constData() + strl + 4));
    QByteArray out = aviBytes(clip);
    const qsizetype hdrl = out.indexOf("hdrl") - 8;
    const quint32 hdrlSize = qFromLittleEndian<quint32>(out.constData() + hdrl + 4);
    out.insert(hdrl + 8 + hdrlSize, sound);
    const auto grow = [&](qsizetype at, quint32 by) {
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(out.constData() + at) + by,
                                 out.data() + at);
    };
    grow(4, quint32(sound.size()));        // RIFF
    grow(hdrl + 4, quint32(sound.size())); // hdrl
    grow(hdrl + 12 + 8 + 24, 1);           // avih: the number of streams
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() &&
           f.flush();
}

} // namespace qel::test
