// The headless operator answers yes only to the question its command asked
// for; any other question is closed unanswered and ends the command.

#include "cli/session.h"

#include <gtest/gtest.h>

#include <sstream>

namespace torvane::cli {
namespace {

TEST(Session, AnswersYesOnlyToTheQuestionItsCommandAskedFor) {
    const Options options;  // no link is opened
    std::ostringstream trace;
    Session session(options, trace);
    CMessageDlg& message = session.Dlg().Message();
    const std::string powerOff = "Are you sure you want to power off?";
    const std::string reset = "Do you want to reset to factory settings?";
    struct Case {
        const char* name;
        std::string expected;
        std::string asked;
        int answer;
        std::vector<std::string> reported;
    };
    const Case cases[] = {
        {"nothing expected", "", powerOff, CMessageDlg::kResultCancel, {powerOff}},
        {"another question", powerOff, reset, CMessageDlg::kResultCancel, {reset}},
        {"the one asked for", powerOff, powerOff, CMessageDlg::kResultOk, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.AnswerYesTo(c.expected);
        int answer = 0;
        message.Ask(c.asked, true, [&](int result) { answer = result; });
        ASSERT_TRUE(session.RunUntil([&] { return answer != 0; }, 1000));
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(session.TakeMessages(), c.reported);
    }
}

}  // namespace
}  // namespace torvane::cli
