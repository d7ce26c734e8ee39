#include "AppHarness.h"
#include "app/FrmMain.h"
#include "app/Module1.h"
#include "app/TextField.h"
#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qel::test {
namespace {

QString captionOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (auto* line = qobject_cast<const QLineEdit*>(w))
        return line->text();
    if (auto* text = qobject_cast<const QPlainTextEdit*>(w))
        return text->toPlainText();
    return {};
}

QWidget* topLevelNamed(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

// Starts the program as main() does, over the harness's services.
class Started : public ::testing::Test {
protected:
    explicit Started(bool floppyReady = true)
        : h(floppyReady)
        , module1(h.services, h.help) {}

    void start() {
        module1.Main();
        ASSERT_TRUE(module1.MainForm());
        main = module1.MainForm();
    }

    template <typename T = QWidget> T* control(const char* name) const {
        T* found = main->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }

    AppHarness h;
    Module1 module1;
    QPointer<FrmMain> main;
};

class StartedWithoutFloppy : public Started {
protected:
    StartedWithoutFloppy()
        : Started(false) {}
};

TEST_F(Started, SplashGoesAndTheMainWindowShowsWithAForAsDestination) {
    start();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(topLevelNamed("frmSplash"), nullptr);
    EXPECT_TRUE(h.dialogs.boxes().isEmpty());
    EXPECT_TRUE(control<DriveListBox>("Drive2")->Drive().startsWith("a:"));

    ASSERT_EQ(h.help.calls().size(), 1);
    EXPECT_EQ(h.help.calls()[0].kind, FakeHelpViewer::Kind::Quit);
    EXPECT_NE(h.help.calls()[0].owner, 0);
    EXPECT_EQ(h.help.calls()[0].owner, module1.contextIDs().HelpOwnerWnd());
    EXPECT_EQ(h.app.HelpFile(), "C:\\QEL\\qeltrkl.HLP");

    // The lists open in step on the start folder.
    EXPECT_EQ(control<DirListBox>("Dir1")->Path(), "C:\\DATA");
    EXPECT_EQ(control<FileListBox>("File1")->Path(), "C:\\DATA");
}

TEST_F(StartedWithoutFloppy, FloppyQuestionComesOverTheSplashAndCancelTakesC) {
    int boxesOverSplash = 0;
    h.dialogs.answer({Answer::Retry, Answer::Retry, Answer::Cancel});
    h.dialogs.onBox = [&](const ShownBox&) {
        QWidget* splash = topLevelNamed("frmSplash");
        FrmMain* form = module1.MainForm();
        if (splash && splash->isVisible() && form && !form->isVisible())
            ++boxesOverSplash;
    };
    start();

    EXPECT_EQ(boxesOverSplash, 3);
    ASSERT_EQ(h.dialogs.boxes().size(), 3);
    EXPECT_EQ(h.dialogs.boxes()[0].title, "QEL Trekkel");
    EXPECT_TRUE(control<DriveListBox>("Drive2")->Drive().startsWith("C:"));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(h.help.calls().size(), 1);
}

struct ControlRow {
    const char* name;
    const char* kind;
    const char* caption;
    const char* toolTip;
    QRect geometry; // pixels: twips / 15
    bool visible;
    bool enabled;
};

// The window's layout, back to front.
const ControlRow Layout[] = {
    {"Text1", "qel::TextField", "", "", {200, 464, 345, 19}, true, true},
    {"Drive2",
     "qel::DriveListBox",
     nullptr,
     "Destination of backup files",
     {448, 8, 161, 21},
     true,
     true},
    {"cmd_BackupDefault",
     "QPushButton",
     "Backup QEL Files",
     "Backup Corvane QEL data files",
     {256, 176, 121, 33},
     true,
     true},
    {"Cmd_exit", "QPushButton", "Exit", "Exit the program", {552, 456, 113, 25}, true, true},
    {"Cmd_ViewFile",
     "QPushButton",
     "View this File",
     "View last selected file",
     {520, 296, 113, 25},
     true,
     false},
    {"Check1",
     "QCheckBox",
     "Save current directory as startup default?",
     "",
     {8, 272, 217, 17},
     true,
     false},
    {"Txt_FileInfo", "qel::MultiLineTextField", "", "", {8, 296, 497, 105}, true, true},
    {"Drive1",
     "qel::DriveListBox",
     nullptr,
     "Which drive are the files on?",
     {8, 64, 137, 21},
     true,
     true},
    {"File1",
     "qel::FileListBox",
     nullptr,
     "Which SPECIFIC files do you want backed up?  Select all.",
     {448, 120, 217, 136},
     true,
     true},
    {"Dir1",
     "qel::DirListBox",
     nullptr,
     "Which directory has the files to be backed up?",
     {8, 120, 217, 141},
     true,
     true},
    {"cmd_BackupNow",
     "QPushButton",
     "Backup Now",
     "Backup selected files to the destination drive",
     {0, 456, 153, 25},
     false,
     true},
    {"Label5x", "QLabel", nullptr, "", {240, 56, 361, 17}, false, true},
    {"Label4", "QLabel", "Select the source drive", "", {8, 48, 129, 17}, true, true},
    {"Label3", "QLabel", "Select the files", "", {448, 96, 193, 17}, true, false},
    {"Label2", "QLabel", "Select the directory with QEL files", "", {8, 104, 217, 17}, true, true},
    {"Label1",
     "QLabel",
     "Select the files to copy to the destination drive  ==>",
     "",
     {8, 8, 425, 25},
     true,
     true},
};

TEST_F(Started, EveryControlAsLaidOut) {
    start();
    QWidget* client = main->centralWidget();
    EXPECT_EQ(client->size(), QSize(685, 490));
    EXPECT_EQ(client->geometry().top(), main->menuBar()->geometry().bottom() + 1);

    QStringList backToFront;
    for (QObject* child : client->children())
        if (child->isWidgetType())
            backToFront << child->objectName();
    QStringList expectedOrder;
    for (const ControlRow& row : Layout)
        expectedOrder << row.name;
    EXPECT_EQ(backToFront, expectedOrder);

    for (const ControlRow& row : Layout) {
        SCOPED_TRACE(row.name);
        QWidget* w = control(row.name);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->parentWidget(), client);
        EXPECT_STREQ(w->metaObject()->className(), row.kind);
        if (row.caption) {
            EXPECT_EQ(captionOf(w), QString::fromUtf8(row.caption));
        }
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(row.toolTip));
        // A caption wider than the layout allowed grows its control to the right.
        EXPECT_EQ(w->geometry().topLeft(), row.geometry.topLeft());
        EXPECT_EQ(w->height(), row.geometry.height());
        EXPECT_GE(w->width(), row.geometry.width());
        EXPECT_EQ(!w->isHidden(), row.visible);
        EXPECT_EQ(w->isEnabled(), row.enabled);
    }

    EXPECT_EQ(main->windowTitle(), "Qel Trekkel");
    EXPECT_EQ(main->property("HelpContextID").toInt(), 130);
    EXPECT_TRUE(main->property("Tag").toString().startsWith("This is where all the activity"));
    EXPECT_TRUE(main->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(main->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_NE(main->minimumSize(), main->maximumSize());

    const QFont label1 = control("Label1")->font();
    EXPECT_EQ(label1.pointSizeF(), 12);
    EXPECT_TRUE(label1.bold());
    auto* label5x = control<QLabel>("Label5x");
    EXPECT_TRUE(label5x->font().bold() && label5x->font().italic());
    EXPECT_EQ(label5x->font().pointSizeF(), 8.25);
    EXPECT_EQ(label5x->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(label5x->text().isEmpty());

    auto* text1 = control<QLineEdit>("Text1");
    EXPECT_EQ(text1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(text1->palette().color(QPalette::Base), QColor(0xD4, 0xD0, 0xC8));
    auto* info = control<QPlainTextEdit>("Txt_FileInfo");
    EXPECT_EQ(info->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(info->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(info->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(control<FileListBox>("File1")->selectionMode(), QAbstractItemView::MultiSelection);
    EXPECT_FALSE(control<QCheckBox>("Check1")->isChecked());
}

TEST_F(Started, MenuAsLaidOut) {
    start();
    const QList<QAction*> bar = main->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->objectName(), "Mnu_Defaults");
    EXPECT_EQ(bar[0]->text(), "Defaults");
    EXPECT_EQ(bar[0]->menu(), nullptr);
    EXPECT_EQ(bar[0]->property("HelpContextID").toInt(), 310);

    QMenu* help = bar[1]->menu();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->objectName(), "Mnu_Help");
    EXPECT_EQ(help->title(), "Help");
    EXPECT_EQ(help->property("HelpContextID").toInt(), 320);
    const QList<QAction*> items = help->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->objectName(), "Hlp_Contents");
    EXPECT_EQ(items[0]->text(), "Contents");
    EXPECT_EQ(items[1]->objectName(), "Mnu_Seperator");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->objectName(), "Hlp_About");
    EXPECT_EQ(items[2]->text(), "About");
    for (QAction* action : QList<QAction*>{bar[0], bar[1], items[0], items[1], items[2]}) {
        SCOPED_TRACE(action->objectName().toStdString());
        EXPECT_TRUE(action->shortcut().isEmpty());
        EXPECT_FALSE(action->isCheckable());
        EXPECT_TRUE(action->isEnabled() && action->isVisible());
        EXPECT_FALSE(action->text().contains(u'&'));
    }
}

TEST_F(Started, FocusStartsInDir1AndTabCyclesTheLaidOutOrder) {
    start();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "Dir1");

    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, QStringList({"File1", "Drive1", "Txt_FileInfo", "Cmd_exit",
                                    "cmd_BackupDefault", "Drive2", "Dir1"}));
}

TEST_F(Started, HiddenAndDisabledControlsNeverReact) {
    start();
    QTest::mouseClick(control("Check1"), Qt::LeftButton);
    QTest::mouseClick(control("Cmd_ViewFile"), Qt::LeftButton);
    control<QPushButton>("cmd_BackupNow")->click();
    EXPECT_FALSE(control<QCheckBox>("Check1")->isChecked());
    EXPECT_TRUE(h.dialogs.boxes().isEmpty());
    EXPECT_TRUE(main->isVisible());
}

TEST_F(Started, ExitAnsweredNoChangesNothing) {
    start();
    h.dialogs.answer({Answer::No});
    control<QPushButton>("Cmd_exit")->click();
    ASSERT_EQ(h.dialogs.boxes().size(), 1);
    EXPECT_EQ(h.dialogs.boxes()[0].text, "Do you want to exit the program?");
    EXPECT_FALSE(h.app.hasEnded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(main);
    EXPECT_TRUE(main->isVisible());
}

// Runs the event loop until the program quits; false when it had to be
// stopped after a few seconds.
bool runUntilQuit(const std::function<void()>& first) {
    QTimer::singleShot(0, first);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    return QApplication::exec() == 0;
}

TEST_F(Started, ExitYesClosesEveryWindowHiddenOrNotAndEndsTheProgram) {
    start();
    main->findChild<QAction*>("Mnu_Defaults")->trigger();
    main->findChild<QAction*>("Hlp_About")->trigger();
    QPointer<QWidget> defaults = topLevelNamed("frmDefaults");
    QPointer<QWidget> about = topLevelNamed("frmAbout");
    ASSERT_TRUE(defaults && about);
    defaults->hide(); // as its "Save and Exit" does
    ASSERT_TRUE(about->isVisible());

    h.dialogs.answer({Answer::Yes});
    EXPECT_TRUE(runUntilQuit([&] { control<QPushButton>("Cmd_exit")->click(); }));
    EXPECT_TRUE(h.app.hasEnded());
    EXPECT_FALSE(main);
    EXPECT_FALSE(about);
    EXPECT_FALSE(defaults);
}

TEST_F(Started, CloseBoxLeavesAboutOpenAndTheProgramEndsWithIt) {
    start();
    main->findChild<QAction*>("Mnu_Defaults")->trigger();
    QPointer<QWidget> defaults = topLevelNamed("frmDefaults");
    ASSERT_TRUE(defaults);
    defaults->hide();
    main->findChild<QAction*>("Hlp_About")->trigger();
    QPointer<QWidget> about = topLevelNamed("frmAbout");
    ASSERT_TRUE(about);

    bool aboutOutlivedMain = false;
    EXPECT_TRUE(runUntilQuit([&] {
        main->close();
        QTimer::singleShot(50, [&] {
            aboutOutlivedMain = !main && about && about->isVisible();
            if (about)
                about->close();
        });
    }));
    EXPECT_TRUE(aboutOutlivedMain);
    EXPECT_TRUE(h.dialogs.boxes().isEmpty());
    EXPECT_FALSE(h.app.hasEnded());
    delete defaults.data();
}

TEST_F(Started, ExitDuringABackupYieldEndsTheRunThere) {
    start();
    // Confirm the drive, accept that there is no clip (C:\FILECOPY.AVI), then leave.
    h.dialogs.answer({Answer::Yes, Answer::OK, Answer::Yes});
    // The click arrives as an event and the yield processes events, as the real one does,
    // so the main window's deletion would come due inside the run.
    h.dialogs.atYield([&] {
        QTimer::singleShot(0, [&] { control<QPushButton>("Cmd_exit")->click(); });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    });
    control<DirListBox>("Dir1")->setPath(QStringLiteral("C:\\DATA\\ACCT1"));

    EXPECT_TRUE(runUntilQuit([&] { control<QPushButton>("cmd_BackupDefault")->click(); }));
    ASSERT_EQ(h.dialogs.boxes().size(), 3) << h.dialogs.texts().join(" | ").toStdString();
    EXPECT_TRUE(h.dialogs.boxes()[0].text.startsWith("Backing up to drive a:"));
    EXPECT_EQ(h.dialogs.boxes()[2].text, "Do you want to exit the program?");
    EXPECT_TRUE(h.app.hasEnded());
    EXPECT_FALSE(main);
    EXPECT_FALSE(QFile::exists(h.table.root() + "/a/ACCT1/PORT.HST"));
    EXPECT_FALSE(QFile::exists(h.table.root() + "/a/WINCORV.EXE"));
}

TEST_F(Started, CloseBoxDuringABackupYieldLetsTheRunFinishThenEnds) {
    start();
    // Confirm, no clip, two file kinds missing (go on), done.
    h.dialogs.answer({Answer::Yes, Answer::OK, Answer::OK, Answer::OK, Answer::OK});
    h.dialogs.atYield([&] {
        QTimer::singleShot(0, [&] { main->close(); });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    });
    control<DirListBox>("Dir1")->setPath(QStringLiteral("C:\\DATA\\ACCT1"));

    EXPECT_TRUE(runUntilQuit([&] { control<QPushButton>("cmd_BackupDefault")->click(); }));
    EXPECT_EQ(h.dialogs.boxes().size(), 5) << h.dialogs.texts().join(" | ").toStdString();
    EXPECT_EQ(h.dialogs.boxes().back().text, "Backup Complete");
    EXPECT_FALSE(main);
    EXPECT_FALSE(h.app.hasEnded());
    EXPECT_TRUE(QFile::exists(h.table.root() + "/a/ACCT1/PORT.HST"));
    EXPECT_TRUE(QFile::exists(h.table.root() + "/a/WINCORV.EXE"));
    // The button's run is recorded as the command line's is.
    const std::optional<RecordedRun> recorded = h.record.last("C:\\DATA\\ACCT1").complete;
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->destination, "a:\\ACCT1");
}

TEST(MultiLineTextField, GivesAndTakesCrLfLines) {
    guiApp();
    MultiLineTextField field;
    field.setText(QStringLiteral("Created: 1\r\nSize: 2\r\n"));
    EXPECT_EQ(field.toPlainText(), "Created: 1\nSize: 2\n");
    EXPECT_EQ(field.Text(), "Created: 1\r\nSize: 2\r\n");
    field.setText(QString());
    EXPECT_TRUE(field.Text().isEmpty());
}

} // namespace
} // namespace qel::test
