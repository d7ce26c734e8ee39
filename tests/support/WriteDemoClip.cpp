// Writes the demo copy clip, for a program that runs where the tests' own
// tools do not (the Windows program under Wine): built for the host by the
// script that needs it.
//
//   write_demo_clip <clip.avi> [background RRGGBB]

#include "AviWriter.h"
#include "DemoClip.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <clip.avi> [background RRGGBB]\n", argv[0]);
        return 2;
    }
    const uint32_t background = argc > 2 ? uint32_t(std::strtoul(argv[2], nullptr, 16)) : 0xf0f0f0;
    const QByteArray clip = qel::test::aviBytes(qel::test::demoCopyClip(background));
    if (!qel::test::writeFile(QString::fromLocal8Bit(argv[1]), clip)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
