// The system's animation control in the clip's place, under a real display.

#include "AviWriter.h"
#include "ErrorNumber.h"
#include "GuiApp.h"
#include "MapDrives.h"
#include "controls/ClipControl.h"
#include "platform/Error.h"
#include "platform/windows/Win32.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <commctrl.h>
#include <gtest/gtest.h>

namespace qel {
namespace {

using test::AviClip;
using test::AviEncoding;

// Two frames, one red and one blue, so what the control shows tells them apart.
AviClip redBlue(AviEncoding encoding) {
    AviClip clip;
    clip.width = 40;
    clip.height = 20;
    clip.encoding = encoding;
    clip.palette = {0xff0000, 0x0000ff};
    const bool raw24 = encoding == AviEncoding::Raw24;
    clip.frames = {std::vector<uint32_t>(800, raw24 ? 0xff0000 : 0),
                   std::vector<uint32_t>(800, raw24 ? 0x0000ff : 1)};
    return clip;
}

class WindowsClipControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_drives.addDrive('C', m_dir.path().toUtf8());
        m_drives.addNotReady('A');
        m_clip = makeClipControl(m_drives, &m_window);
        m_window.resize(400, 60);
        m_clip->setGeometry(24, 8, 353, 33);
        m_window.show();
    }

    void put(const char* name, const QByteArray& bytes) {
        ASSERT_TRUE(test::writeFile(m_dir.filePath(QString::fromLatin1(name)), bytes));
    }

    // The colours at the centre of the system's control over a while.
    QSet<COLORREF> coloursShown(int ms = 1000) {
        const HWND control = FindWindowExW(reinterpret_cast<HWND>(m_clip->winId()), nullptr,
                                           ANIMATE_CLASSW, nullptr);
        EXPECT_NE(control, nullptr);
        RECT rect{};
        GetClientRect(control, &rect);
        EXPECT_EQ(rect.right, m_clip->width());
        EXPECT_EQ(rect.bottom, m_clip->height());
        QSet<COLORREF> seen;
        QElapsedTimer clock;
        clock.start();
        do {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            const HDC dc = GetDC(control);
            seen.insert(GetPixel(dc, rect.right / 2, rect.bottom / 2));
            ReleaseDC(control, dc);
            Sleep(20);
        } while (clock.elapsed() < ms);
        return seen;
    }

    QApplication& m_app = test::guiApp();
    QTemporaryDir m_dir;
    test::MapDrives m_drives;
    QWidget m_window;
    ClipControl* m_clip = nullptr;
};

TEST_F(WindowsClipControlTest, PlaysEveryFrameOfSilentClipsUntilStopped) {
    for (AviEncoding encoding : {AviEncoding::Rle8, AviEncoding::Raw8, AviEncoding::Raw24}) {
        SCOPED_TRACE(int(encoding));
        put("FILECOPY.AVI", test::aviBytes(redBlue(encoding)));
        m_clip->Open(QStringLiteral("C:\\FILECOPY.AVI"));
        m_clip->Play();
        const QSet<COLORREF> seen = coloursShown();
        EXPECT_TRUE(seen.contains(RGB(255, 0, 0)));
        EXPECT_TRUE(seen.contains(RGB(0, 0, 255)));
        m_clip->Stop();
        m_clip->Close();
        // The strip is empty again, as after a run.
        const QSet<COLORREF> after = coloursShown(100);
        EXPECT_FALSE(after.contains(RGB(255, 0, 0)) || after.contains(RGB(0, 0, 255)));
    }
    // Quiet without a clip, as the end of every run calls them.
    m_clip->Stop();
    m_clip->Close();
    EXPECT_EQ(test::errorNumberOf([&] { m_clip->Play(); }), 5);
}

TEST_F(WindowsClipControlTest, RefusesWhatItCannotPlayAndStaysClosed) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    QImage(40, 20, QImage::Format_RGB32).save(&png, "PNG");
    put("PICTURE.AVI", png.data());
    put("SOUND.AVI", test::aviWithSoundBytes(redBlue(AviEncoding::Rle8)));
    put("GOOD.AVI", test::aviBytes(redBlue(AviEncoding::Rle8)));
    m_clip->Open(QStringLiteral("C:\\GOOD.AVI"));

    const struct {
        const char* path;
        int error;
    } cases[] = {
        {"C:\\MISSING.AVI", 53},
        {"A:\\FILECOPY.AVI", 68},
        {"C:\\PICTURE.AVI", 321},
        {"C:\\SOUND.AVI", 321},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(test::errorNumberOf([&] { m_clip->Open(QString::fromLatin1(c.path)); }), c.error);
        EXPECT_EQ(test::errorNumberOf([&] { m_clip->Play(); }), 5);
    }
}

} // namespace
} // namespace qel
