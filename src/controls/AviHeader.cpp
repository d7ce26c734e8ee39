#include "controls/AviHeader.h"

#include <QtEndian>
#include <algorithm>

namespace qel {

namespace {

// A chunk found inside [begin, end): its four-character id, the list type
// for a "LIST" chunk, and where its data lies.
struct Chunk {
    QByteArrayView id;
    QByteArrayView listType;
    qint64 data = 0;
    qint64 size = 0;
};

class ChunkWalker {
public:
    ChunkWalker(QByteArrayView bytes, qint64 begin, qint64 end)
        : m_bytes(bytes)
        , m_at(begin)
        , m_end(end) {}

    // The next whole chunk; false at the end or at a chunk that runs past it.
    bool next(Chunk& chunk) {
        if (m_at + 8 > m_end)
            return false;
        chunk.id = m_bytes.sliced(m_at, 4);
        chunk.size = qFromLittleEndian<quint32>(m_bytes.data() + m_at + 4);
        chunk.data = m_at + 8;
        if (chunk.data + chunk.size > m_end)
            return false;
        chunk.listType = chunk.id == "LIST" && chunk.size >= 4 ? m_bytes.sliced(chunk.data, 4)
                                                               : QByteArrayView();
        m_at = chunk.data + chunk.size + (chunk.size & 1); // chunks are word-aligned
        return true;
    }

private:
    QByteArrayView m_bytes;
    qint64 m_at;
    qint64 m_end;
};

// The stream type in a 'strl' list ("vids", "auds", ...), empty when it has none.
QByteArrayView streamType(QByteArrayView bytes, const Chunk& strl) {
    ChunkWalker walker(bytes, strl.data + 4, strl.data + strl.size);
    for (Chunk c; walker.next(c);)
        if (c.id == "strh" && c.size >= 4)
            return bytes.sliced(c.data, 4);
    return {};
}

bool silentStreams(QByteArrayView bytes, const Chunk& hdrl) {
    int streams = 0;
    ChunkWalker walker(bytes, hdrl.data + 4, hdrl.data + hdrl.size);
    for (Chunk c; walker.next(c);) {
        if (c.listType != "strl")
            continue;
        const QByteArrayView type = streamType(bytes, c);
        // The control plays the first stream; MIDI is sound too.
        if ((streams == 0 && type != "vids") || type == "auds" || type == "mids")
            return false;
        ++streams;
    }
    return streams > 0;
}

} // namespace

bool isSilentAvi(QByteArrayView head) {
    if (head.size() < 12 || head.first(4) != "RIFF" || head.sliced(8, 4) != "AVI ")
        return false;
    const qint64 riffEnd = 8 + qint64(qFromLittleEndian<quint32>(head.data() + 4));
    // The header list comes before the frames; only it has to lie in head.
    ChunkWalker walker(head, 12, std::min<qint64>(riffEnd, head.size()));
    for (Chunk c; walker.next(c);) {
        if (c.listType == "hdrl")
            return silentStreams(head, c);
        if (c.listType == "movi")
            return false;
    }
    return false;
}

} // namespace qel
