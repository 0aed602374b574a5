// Tests of _ALERT's argument handling, the wrappers' boxes and answers, and
// the console box's non-interactive answers.
#include "runtime/alert.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

class AlertTest : public ::testing::Test {
protected:
    RecordingAlertUi box_;
    ScopedAlertUi scope_{box_};

    const AlertRequest& lastBox() const { return box_.shown.back(); }
};

TEST_F(AlertTest, AlertDefaults) {
    EXPECT_EQ(_ALERT(), 1);
    EXPECT_EQ(lastBox().message, " ");
    EXPECT_EQ(lastBox().buttons, std::vector<std::string>{"&Aceptar"});
    EXPECT_EQ(lastBox().title, "Atenci\xF3n");
    EXPECT_EQ(lastBox().kind, kAlertStop);
    _ALERT("x", Value::newArray({"&Uno", "&Dos"}));
    EXPECT_EQ(lastBox().kind, kAlertQuestion);  // several captions: a question
    _ALERT("x", Value::newArray({"&Uno", "&Dos"}), "T", 7);
    EXPECT_EQ(lastBox().kind, kAlertStop);  // unknown kinds are a stop box
}

TEST_F(AlertTest, MessageLineBreaksAreNormalised) {
    _ALERT("uno;dos\n\rtres");
    EXPECT_EQ(lastBox().message, "uno\r\ndos\r\ntres");
}

TEST_F(AlertTest, ButtonsArgumentVariants) {
    EXPECT_EQ(_ALERT("x", Value::newArray()), 0);  // no captions: no box
    EXPECT_TRUE(box_.shown.empty());
    box_.answers = {0};
    EXPECT_EQ(_ALERT("x", 5), 0);
    EXPECT_EQ(lastBox().timeoutSeconds, 5);
    EXPECT_EQ(lastBox().buttons, std::vector<std::string>{"&Aceptar"});
    _ALERT("x", Value::newArray({"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(lastBox().buttons.size(), 5u);  // the sixth is ignored
    box_.answers = {9};                       // an answer the box cannot give
    EXPECT_EQ(_ALERT("x"), 0);
}

TEST_F(AlertTest, WrappersShowTheirKindsTitlesAndCaptions) {
    MSGINFO(12);
    EXPECT_EQ(lastBox().message, "12");
    EXPECT_EQ(lastBox().kind, kAlertInformation);
    EXPECT_EQ(lastBox().title, "Informaci\xF3n");
    EXPECT_EQ(lastBox().buttons, std::vector<std::string>{"Aceptar"});
    MSGSTOP("m", "Mi t\xEDtulo");
    EXPECT_EQ(lastBox().kind, kAlertStop);
    EXPECT_EQ(lastBox().title, "Mi t\xEDtulo");
    MSGALERT("m");
    EXPECT_EQ(lastBox().kind, kAlertExclamation);
    MSGDEBUG();
    EXPECT_EQ(lastBox().message, ".");
    EXPECT_EQ(lastBox().title, ".");
}

TEST_F(AlertTest, QuestionWrappersMapTheButtonToTheirAnswer) {
    box_.answers = {1, 2, 0, 1, 2, 1};
    EXPECT_TRUE(MSGYESNO("?"));
    EXPECT_EQ(lastBox().buttons, (std::vector<std::string>{"&S\xED", "&No"}));
    EXPECT_FALSE(MSGYESNO("?"));
    EXPECT_FALSE(MSGYESNO("?"));  // closed without a button
    EXPECT_TRUE(MSGNOYES("?"));   // first button is "&No"
    EXPECT_EQ(lastBox().title, "Atenci\xF3n");
    EXPECT_FALSE(MSGNOYES("?"));
    EXPECT_TRUE(MSGRETRYCANCEL("?"));
    EXPECT_EQ(lastBox().buttons, (std::vector<std::string>{"&Reintentar", "Cancelar"}));
}

TEST(ConsoleAlertTest, NonInteractiveAnswersRiskNothing) {
    auto ask = [](std::vector<std::string> buttons, int kind, int timeout = 0) {
        return ConsoleAlertUi::answerFor({"m", std::move(buttons), timeout, "t", kind});
    };
    EXPECT_EQ(ask({"Aceptar"}, kAlertInformation), 1);
    EXPECT_EQ(ask({"&Uno", "&Dos"}, kAlertStop), 1);
    EXPECT_EQ(ask({"&S\xED", "&No"}, kAlertQuestion), 2);
    EXPECT_EQ(ask({"&No", "&S\xED"}, kAlertQuestion), 1);
    EXPECT_EQ(ask({"&Reintentar", "Cancelar"}, kAlertQuestion), 2);
    EXPECT_EQ(ask({"&Uno", "&Dos", "&Tres"}, kAlertQuestion), 3);
    EXPECT_EQ(ask({"&Aceptar"}, kAlertStop, 5), 0);
    // With the console box installed the wrappers give the same answers.
    AlertUi* previous = setAlertUi(nullptr);
    EXPECT_FALSE(MSGYESNO("console question"));
    EXPECT_FALSE(MSGRETRYCANCEL("console retry"));
    setAlertUi(previous);
}

}  // namespace
}  // namespace runtime
