#include "help/ContextHelp.h"

#include "FakeHelpViewer.h"
#include "GuiApp.h"
#include "help/HelpWindow.h"
#include "platform/AppObject.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace qel {
namespace {

using test::FakeHelpViewer;

// A window laid out like the program's: a window number, a frame with its
// own number holding an edit, an edit without number, a menu bar.
class ContextHelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_app.setHelpFile("C:\\Apps\\qeltrkl.HLP");
        m_filter.reset(installContextHelp(m_qapp, m_viewer, m_app));

        m_window.setProperty("HelpContextID", 130);
        auto* layout = new QVBoxLayout(&m_window);
        m_bar = new QMenuBar(&m_window);
        m_defaults = m_bar->addAction("Defaults");
        m_defaults->setProperty("HelpContextID", 310);
        m_help = m_bar->addMenu("Help");
        m_help->setProperty("HelpContextID", 320);
        m_contents = m_help->addAction("Contents");
        m_about = m_help->addAction("About");
        layout->setMenuBar(m_bar);

        m_frame = new QWidget(&m_window);
        m_frame->setProperty("HelpContextID", 110);
        m_inFrame = new QLineEdit(m_frame);
        m_plain = new QLineEdit(&m_window);
        m_numbered = new QLineEdit(&m_window);
        m_numbered->setProperty("HelpContextID", 410);
        layout->addWidget(m_frame);
        layout->addWidget(m_plain);
        layout->addWidget(m_numbered);
        m_window.show();
        QApplication::setActiveWindow(&m_window);
    }

    void pressF1On(QWidget* widget) {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_F1);
    }

    QApplication& m_qapp = test::guiApp(); // before any widget member
    AppObject m_app{"C:\\Apps", 1, 0, 0};
    FakeHelpViewer m_viewer;
    std::unique_ptr<QObject> m_filter;
    QWidget m_window;
    QMenuBar* m_bar = nullptr;
    QAction* m_defaults = nullptr;
    QMenu* m_help = nullptr;
    QAction* m_contents = nullptr;
    QAction* m_about = nullptr;
    QWidget* m_frame = nullptr;
    QLineEdit* m_inFrame = nullptr;
    QLineEdit* m_plain = nullptr;
    QLineEdit* m_numbered = nullptr;
};

TEST_F(ContextHelpTest, F1OpensTheNearestNumberUpTheParentChain) {
    pressF1On(m_numbered);
    pressF1On(m_inFrame);
    pressF1On(m_plain);

    ASSERT_EQ(m_viewer.calls().size(), 3);
    const WindowHandle owner = windowHandle(&m_window);
    const int expected[] = {410, 110, 130};
    for (int i = 0; i < 3; ++i) {
        const auto& call = m_viewer.calls()[i];
        EXPECT_EQ(call.kind, FakeHelpViewer::Kind::Topic);
        EXPECT_EQ(call.contextId, expected[i]);
        EXPECT_EQ(call.owner, owner);
        EXPECT_EQ(call.helpFile, "C:\\Apps\\qeltrkl.HLP");
    }
}

TEST_F(ContextHelpTest, F1InAnOpenMenuUsesTheActiveItemOrTheMenu) {
    m_about->setProperty("HelpContextID", 999);
    m_help->popup(m_window.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_help));
    m_help->setActiveAction(m_contents);
    QTest::keyClick(m_help, Qt::Key_F1);
    m_help->setActiveAction(m_about);
    QTest::keyClick(m_help, Qt::Key_F1);
    m_help->hide();

    ASSERT_EQ(m_viewer.calls().size(), 2);
    EXPECT_EQ(m_viewer.calls()[0].contextId, 320);
    EXPECT_EQ(m_viewer.calls()[1].contextId, 999);
    // The menu asks on behalf of its window, not of the popup.
    EXPECT_EQ(m_viewer.calls()[0].owner, windowHandle(&m_window));
}

TEST_F(ContextHelpTest, F1OnAMenuBarCommandUsesItsNumber) {
    m_bar->setFocus();
    m_bar->setActiveAction(m_defaults);
    QTest::keyClick(m_bar, Qt::Key_F1);

    ASSERT_FALSE(m_viewer.calls().isEmpty());
    EXPECT_EQ(m_viewer.calls().back().contextId, 310);
}

TEST_F(ContextHelpTest, WithoutNumberOpensTheContentsAndWithoutHelpFileNothing) {
    QWidget bare;
    auto* edit = new QLineEdit(&bare);
    bare.show();
    QApplication::setActiveWindow(&bare);
    pressF1On(edit);
    ASSERT_EQ(m_viewer.calls().size(), 1);
    EXPECT_EQ(m_viewer.calls()[0].kind, FakeHelpViewer::Kind::Contents);
    EXPECT_EQ(m_viewer.calls()[0].owner, windowHandle(&bare));

    m_app.setHelpFile({});
    pressF1On(edit);
    EXPECT_EQ(m_viewer.calls().size(), 1);
}

TEST_F(ContextHelpTest, OtherKeysTheHelpWindowAndRemovedFilterAskForNothing) {
    HelpWindow help;
    help.show();
    QApplication::setActiveWindow(&help);
    pressF1On(help.browser());
    EXPECT_TRUE(m_viewer.calls().isEmpty());

    QApplication::setActiveWindow(&m_window);
    m_numbered->setFocus();
    QTest::keyClick(m_numbered, Qt::Key_A);
    EXPECT_EQ(m_numbered->text(), "a");
    m_filter.reset();
    QTest::keyClick(m_numbered, Qt::Key_F1);
    EXPECT_TRUE(m_viewer.calls().isEmpty());
}

TEST(WindowHandleTest, IsStablePerWindowDistinctAndNeverZero) {
    test::guiApp();
    QWidget first;
    QWidget second;
    auto* child = new QLineEdit(&first);

    const WindowHandle a = windowHandle(&first);
    EXPECT_NE(a, 0);
    EXPECT_EQ(windowHandle(&first), a);
    EXPECT_EQ(windowHandle(child), a);
    EXPECT_NE(windowHandle(&second), a);
    EXPECT_NE(windowHandle(&second), 0);
    EXPECT_EQ(windowHandle(nullptr), 0);
}

} // namespace
} // namespace qel
