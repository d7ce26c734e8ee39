#include "backup/frmBackup.h"

#include "AviWriter.h"
#include "controls/linux/LinuxClipControl.h"
#include "MapDrives.h"
#include "platform/Error.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qel {
namespace {

template <typename W = QWidget> W* child(QWidget* window, const char* name) {
    auto* c = window->findChild<W*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class frmBackupTest : public ::testing::Test {
protected:
    void putClip() {
        test::AviClip clip;
        clip.width = 8;
        clip.height = 4;
        clip.palette = {0xff0000, 0x00ff00};
        clip.frames = {std::vector<uint32_t>(32, 0), std::vector<uint32_t>(32, 1)};
        ASSERT_TRUE(test::writeFile(m_dir.filePath("FILECOPY.AVI"), test::aviBytes(clip)));
    }
    // The window's state as a fresh load has it.
    void expectBlank(QWidget* w) {
        EXPECT_EQ(child<QLineEdit>(w, "Text1")->text(), " ");
        EXPECT_EQ(child<QLineEdit>(w, "Text2")->text(), " ");
        EXPECT_EQ(child<QProgressBar>(w, "prgFileCopy")->value(), 0);
        EXPECT_FALSE(child<LinuxClipControl>(w, "Animation1")->isOpen());
    }

    QTemporaryDir m_dir;
    test::MapDrives m_drives = [this] {
        test::MapDrives drives;
        drives.addDrive('C', m_dir.path().toUtf8());
        return drives;
    }();
    frmBackup m_form{m_drives};
};

// Owned by the main window, the window manager keeps it above that window.
TEST_F(frmBackupTest, WithAnOwnerIsItsOwnModelessWindowOwnedByIt) {
    QWidget owner;
    frmBackup form(m_drives, &owner);
    form.show();
    QWidget* w = form.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), &owner);
    EXPECT_TRUE(w->isWindow());
    EXPECT_FALSE(w->isModal());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(owner.isVisible());
}

TEST_F(frmBackupTest, LaysOutEveryControlInStoredOrderWithItsInitialState) {
    EXPECT_EQ(m_form.window(), nullptr) << "nothing is built before first use";
    m_form.show();
    QWidget* w = m_form.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "QEL_Trekkel Backup");
    EXPECT_EQ(w->size(), QSize(420, 184));
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->parent(), nullptr);

    struct Placed {
        const char* name;
        QRect geometry;
    };
    // Back to front, as stored: later controls lie on top.
    const Placed layout[] = {
        {"Text2", {8, 136, 393, 17}},
        {"prgFileCopy", {24, 64, 353, 17}},
        {"Text1", {16, 104, 393, 17}},
        {"Animation1", {24, 8, 353, 33}},
    };
    QStringList stacking;
    for (QObject* o : w->children())
        if (o->isWidgetType())
            stacking << o->objectName();
    EXPECT_EQ(stacking, (QStringList{"Text2", "prgFileCopy", "Text1", "Animation1"}));
    for (const Placed& p : layout)
        EXPECT_EQ(child(w, p.name)->geometry(), p.geometry) << p.name;

    expectBlank(w);
    auto* bar = child<QProgressBar>(w, "prgFileCopy");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_FALSE(bar->isTextVisible()) << "an empty bar shows no 0%";

    for (const char* line : {"Text1", "Text2"}) {
        auto* edit = child<QLineEdit>(w, line);
        EXPECT_FALSE(edit->focusPolicy() & Qt::TabFocus) << line;
        EXPECT_TRUE(edit->isReadOnly()) << line;
        EXPECT_EQ(edit->palette().color(QPalette::Base), w->palette().color(QPalette::Window));
    }
    auto* strip = child(w, "Animation1");
    EXPECT_EQ(strip->palette().color(strip->backgroundRole()),
              strip->palette().color(QPalette::Button));

    // No control is a tab stop.
    EXPECT_EQ(child(w, "Animation1")->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(child(w, "prgFileCopy")->focusPolicy(), Qt::NoFocus);
}

TEST_F(frmBackupTest, IsCentredOnTheScreenWhenShown) {
    m_form.show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = m_form.window()->frameGeometry().center() - screen.center();
    EXPECT_LE(offset.manhattanLength(), 2);
}

TEST_F(frmBackupTest, WritesReachTheControlsAndUnloadStartsTheNextShowBlank) {
    putClip();
    m_form.show();
    auto& clip = static_cast<LinuxClipControl&>(m_form.animation());
    clip.Open("C:\\FILECOPY.AVI");
    clip.Play();
    m_form.setSourceLine("From:  C:\\DATA\\*.HST");
    m_form.setDestinationLine("  To:  a:\\DATA\\");
    m_form.setProgress(60);
    QWidget* w = m_form.window();
    EXPECT_EQ(child<QLineEdit>(w, "Text1")->text(), "From:  C:\\DATA\\*.HST");
    EXPECT_EQ(child<QLineEdit>(w, "Text2")->text(), "  To:  a:\\DATA\\");
    EXPECT_EQ(child<QProgressBar>(w, "prgFileCopy")->value(), 60);
    EXPECT_EQ(&clip, child<LinuxClipControl>(w, "Animation1"));

    m_form.unload();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(m_form.window(), nullptr);
    // A run may still hold the control it started: it stays usable and quiet.
    EXPECT_FALSE(clip.isPlaying());
    EXPECT_NO_THROW(clip.Stop());
    EXPECT_NO_THROW(clip.Close());

    m_form.show();
    ASSERT_NE(m_form.window(), nullptr);
    EXPECT_TRUE(m_form.window()->isVisible());
    expectBlank(m_form.window());
    m_form.unload();
    EXPECT_NO_THROW(m_form.unload()) << "unloading twice is harmless";
}

TEST_F(frmBackupTest, AWriteBeforeShowLoadsTheWindowHiddenAndShowKeepsIt) {
    m_form.setSourceLine("From:  x");
    ASSERT_NE(m_form.window(), nullptr);
    EXPECT_FALSE(m_form.window()->isVisible());
    m_form.show();
    EXPECT_EQ(child<QLineEdit>(m_form.window(), "Text1")->text(), "From:  x");
}

TEST_F(frmBackupTest, ProgressOutsideTheBarsRangeIsRefusedAndTheBarKeepsItsValue) {
    m_form.setProgress(40);
    for (int bad : {-1, 101}) {
        try {
            m_form.setProgress(bad);
            ADD_FAILURE() << bad << " accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 380);
        }
    }
    EXPECT_EQ(child<QProgressBar>(m_form.window(), "prgFileCopy")->value(), 40);
}

TEST_F(frmBackupTest, ClosingTheWindowMidRunLeavesTheRunWorking) {
    putClip();
    m_form.show();
    m_form.animation().Open("C:\\FILECOPY.AVI");
    m_form.window()->close();
    m_form.setProgress(80);
    m_form.animation().Stop();
    m_form.animation().Close();
    m_form.unload();
    m_form.show();
    expectBlank(m_form.window());
}

} // namespace
} // namespace qel

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
