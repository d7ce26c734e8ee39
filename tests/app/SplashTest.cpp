#include "AppHarness.h"
#include "app/frmSplash.h"
#include "help/ContextHelp.h"
#include "help/ContextIDs.h"

#include <QGroupBox>
#include <QLabel>
#include <gtest/gtest.h>

namespace qel::test {
namespace {

struct VersionCase {
    int revision;
    const char* line;
};

class SplashVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(SplashVersion, LoadSetsHelpFileThenVersionAndTitle) {
    AppHarness h(true, GetParam().revision);
    ContextIDs contextIDs(h.app, h.help);
    frmSplash splash(h.app, contextIDs);
    auto* version = splash.findChild<QLabel*>("lblVersion");
    auto* product = splash.findChild<QLabel*>("lblProductName");
    ASSERT_TRUE(version && product);
    EXPECT_EQ(version->text(), "Version");
    EXPECT_EQ(product->text(), "Product");

    splash.Form_Load();
    EXPECT_EQ(version->text(), GetParam().line);
    EXPECT_EQ(product->text(), "QEL_Trekkel");
    EXPECT_EQ(h.app.HelpFile(), "C:\\QEL\\qeltrkl.HLP");
    EXPECT_NE(contextIDs.HelpOwnerWnd(), 0);
    EXPECT_EQ(contextIDs.HelpOwnerWnd(), windowHandle(&splash));
    // Right-aligned labels that fit their text keep the right edge of the layout.
    EXPECT_EQ(version->geometry().left() + version->width(), (6075 + 930) / 15);
    EXPECT_EQ(version->width(), version->sizeHint().width());
    EXPECT_TRUE(h.help.calls().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Versions, SplashVersion,
                         ::testing::Values(VersionCase{0, "Version 1.0.0"},
                                           VersionCase{12, "Version 1.0.12"}));

TEST(Splash, LayoutAsDesigned) {
    AppHarness h;
    ContextIDs contextIDs(h.app, h.help);
    frmSplash splash(h.app, contextIDs);

    EXPECT_TRUE(splash.windowTitle().isEmpty());
    EXPECT_EQ(splash.size(), QSize(497, 314));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize());
    EXPECT_EQ(splash.property("HelpContextID").toInt(), 4);

    auto* frame = splash.findChild<QGroupBox*>("fraMainFrame");
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->title().isEmpty());
    EXPECT_EQ(frame->geometry(), QRect(8, 0, 492, 306));
    EXPECT_EQ(frame->property("HelpContextID").toInt(), 110);

    for (const char* name : {"Picture1", "Picture2"}) {
        auto* picture = frame->findChild<QLabel*>(name);
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->parentWidget(), frame) << name;
        EXPECT_FALSE(picture->pixmap().isNull()) << name;
    }
    EXPECT_EQ(frame->findChild<QLabel*>("Picture2")->geometry(), QRect(8, 64, 185, 113));
    EXPECT_EQ(frame->findChild<QLabel*>("Picture1")->geometry(), QRect(16, 240, 62, 57));

    auto* company = frame->findChild<QLabel*>("lblCompanyProduct");
    auto* platform = frame->findChild<QLabel*>("lblPlatform");
    auto* copyright = frame->findChild<QLabel*>("Label1");
    ASSERT_TRUE(company && platform && copyright);
    EXPECT_EQ(company->text(), "CompanyProduct");
    EXPECT_EQ(company->pos(), QPoint(200, 51));
    EXPECT_EQ(company->font().pointSizeF(), 18);
    EXPECT_TRUE(company->font().bold());
    EXPECT_EQ(platform->text(), "Windows Platform");
    EXPECT_EQ(platform->geometry().left() + platform->width(), (4500 + 2505) / 15);
    EXPECT_EQ(platform->font().pointSizeF(), 13.5);
    EXPECT_EQ(frame->findChild<QLabel*>("lblProductName")->font().pointSizeF(), 29.25);
    EXPECT_EQ(copyright->toolTip(), "Owner of the software");
    EXPECT_TRUE(copyright->text().contains("All rights reserved"));
}

TEST(Splash, OnlyStartUpTakesItAwayAndQuitGoesOutOnce) {
    AppHarness h;
    ContextIDs contextIDs(h.app, h.help);
    frmSplash splash(h.app, contextIDs);
    splash.Form_Load();
    splash.show();

    EXPECT_FALSE(splash.close());
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(h.help.calls().isEmpty());

    splash.unload();
    splash.unload();
    EXPECT_FALSE(splash.isVisible());
    ASSERT_EQ(h.help.calls().size(), 1);
    const FakeHelpViewer::Call& quit = h.help.calls().front();
    EXPECT_EQ(quit.kind, FakeHelpViewer::Kind::Quit);
    EXPECT_EQ(quit.owner, windowHandle(&splash));
    EXPECT_EQ(quit.helpFile, "C:\\QEL\\qeltrkl.HLP");
}

} // namespace
} // namespace qel::test
