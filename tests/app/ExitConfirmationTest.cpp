#include "app/ExitConfirmation.h"

#include "FakeDialogs.h"
#include "platform/AppObject.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(ExitConfirmation, AsksWithTheApplicationTitleAndNoAsDefault) {
    for (const Answer answer : {Answer::Yes, Answer::No}) {
        AppObject app(QStringLiteral("C:\\QEL"), 1, 0, 0);
        test::FakeDialogs dialogs;
        dialogs.answer({answer});
        const bool leave = confirmExit(dialogs, app);

        EXPECT_EQ(leave, answer == Answer::Yes);
        EXPECT_EQ(app.hasEnded(), answer == Answer::Yes);
        ASSERT_EQ(dialogs.boxes().size(), 1);
        const test::ShownBox& box = dialogs.boxes().front();
        EXPECT_EQ(box.text, "Do you want to exit the program?");
        EXPECT_EQ(box.kind, BoxKind::Exit);
        EXPECT_EQ(box.icon, Icon::Question);
        EXPECT_EQ(box.defaultButton, DefaultButton::Second);
        EXPECT_TRUE(box.title.isEmpty());
    }
}

} // namespace
} // namespace qel
