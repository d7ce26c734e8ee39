#include "DemoClip.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qel::test {

namespace {

enum Colour : uint32_t { Back, FolderBody, FolderEdge, Paper, PaperEdge, Ink };

class Canvas {
public:
    Canvas(int width, int height)
        : m_w(width)
        , m_h(height)
        , m_px(size_t(width * height), Back) {}
    void fill(int x, int y, int w, int h, uint32_t c) {
        for (int j = std::max(0, y); j < std::min(m_h, y + h); ++j)
            for (int i = std::max(0, x); i < std::min(m_w, x + w); ++i)
                m_px[size_t(j * m_w + i)] = c;
    }
    void box(int x, int y, int w, int h, uint32_t body, uint32_t edge) {
        fill(x, y, w, h, edge);
        fill(x + 1, y + 1, w - 2, h - 2, body);
    }
    void folder(int x, int y) {
        box(x, y, 14, 5, FolderBody, FolderEdge);
        box(x, y + 4, 36, 22, FolderBody, FolderEdge);
    }
    void page(int x, int y) {
        box(x, y, 11, 14, Paper, PaperEdge);
        for (int line = 0; line < 4; ++line)
            fill(x + 2, y + 3 + 2 * line, line == 3 ? 4 : 7, 1, Ink);
    }
    const std::vector<uint32_t>& pixels() const { return m_px; }

private:
    int m_w;
    int m_h;
    std::vector<uint32_t> m_px;
};

} // namespace

AviClip demoCopyClip(uint32_t background) {
    AviClip clip;
    clip.width = 353;
    clip.height = 33;
    clip.framesPerSecond = 15;
    clip.palette = {background, 0xf2c94c, 0x8a6d1f, 0xffffff, 0x404040, 0x7090c0};
    constexpr int frames = 20;
    const int from = 46, to = 300;
    for (int k = 0; k < frames; ++k) {
        Canvas c(clip.width, clip.height);
        c.folder(12, 5);
        c.folder(clip.width - 48, 5);
        for (double phase : {0.0, 0.5}) {
            const double t = std::fmod(double(k) / frames + phase, 1.0);
            const int x = from + int(std::lround(t * (to - from)));
            const int y = 12 - int(std::lround(std::sin(std::numbers::pi * t) * 11));
            c.page(x, y);
        }
        clip.frames.push_back(c.pixels());
    }
    return clip;
}

} // namespace qel::test
