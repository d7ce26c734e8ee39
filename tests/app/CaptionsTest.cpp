#include "AppHarness.h"
#include "app/FrmMain.h"
#include "app/frmSplash.h"
#include "backup/frmBackup.h"
#include "backup/frmDefaults.h"
#include "controls/FormLayout.h"
#include "help/ContextIDs.h"
#include "help/frmAbout.h"
#include "platform/DisplayText.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <gtest/gtest.h>
#include <memory>

// Every caption of every window is shown whole in the font the windows are
// drawn in. The test runs once with Liberation Sans and once on a font set
// without it (DejaVu Sans), as ctest's QEL_EXPECT_FONT says.

namespace qel::test {
namespace {

// The room the style leaves a button's or check box's text.
int textRoom(const QAbstractButton* button, QStyle::SubElement element) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (const auto* push = qobject_cast<const QPushButton*>(button);
        push && (push->autoDefault() || push->isDefault()))
        option.features |= QStyleOptionButton::AutoDefaultButton;
    return button->style()->subElementRect(element, &option, button).width();
}

// Visible captions that do not fit their control, one line each.
std::string clippedCaptions(const QWidget& window) {
    QStringList clipped;
    const auto report = [&](const QWidget* w, int need, int room, const char* what) {
        if (need > room)
            clipped << QStringLiteral("%1.%2: \"%3\" %4 needs %5 px, has %6")
                           .arg(window.objectName(), w->objectName(),
                                w->property("text").toString(), QString::fromLatin1(what))
                           .arg(need)
                           .arg(room);
    };
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window))
            continue;
        const QFontMetrics fm = w->fontMetrics();
        if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty()) {
            const QRect room = label->contentsRect();
            if (label->wordWrap()) {
                const QRect need = fm.boundingRect(QRect(0, 0, room.width(), 100000),
                                                   Qt::TextWordWrap, label->text());
                report(w, need.height(), room.height(), "height");
            } else {
                report(w, fm.horizontalAdvance(label->text()), room.width(), "width");
                report(w, fm.height(), room.height(), "height");
            }
        } else if (const auto* check = qobject_cast<const QCheckBox*>(w)) {
            report(w, fm.horizontalAdvance(check->text()),
                   textRoom(check, QStyle::SE_CheckBoxContents), "width");
        } else if (const auto* button = qobject_cast<const QPushButton*>(w);
                   button && !button->text().isEmpty()) {
            report(w, fm.size(Qt::TextShowMnemonic, button->text()).width(),
                   textRoom(button, QStyle::SE_PushButtonContents), "width");
        }
    }
    return clipped.join(u'\n').toStdString();
}

class Captions : public ::testing::Test {
protected:
    void SetUp() override {
        // A machine without the expected font would test another one unnoticed.
        const QString expected = qEnvironmentVariable("QEL_EXPECT_FONT", "Liberation Sans");
        ASSERT_EQ(QFontInfo(classicFont(8.25)).family(), expected);
        ASSERT_EQ(QFontInfo(classicFont(12, true)).family(), expected);
    }

    static void expectWhole(QWidget& window) {
        window.show();
        EXPECT_EQ(clippedCaptions(window), "");
    }

    AppHarness h;
};

TEST_F(Captions, MainWindow) {
    FrmMain main(h.services, h.help);
    expectWhole(main);
}

TEST_F(Captions, SplashAfterLoad) {
    ContextIDs contextIDs(h.app, h.help);
    frmSplash splash(h.app, contextIDs);
    splash.Form_Load();
    expectWhole(splash);
}

TEST_F(Captions, DefaultsWindow) {
    frmDefaults defaults;
    expectWhole(defaults);
}

TEST_F(Captions, AboutDialog) {
    frmAbout about(h.services, nullptr);
    expectWhole(about);
}

TEST_F(Captions, ProgressWindow) {
    frmBackup progress(h.platform.drives());
    progress.show();
    ASSERT_TRUE(progress.window());
    EXPECT_EQ(clippedCaptions(*progress.window()), "");
}

// What stands in for a character no DOS path can hold is drawn by the fonts
// the windows use, never as a box.
TEST_F(Captions, LookAlikesOfMappedCharactersHaveGlyphs) {
    QString standIns;
    for (const char c : QByteArray("\\:*?\"<>|\x01\x7f"))
        standIns += QChar(char16_t(0xF000 + c));
    standIns += QChar(char16_t(0xF0A9)); // a byte that was not UTF-8
    const QString shown = displayText(standIns);
    QStringList families;
    for (const QString& family : classicFont(8.25).families())
        if (QFontInfo(QFont(family)).family() == family)
            families << family;
    ASSERT_FALSE(families.isEmpty());
    for (const QChar c : shown) {
        bool drawn = false;
        for (const QString& family : families)
            drawn = drawn || QFontMetrics(QFont(family)).inFont(c);
        EXPECT_TRUE(drawn) << "U+" << QString::number(c.unicode(), 16).toStdString();
    }
}

// A control grows only when its caption does not fit, from the edge it is
// anchored at; one that fits keeps the layout's rectangle.
TEST_F(Captions, GrowFromTheAnchoredEdge) {
    QWidget window;
    window.setFont(classicFont(8.25));
    keepCaptionsWhole(&window);
    const QString longText = QStringLiteral("A caption far too long for its box");
    auto* left = makeLabel(&window, "left", longText, QRect(10, 10, 40, 20));
    auto* right = makeLabel(&window, "right", longText, QRect(10, 40, 40, 20));
    right->setAlignment(Qt::AlignRight | Qt::AlignTop);
    auto* fits = makeLabel(&window, "fits", QStringLiteral("Ok"), QRect(10, 70, 200, 20));
    auto* check = new QCheckBox(longText, &window);
    check->setGeometry(10, 100, 40, 20);
    auto* button = makeButton(&window, "button", longText, QRect(10, 130, 40, 20));

    window.show();
    EXPECT_EQ(clippedCaptions(window), "");
    EXPECT_EQ(left->x(), 10);
    EXPECT_GT(left->width(), 40);
    EXPECT_EQ(right->geometry().right(), QRect(10, 40, 40, 20).right());
    EXPECT_GT(right->width(), 40);
    EXPECT_EQ(fits->geometry(), QRect(10, 70, 200, 20));
    EXPECT_EQ(check->x(), 10);
    EXPECT_EQ(check->height(), 20);
    EXPECT_EQ(button->x(), 10);
    EXPECT_EQ(button->height(), 20);
}

} // namespace
} // namespace qel::test
