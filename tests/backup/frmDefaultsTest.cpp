#include "backup/frmDefaults.h"

#include "Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qel {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "frmDefaultsTest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing it down among the static destructors crashes.
    static auto* a = new QApplication(argc, argv);
    return *a;
}

template <typename W = QWidget> W* child(QWidget* w, const char* name) {
    auto* c = w->findChild<W*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// The menu command's contract: one instance, created when there is none.
frmDefaults* showDefaults(QPointer<frmDefaults>& window) {
    if (!window)
        window = new frmDefaults;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

class frmDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { app(); }
    void TearDown() override { delete m_window.data(); }

    QPointer<frmDefaults> m_window;
};

struct Placed {
    const char* name;
    QRect geometry;
    bool enabled;
    bool visible;
};

TEST_F(frmDefaultsTest, LaysOutEveryControlAtItsPlaceAndState) {
    frmDefaults* w = showDefaults(m_window);
    EXPECT_EQ(w->windowTitle(), "QEL Trekkel Defaults");
    EXPECT_EQ(w->size(), QSize(661, 271));
    EXPECT_EQ(w->parent(), nullptr);
    EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(w->property("HelpContextID").toInt(), 1);
    EXPECT_FALSE(w->property("Tag").toString().isEmpty());

    const Placed table[] = {
        {"chk_QELmainonce", {8, 8, 257, 33}, true, true},
        {"Label3", {8, 48, 121, 17}, true, true},
        {"Txt_Backupdrivedefault", {160, 48, 49, 19}, true, true},
        {"Label4", {232, 48, 249, 17}, true, true},
        {"Label1", {8, 80, 145, 17}, false, true},
        {"Text1", {160, 80, 457, 19}, false, true},
        {"Label2", {8, 120, 137, 17}, false, true},
        {"Txt_filelist", {160, 120, 457, 105}, false, true},
        {"cmdExitDefaults", {8, 240, 97, 25}, true, true},
        {"Label5x", {120, 240, 361, 17}, true, false},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(c.name);
        QWidget* widget = child(w, c.name);
        ASSERT_NE(widget, nullptr);
        // A caption wider than the layout allowed grows its control to the right.
        EXPECT_EQ(widget->geometry().topLeft(), c.geometry.topLeft());
        EXPECT_EQ(widget->height(), c.geometry.height());
        EXPECT_GE(widget->width(), c.geometry.width());
        EXPECT_EQ(widget->isEnabled(), c.enabled);
        EXPECT_EQ(widget->isVisible(), c.visible);
    }
    EXPECT_EQ(child<QLineEdit>(w, "Txt_Backupdrivedefault")->text(), "a:");
    EXPECT_EQ(child<QLineEdit>(w, "Text1")->text(), "Text1");
    EXPECT_EQ(child<QPlainTextEdit>(w, "Txt_filelist")->toPlainText().split('\n'),
              (QStringList{".HST", ".CVD", ".CVT", ".XPT", ""}));
    EXPECT_EQ(child(w, "Txt_filelist")->property("HelpContextID").toInt(), 410);
    EXPECT_TRUE(child<QCheckBox>(w, "chk_QELmainonce")->isChecked());
    EXPECT_FALSE(child<QPushButton>(w, "cmdExitDefaults")->isDefault());
    EXPECT_EQ(child<QLabel>(w, "Label5x")->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));
    test::keepScreenshot(*w, "defaults.png");
}

TEST_F(frmDefaultsTest, FocusStartsOnSaveAndExitAndTabCyclesTheThreeLiveControls) {
    frmDefaults* w = showDefaults(m_window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"cmdExitDefaults", "chk_QELmainonce", "Txt_Backupdrivedefault",
                                  "cmdExitDefaults"}));
}

TEST_F(frmDefaultsTest, SaveAndExitKeepsTheValuesAndTheCloseBoxDiscardsThem) {
    frmDefaults* first = showDefaults(m_window);
    child<QLineEdit>(first, "Txt_Backupdrivedefault")->setText("b");
    child<QCheckBox>(first, "chk_QELmainonce")->setChecked(false);

    QTest::mouseClick(child<QPushButton>(first, "cmdExitDefaults"), Qt::LeftButton);
    EXPECT_FALSE(first->isVisible());
    ASSERT_FALSE(m_window.isNull());

    // Shown again: the same window, with what the user left in it.
    EXPECT_EQ(showDefaults(m_window), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(child<QLineEdit>(first, "Txt_Backupdrivedefault")->text(), "b");
    EXPECT_FALSE(child<QCheckBox>(first, "chk_QELmainonce")->isChecked());

    // Showing it while it is shown makes no second window.
    showDefaults(m_window);
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        windows += qobject_cast<frmDefaults*>(top) != nullptr;
    EXPECT_EQ(windows, 1);

    first->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());

    frmDefaults* fresh = showDefaults(m_window);
    EXPECT_EQ(child<QLineEdit>(fresh, "Txt_Backupdrivedefault")->text(), "a:");
    EXPECT_TRUE(child<QCheckBox>(fresh, "chk_QELmainonce")->isChecked());
}

TEST_F(frmDefaultsTest, AHiddenDefaultsWindowDoesNotKeepTheProgramRunning) {
    QWidget main;
    main.show();
    showDefaults(m_window)->cmdExitDefaults_Click();

    // The event loop ends by itself once the main window is closed; the
    // timer only stops a loop that the hidden window would keep alive.
    QTimer::singleShot(0, &main, [&] { main.close(); });
    QTimer::singleShot(5000, &main, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace
} // namespace qel
