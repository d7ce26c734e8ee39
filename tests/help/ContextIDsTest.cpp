#include "help/ContextIDs.h"

#include "FakeDialogs.h"
#include "FakeHelpViewer.h"
#include "help/HelpContents.h"
#include "platform/AppObject.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::FakeHelpViewer;

struct HelpFileCase {
    const char* programDir;
    const char* helpFile;
};

class SetHelpFileTest : public ::testing::TestWithParam<HelpFileCase> {};

TEST_P(SetHelpFileTest, PutsTheDocumentInTheProgramFolder) {
    AppObject app(QString::fromUtf8(GetParam().programDir), 1, 0, 0);
    FakeHelpViewer viewer;
    ContextIDs help(app, viewer);
    help.SetHelpFile(0x1234);
    EXPECT_EQ(app.HelpFile(), QString::fromUtf8(GetParam().helpFile));
    EXPECT_EQ(help.HelpOwnerWnd(), 0x1234);
    EXPECT_TRUE(viewer.calls().isEmpty());
}

// The separator is decided on the trimmed folder, but the folder goes in untrimmed.
INSTANTIATE_TEST_SUITE_P(
    Folders, SetHelpFileTest,
    ::testing::Values(HelpFileCase{"C:\\Apps\\Trek", "C:\\Apps\\Trek\\qeltrkl.HLP"},
                      HelpFileCase{"A:\\", "A:\\qeltrkl.HLP"},
                      HelpFileCase{"A:\\ ", "A:\\ qeltrkl.HLP"},
                      HelpFileCase{" C:\\Apps\\Trek  ", " C:\\Apps\\Trek  \\qeltrkl.HLP"},
                      HelpFileCase{"", "\\qeltrkl.HLP"}));

TEST(ContextIDsTest, QuitGoesOutWithTheStartUpWindowsHandleAndTheHelpFile) {
    AppObject app("C:\\Apps", 1, 0, 0);
    FakeHelpViewer viewer;
    ContextIDs help(app, viewer);
    help.QuitHelp(); // before SetHelpFile: no owner, no file, and no harm
    help.SetHelpFile(-77);
    help.QuitHelp();

    ASSERT_EQ(viewer.calls().size(), 2);
    EXPECT_EQ(viewer.calls()[0].kind, FakeHelpViewer::Kind::Quit);
    EXPECT_EQ(viewer.calls()[0].owner, 0);
    EXPECT_EQ(viewer.calls()[0].helpFile, QString());
    EXPECT_EQ(viewer.calls()[1].kind, FakeHelpViewer::Kind::Quit);
    EXPECT_EQ(viewer.calls()[1].owner, -77);
    EXPECT_EQ(viewer.calls()[1].helpFile, "C:\\Apps\\qeltrkl.HLP");
}

class HlpContentsTest : public ::testing::Test {
protected:
    AppObject m_app{"C:\\Apps", 1, 0, 0};
    FakeHelpViewer m_viewer;
    test::FakeDialogs m_dialogs;
};

TEST_F(HlpContentsTest, WithoutHelpFileSaysSoUnderTheMainCaption) {
    m_dialogs.answer({Answer::OK});
    Hlp_Contents_Click(m_app, m_viewer, m_dialogs, "Qel Trekkel", 42);

    EXPECT_TRUE(m_viewer.calls().isEmpty());
    ASSERT_EQ(m_dialogs.boxes().size(), 1);
    const auto& box = m_dialogs.boxes()[0];
    EXPECT_EQ(box.text, "Unable to display Help Contents. There is no Help associated with this "
                        "project.");
    EXPECT_EQ(box.kind, BoxKind::Notice);
    EXPECT_EQ(box.icon, Icon::Information);
    EXPECT_EQ(box.title, "Qel Trekkel");
}

TEST_F(HlpContentsTest, AsksTheViewerEveryTimeAndShowsNothingOfItsOwn) {
    m_app.setHelpFile("C:\\Apps\\qeltrkl.HLP");
    Hlp_Contents_Click(m_app, m_viewer, m_dialogs, "Qel Trekkel", 42);
    Hlp_Contents_Click(m_app, m_viewer, m_dialogs, "Qel Trekkel", 42);

    EXPECT_TRUE(m_dialogs.boxes().isEmpty());
    ASSERT_EQ(m_viewer.calls().size(), 2);
    for (const auto& call : m_viewer.calls()) {
        EXPECT_EQ(call.kind, FakeHelpViewer::Kind::Contents);
        EXPECT_EQ(call.owner, 42);
        EXPECT_EQ(call.helpFile, "C:\\Apps\\qeltrkl.HLP");
    }
}

TEST_F(HlpContentsTest, ViewerErrorIsShownByItsDescriptionAndTheProgramGoesOn) {
    m_app.setHelpFile("C:\\Apps\\qeltrkl.HLP");
    m_viewer.failWith(err::DeviceUnavailable);
    m_dialogs.answer({Answer::OK});
    EXPECT_NO_THROW(Hlp_Contents_Click(m_app, m_viewer, m_dialogs, "Qel Trekkel", 42));

    ASSERT_EQ(m_dialogs.boxes().size(), 1);
    const auto& box = m_dialogs.boxes()[0];
    EXPECT_EQ(box.text, "Device unavailable");
    EXPECT_EQ(box.kind, BoxKind::Error);
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.title, QString());
}

} // namespace
} // namespace qel
