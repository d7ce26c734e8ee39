#include "platform/QtDialogs.h"

#include "platform/AppObject.h"
#include "platform/Error.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace qel {
namespace {

QApplication& guiApp() {
    static int argc = 1;
    static char name[] = "QtDialogsTest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs act on the next message box that opens, from inside its modal loop.
void whenBoxShows(std::function<void(QMessageBox&)> act) {
    auto* poll = new QTimer(&guiApp());
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*box);
    });
    poll->start();
}

class QtDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { guiApp(); }

    AppObject m_app{QStringLiteral("C:\\Apps"), 1, 0, 0};
    QtDialogs m_dialogs{m_app};
};

struct DefaultCase {
    BoxKind kind;
    DefaultButton defaultButton;
    Answer expected;
    QMessageBox::StandardButtons shown;
};

class QtDialogsDefaultTest : public QtDialogsTest,
                             public ::testing::WithParamInterface<DefaultCase> {};

TEST_P(QtDialogsDefaultTest, EnterAnswersTheDefaultButton) {
    const DefaultCase c = GetParam();
    QMessageBox::StandardButtons seen;
    whenBoxShows([&](QMessageBox& box) {
        for (QAbstractButton* b : box.buttons())
            seen |= box.standardButton(b);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(m_dialogs.MsgBox("Pick one", c.kind, Icon::None, c.defaultButton, "T"), c.expected);
    EXPECT_EQ(seen, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    AllButtonSets, QtDialogsDefaultTest,
    ::testing::Values(
        DefaultCase{BoxKind::Notice, DefaultButton::First, Answer::OK, QMessageBox::Ok},
        DefaultCase{BoxKind::Notice, DefaultButton::Second, Answer::OK, QMessageBox::Ok},
        DefaultCase{BoxKind::DiskRequest, DefaultButton::First, Answer::OK,
                    QMessageBox::Ok | QMessageBox::Cancel},
        DefaultCase{BoxKind::DiskRequest, DefaultButton::Second, Answer::Cancel,
                    QMessageBox::Ok | QMessageBox::Cancel},
        DefaultCase{BoxKind::Confirmation, DefaultButton::First, Answer::Yes,
                    QMessageBox::Yes | QMessageBox::No},
        DefaultCase{BoxKind::Confirmation, DefaultButton::Second, Answer::No,
                    QMessageBox::Yes | QMessageBox::No},
        DefaultCase{BoxKind::DriveRetry, DefaultButton::First, Answer::Retry,
                    QMessageBox::Retry | QMessageBox::Cancel},
        DefaultCase{BoxKind::DriveRetry, DefaultButton::Second, Answer::Cancel,
                    QMessageBox::Retry | QMessageBox::Cancel}));

struct EscapeCase {
    BoxKind kind;
    Answer expected;
};

class QtDialogsEscapeTest : public QtDialogsTest,
                            public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(QtDialogsEscapeTest, EscAndTheCloseBoxAnswerCancelOrTheOnlyButton) {
    const EscapeCase c = GetParam();
    whenBoxShows([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(m_dialogs.MsgBox("Esc", c.kind, Icon::Critical, DefaultButton::First, {}),
              c.expected);
    whenBoxShows([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(m_dialogs.MsgBox("Close", c.kind, Icon::Critical, DefaultButton::First, {}),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(ButtonSetsThatCanBeEscaped, QtDialogsEscapeTest,
                         ::testing::Values(EscapeCase{BoxKind::Notice, Answer::OK},
                                           EscapeCase{BoxKind::FileNotFound, Answer::Cancel},
                                           EscapeCase{BoxKind::DriveRetry, Answer::Cancel}));

TEST_F(QtDialogsTest, YesNoBoxCanOnlyBeAnswered) {
    bool stillOpenAfterEsc = false;
    bool stillOpenAfterClose = false;
    bool hasCloseButton = true;
    whenBoxShows([&](QMessageBox& box) {
        hasCloseButton = box.windowFlags().testFlag(Qt::WindowCloseButtonHint);
        QTest::keyClick(&box, Qt::Key_Escape);
        stillOpenAfterEsc = box.isVisible();
        box.close();
        stillOpenAfterClose = box.isVisible();
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(m_dialogs.MsgBox("Exit?", BoxKind::Exit, Icon::Question, DefaultButton::First, {}),
              Answer::No);
    EXPECT_TRUE(stillOpenAfterEsc);
    EXPECT_TRUE(stillOpenAfterClose);
    EXPECT_FALSE(hasCloseButton);
}

TEST_F(QtDialogsTest, ShowsTextIconAndTitleWithTheApplicationTitleWhenNoneIsGiven) {
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon;
        Qt::WindowModality modality;
    };
    QList<Seen> seen;
    auto record = [&](QMessageBox& box) {
        // Without the zero-width wrapping points, which are drawn as nothing.
        seen.push_back({box.windowTitle(), box.text().remove(QChar(0x200B)), box.icon(),
                        box.windowModality()});
        box.button(QMessageBox::Ok)->click();
    };
    whenBoxShows(record);
    m_dialogs.MsgBox("a <b>bold</b> & name", BoxKind::Error, Icon::Exclamation,
                     DefaultButton::First, {});
    whenBoxShows(record);
    m_dialogs.MsgBox("info", BoxKind::Notice, Icon::Information, DefaultButton::First,
                     "Qel Trekkel");

    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].title, "QEL_Trekkel");
    EXPECT_EQ(seen[0].text, "a <b>bold</b> & name");
    EXPECT_EQ(seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(seen[0].modality, Qt::ApplicationModal);
    EXPECT_EQ(seen[1].title, "Qel Trekkel");
    EXPECT_EQ(seen[1].icon, QMessageBox::Information);
}

// Short boxes are wide enough for the window manager to show their title.
TEST_F(QtDialogsTest, BoxIsAtLeastAsWideAsItsTitleNeeds) {
    for (const char* title : {"Backup Complete", "Disk full", "File not found", ""}) {
        int width = 0;
        int needed = 0;
        whenBoxShows([&](QMessageBox& box) {
            width = box.width();
            needed = titleWidthNeeded(box.windowTitle(), box.font());
            QTest::keyClick(&box, Qt::Key_Return);
        });
        m_dialogs.MsgBox("x", BoxKind::Notice, Icon::None, DefaultButton::First, title);
        EXPECT_GE(width, needed) << title;
        EXPECT_GT(needed, 0) << title;
    }
}

// A path has no spaces to wrap at: without help the box grows as wide as the
// screen and its end is cut off.
TEST_F(QtDialogsTest, LongPathWrapsInsideABoxTheScreenShowsWhole) {
    QString path = QStringLiteral("C:");
    while (path.size() < 240)
        path += QStringLiteral("\\PortfolioHistory2026");
    path += QStringLiteral("\\") + QString(60, u'N') + QStringLiteral("\\ACCT1");
    const QString text = QStringLiteral("File ") + path +
                         QStringLiteral("\\*.HSTis not found. The file will not be backed up.");
    int width = 0;
    int screenWidth = 0;
    QString drawn;
    QString readOut;
    whenBoxShows([&](QMessageBox& box) {
        width = box.width();
        screenWidth = box.screen()->availableGeometry().width();
        const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        drawn = label->text();
        readOut = label->accessibleName();
        QTest::keyClick(&box, Qt::Key_Return);
    });
    m_dialogs.MsgBox(text, BoxKind::Error, Icon::Critical, DefaultButton::First, QString());

    EXPECT_LE(width, screenWidth * 2 / 3);
    // A wrapping point after each separator, and one inside the long name.
    EXPECT_EQ(drawn.count(QChar(0x200B)), text.count(u'\\') + 1);
    EXPECT_EQ(drawn.remove(QChar(0x200B)), text);
    EXPECT_EQ(readOut, text);
}

TEST_F(QtDialogsTest, BoxWhoseOwnerWindowIsDestroyedAnswersSafely) {
    auto* owner = new QWidget;
    owner->show();
    QApplication::setActiveWindow(owner);
    whenBoxShows([owner](QMessageBox&) { delete owner; });
    EXPECT_EQ(
        m_dialogs.MsgBox("Retry?", BoxKind::DriveRetry, Icon::Critical, DefaultButton::First, {}),
        Answer::Cancel);
}

TEST_F(QtDialogsTest, DoEventsRunsWhatIsPending) {
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    m_dialogs.DoEvents();
    EXPECT_EQ(ran, 1);
}

TEST_F(QtDialogsTest, RunWithoutInputKeepsTimersRunningAndTakesNoInput) {
    QWidget window;
    auto* button = new QPushButton("Exit", &window);
    auto* edit = new QLineEdit(&window);
    edit->move(0, 40);
    window.show();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });

    std::atomic<int> ticks{0};
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);

    bool workerThread = false;
    const auto uiThread = std::this_thread::get_id();
    m_dialogs.runWithoutInput([&] {
        workerThread = std::this_thread::get_id() != uiThread;
        const QPoint centre = button->rect().center();
        QCoreApplication::postEvent(
            button, new QMouseEvent(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre),
                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(
            button, new QMouseEvent(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre),
                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        // As the window system delivers a key press.
        QTest::keyClick(window.windowHandle(), Qt::Key_X);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
        while (ticks < 3 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    m_dialogs.DoEvents();

    EXPECT_TRUE(workerThread);
    EXPECT_GE(ticks.load(), 3);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(edit->text(), QString());
}

TEST_F(QtDialogsTest, RunWithoutInputRethrowsTheWorkersError) {
    try {
        m_dialogs.runWithoutInput([] { throw Error(err::DiskFull); });
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::DiskFull);
        EXPECT_EQ(e.description(), "Disk full");
    }
    // The loop is left cleanly: a second run works.
    bool ran = false;
    m_dialogs.runWithoutInput([&] { ran = true; });
    EXPECT_TRUE(ran);
}

} // namespace
} // namespace qel
