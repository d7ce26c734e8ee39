#include "controls/linux/AviDecoder.h"
#include "controls/AviHeader.h"

#include "platform/Error.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {

constexpr int IoBufferSize = 64 * 1024;
constexpr int MinFrameIntervalMs = 5;
constexpr int MaxFrameIntervalMs = 5000;
constexpr int FallbackFrameIntervalMs = 100;

[[noreturn]] void failOutOfMemory() {
    throw Error(7, QStringLiteral("Out of memory"));
}

[[noreturn]] void failFormat(const char* why) {
    throw Error(InvalidClipFormat,
                QStringLiteral("Invalid file format: %1").arg(QLatin1String(why)));
}

// Failures of reading the file itself, as opposed to its content.
[[noreturn]] void failAv(int averror, const char* why) {
    if (averror == AVERROR(EACCES) || averror == AVERROR(EPERM))
        throw Error(err::PermissionDenied);
    if (averror == AVERROR(EIO) || averror == AVERROR(EISDIR) || averror == AVERROR(ENXIO))
        throw Error(err::PathFileAccessError);
    failFormat(why);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Opens the clip for reading. O_NONBLOCK keeps a FIFO named like a clip from
// blocking the window; anything but a regular file is refused afterwards.
int openClipFile(const QByteArray& hostPath) {
    const int fd = ::open(hostPath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
            throw Error(err::FileNotFound);
        case EACCES:
        case EPERM:
            throw Error(err::PermissionDenied);
        default:
            throw Error(err::PathFileAccessError);
        }
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw Error(err::PathFileAccessError);
    }
    return fd;
}

int readFile(void* opaque, uint8_t* buffer, int size) {
    const int fd = *static_cast<int*>(opaque);
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size_t(size));
        if (got > 0)
            return int(got);
        if (got == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int64_t seekFile(void* opaque, int64_t offset, int whence) {
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

// The control plays silent AVI clips only: a picture or another container
// renamed to .AVI, or a clip with sound, is refused before any demuxer
// guesses at it.
void checkSilentAvi(int fd) {
    QByteArray head(AviHeaderReadSize, Qt::Uninitialized);
    const ssize_t got = ::pread(fd, head.data(), size_t(head.size()), 0);
    if (got < 0 || !isSilentAvi(QByteArrayView(head.constData(), got)))
        failFormat("not a silent AVI clip");
}

// A clip is one self-contained file: demuxers that would follow references
// to other files or URLs are refused.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

struct IoContextDeleter {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct FormatDeleter {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
struct CodecDeleter {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ScalerDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

int frameIntervalMs(const AVStream* stream) {
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return FallbackFrameIntervalMs;
    const double ms = 1000.0 * rate.den / rate.num;
    return int(qBound(double(MinFrameIntervalMs), ms + 0.5, double(MaxFrameIntervalMs)));
}

class ClipDecoder {
public:
    ClipDecoder(const QByteArray& hostPath, qint64 maxFrameBytes)
        : m_file(openClipFile(hostPath))
        , m_maxFrameBytes(maxFrameBytes) {
        m_fd = m_file.get();
    }

    DecodedClip run() {
        checkSilentAvi(m_fd);
        openContainer();
        openDecoder();
        std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
        m_frame.reset(av_frame_alloc());
        if (!packet || !m_frame)
            failOutOfMemory();

        for (;;) {
            const int ret = av_read_frame(m_format.get(), packet.get());
            if (ret == AVERROR_EOF)
                break;
            if (ret < 0)
                failAv(ret, "the clip cannot be read to its end");
            const bool ours = packet->stream_index == m_stream->index;
            const bool corrupt = packet->flags & AV_PKT_FLAG_CORRUPT;
            if (ours && corrupt)
                failFormat("the clip is cut short");
            if (ours)
                decode(packet.get());
            av_packet_unref(packet.get());
        }
        decode(nullptr);

        if (m_clip.frames.isEmpty())
            failFormat("the clip holds no frames");
        if (m_stream->nb_frames > 0 && m_clip.frames.size() < m_stream->nb_frames)
            failFormat("the clip ends before its last frame");
        m_clip.frameIntervalMs = frameIntervalMs(m_stream);
        return std::move(m_clip);
    }

private:
    void openContainer() {
        auto* buffer = static_cast<uint8_t*>(av_malloc(IoBufferSize));
        if (!buffer)
            failOutOfMemory();
        AVIOContext* io =
            avio_alloc_context(buffer, IoBufferSize, 0, &m_fd, readFile, nullptr, seekFile);
        if (!io) {
            av_free(buffer);
            failOutOfMemory();
        }
        m_io.reset(io);

        AVFormatContext* ctx = avformat_alloc_context();
        if (!ctx)
            failOutOfMemory();
        ctx->pb = m_io.get();
        ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
        ctx->io_open = refuseNestedOpen;
        // On failure avformat_open_input frees the context itself.
        int ret = avformat_open_input(&ctx, nullptr, av_find_input_format("avi"), nullptr);
        if (ret < 0)
            failAv(ret, "not a clip the program can read");
        m_format.reset(ctx);

        ret = avformat_find_stream_info(ctx, nullptr);
        if (ret < 0)
            failAv(ret, "the clip's headers are damaged");
        const AVCodec* codec = nullptr;
        ret = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
        if (ret == AVERROR_STREAM_NOT_FOUND)
            failFormat("the clip has no video stream");
        if (ret < 0 || !codec)
            failFormat("the clip's picture format is not supported");
        m_stream = ctx->streams[ret];
        m_codec = codec;
    }

    void openDecoder() {
        const AVCodecParameters* par = m_stream->codecpar;
        if (par->width <= 0 || par->height <= 0)
            failFormat("the clip has no picture size");
        if (qint64(par->width) * par->height * 4 > m_maxFrameBytes)
            failFormat("the clip's pictures are too large");

        m_decoder.reset(avcodec_alloc_context3(m_codec));
        if (!m_decoder)
            failOutOfMemory();
        if (avcodec_parameters_to_context(m_decoder.get(), par) < 0)
            failFormat("the clip's picture format is not supported");
        m_decoder->thread_count = 1;
        if (avcodec_open2(m_decoder.get(), m_codec, nullptr) < 0)
            failFormat("the clip's picture format is not supported");
    }

    // nullptr drains the decoder.
    void decode(const AVPacket* packet) {
        int ret = avcodec_send_packet(m_decoder.get(), packet);
        if (ret < 0 && ret != AVERROR_EOF)
            failFormat("a frame of the clip is damaged");
        for (;;) {
            ret = avcodec_receive_frame(m_decoder.get(), m_frame.get());
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
                return;
            if (ret < 0)
                failFormat("a frame of the clip is damaged");
            convert(*m_frame);
            av_frame_unref(m_frame.get());
        }
    }

    void convert(const AVFrame& frame) {
        const int w = frame.width;
        const int h = frame.height;
        if (w <= 0 || h <= 0)
            failFormat("a frame of the clip has no picture");
        m_frameBytes += qint64(w) * h * 4;
        if (m_frameBytes > m_maxFrameBytes)
            failFormat("the clip is too long to hold in memory");

        SwsContext* scaler =
            sws_getCachedContext(m_scaler.release(), w, h, AVPixelFormat(frame.format), w, h,
                                 AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
        if (!scaler)
            failFormat("the clip's picture format is not supported");
        m_scaler.reset(scaler);

        QImage rgb(w, h, QImage::Format_RGB888);
        if (rgb.isNull())
            failOutOfMemory();
        uint8_t* dst[4] = {rgb.bits(), nullptr, nullptr, nullptr};
        const int dstStride[4] = {int(rgb.bytesPerLine()), 0, 0, 0};
        if (sws_scale(scaler, frame.data, frame.linesize, 0, h, dst, dstStride) != h)
            failFormat("a frame of the clip cannot be converted");
        m_clip.frames.append(rgb.convertToFormat(QImage::Format_RGB32));
    }

    FileDescriptor m_file;
    int m_fd = -1;
    qint64 m_maxFrameBytes;
    qint64 m_frameBytes = 0;
    // Declared in the order they must be released in reverse.
    std::unique_ptr<AVIOContext, IoContextDeleter> m_io;
    std::unique_ptr<AVFormatContext, FormatDeleter> m_format;
    std::unique_ptr<AVCodecContext, CodecDeleter> m_decoder;
    std::unique_ptr<AVFrame, FrameDeleter> m_frame;
    std::unique_ptr<SwsContext, ScalerDeleter> m_scaler;
    const AVCodec* m_codec = nullptr;
    AVStream* m_stream = nullptr;
    DecodedClip m_clip;
};

} // namespace

DecodedClip decodeClipWithFfmpeg(const QByteArray& hostPath, qint64 maxFrameBytes) {
    // A clip that fails reaches the user in the program's own message; the
    // library's diagnostics on the terminal would only add noise.
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    Q_UNUSED(quiet);
    return ClipDecoder(hostPath, maxFrameBytes).run();
}

} // namespace qel

// The module's one entry point. Nothing may unwind across it: the module has
// its own copy of the error type, so failures travel as number and text.
extern "C" __attribute__((visibility("default"))) bool
qel_decode_clip(const QByteArray& hostPath, qint64 maxFrameBytes, qel::DecodedClip& clip,
                int& errorNumber, QString& errorDescription) noexcept {
    try {
        clip = qel::decodeClipWithFfmpeg(hostPath, maxFrameBytes);
        return true;
    } catch (const qel::Error& e) {
        errorNumber = e.number();
        errorDescription = e.description();
    } catch (const std::bad_alloc&) {
        errorNumber = 7;
        errorDescription = QStringLiteral("Out of memory");
    } catch (...) {
        errorNumber = qel::InvalidClipFormat;
        errorDescription = QStringLiteral("Invalid file format");
    }
    return false;
}
