#include "help/frmAbout.h"

#include "AppHarness.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include "Screenshot.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

template <typename W = QWidget> W* child(QWidget* w, const char* name) {
    auto* c = w->findChild<W*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class frmAboutTest : public ::testing::Test {
protected:
    void TearDown() override { delete m_about.data(); }

    frmAbout* open(QWidget* owner = nullptr) {
        if (!m_about)
            m_about = new frmAbout(m_h.services, owner);
        m_about->show();
        m_about->activateWindow();
        return m_about;
    }

    QPlainTextEdit* licensed() { return child<QPlainTextEdit>(m_about, "lblLicensedUser"); }

    test::AppHarness m_h;
    QPointer<frmAbout> m_about;
};

TEST_F(frmAboutTest, LoadShowsTitleAndVersionInTheDesignedLayout) {
    frmAbout* w = open();
    EXPECT_EQ(w->windowTitle(), "About QEL_Trekkel (from Fairmoss Investment Management Program)");
    EXPECT_EQ(w->size(), QSize(382, 336));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_EQ(w->parent(), nullptr);
    EXPECT_EQ(w->property("HelpContextID").toInt(), 3);
    EXPECT_EQ(child<QLabel>(w, "lblTitle")->text(), "QEL_Trekkel");
    EXPECT_TRUE(child<QLabel>(w, "lblTitle")->font().bold());
    EXPECT_EQ(child<QLabel>(w, "lblVersion")->text(), "Version 1.0.0");
    EXPECT_EQ(licensed()->toPlainText(), "Licensed User");
    EXPECT_FALSE(licensed()->isEnabled());

    const std::pair<const char*, QRect> places[] = {
        {"Picture2", {24, 16, 33, 33}},        {"lblTitle", {80, 16, 259, 24}},
        {"lblVersion", {80, 40, 275, 15}},     {"Picture1", {8, 72, 62, 57}},
        {"Label1", {80, 80, 291, 31}},         {"lblLicensedUser", {80, 152, 265, 73}},
        {"lblDisclaimer", {16, 240, 258, 95}}, {"cmdOK", {288, 240, 84, 23}},
        {"cmdSysInfo", {288, 272, 83, 23}},    {"CmdTechSup", {288, 304, 84, 23}},
    };
    for (const auto& [name, geometry] : places)
        EXPECT_EQ(child(w, name)->geometry(), geometry) << name;
    EXPECT_EQ(child<QPushButton>(w, "cmdSysInfo")->text(), "&System Info...");
    EXPECT_EQ(child<QPushButton>(w, "CmdTechSup")->text(), "&Tech Support...");
}

TEST_F(frmAboutTest, TechSupportShowsTheMessageOnceAndASecondPressChangesNothing) {
    frmAbout* w = open();
    test::keepScreenshot(*w, "about.png");
    QTest::mouseClick(child<QPushButton>(w, "CmdTechSup"), Qt::LeftButton);
    test::keepScreenshot(*w, "about-tech-support.png");

    static const QRegularExpression message(
        QStringLiteral("^Send all questions / comments to: {7}\\S+@\\S+ {16}OR visit our Web "
                       "Page at \\S+$"));
    const QString text = licensed()->toPlainText();
    EXPECT_TRUE(message.match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(licensed()->isEnabled());
    EXPECT_EQ(licensed()->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_TRUE(licensed()->font().bold());

    const QFont font = licensed()->font();
    QTest::mouseClick(child<QPushButton>(w, "CmdTechSup"), Qt::LeftButton);
    EXPECT_EQ(licensed()->toPlainText(), text);
    EXPECT_EQ(licensed()->font(), font);
    EXPECT_EQ(licensed()->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_TRUE(licensed()->isEnabled());
}

TEST_F(frmAboutTest, OkUnloadsSoTheNextOpeningStartsFromTheDesign) {
    frmAbout* w = open();
    w->CmdTechSup_Click();
    QTest::mouseClick(child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_about.isNull());

    open();
    EXPECT_EQ(licensed()->toPlainText(), "Licensed User");
    EXPECT_FALSE(licensed()->isEnabled());
    EXPECT_FALSE(licensed()->font().bold());
    EXPECT_EQ(child<QLabel>(m_about, "lblVersion")->text(), "Version 1.0.0");
}

TEST_F(frmAboutTest, SystemInfoStartsTheRegisteredToolOrSaysItIsUnavailable) {
    frmAbout* w = open();
    m_h.dialogs.answer({Answer::OK});
    QTest::mouseClick(child<QPushButton>(w, "cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(m_h.dialogs.texts(), QStringList{"System Information Is Unavailable At This Time"});
    EXPECT_TRUE(w->isVisible());

    m_h.registry.setText(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                       QStringLiteral("PATH"), QStringLiteral("Z:\\usr\\bin\\sysinfo"));
    QTest::mouseClick(child<QPushButton>(w, "cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(m_h.launcher.started(), QStringList{"Z:\\usr\\bin\\sysinfo"});
    EXPECT_EQ(m_h.dialogs.boxes().size(), 1);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(frmAboutTest, FocusOrderTakesTheSupportBoxOnlyOnceEnabled) {
    frmAbout* w = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    const auto cycle = [] {
        QStringList order;
        for (int i = 0; i < 7; ++i) {
            QWidget* f = QApplication::focusWidget();
            order << (f ? f->objectName() : QStringLiteral("(none)"));
            QTest::keyClick(f, Qt::Key_Tab);
        }
        return order;
    };
    EXPECT_EQ(cycle(), (QStringList{"cmdOK", "cmdSysInfo", "Picture1", "Picture2", "CmdTechSup",
                                    "cmdOK", "cmdSysInfo"}));
    w->CmdTechSup_Click();
    child(w, "cmdOK")->setFocus();
    EXPECT_EQ(cycle(), (QStringList{"cmdOK", "cmdSysInfo", "lblLicensedUser", "Picture1",
                                    "Picture2", "CmdTechSup", "cmdOK"}));
}

TEST_F(frmAboutTest, EscapeClosesAndEnterPressesTheFocusedButton) {
    frmAbout* w = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    child(w, "CmdTechSup")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(licensed()->isEnabled());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_about.isNull());
}

TEST_F(frmAboutTest, OpensCentredOnItsOwnerAndOutlivesIt) {
    auto* owner = new QWidget;
    owner->setGeometry(100, 100, 800, 600);
    owner->show();
    frmAbout* w = open(owner);
    EXPECT_LE((w->frameGeometry().center() - owner->frameGeometry().center()).manhattanLength(), 4);

    delete owner;
    EXPECT_FALSE(m_about.isNull());
    w->hide();
    w->show();
    EXPECT_TRUE(w->isVisible());
}

} // namespace
} // namespace qel
