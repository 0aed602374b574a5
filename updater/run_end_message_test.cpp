// The message that closes a run which did not migrate everything.
#include "updater/run_end_message.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(RunEndMessageTest, NothingToSayAfterAFullRun) {
    EXPECT_TRUE(runEndMessage(0, {}).text.empty());
    EXPECT_TRUE(runEndMessage(0, {"001: ignored"}).text.empty());
}

TEST(RunEndMessageTest, ALeftCompanyIsListedWithWhatToDo) {
    const RunEndMessage m = runEndMessage(2, {"002: _TDiaNic.dbf junto a TDiaNic.dbf"});
    EXPECT_EQ(m.title, "Actualizaci\xF3n incompleta");
    EXPECT_NE(m.text.find("\r\n  002: _TDiaNic.dbf junto a TDiaNic.dbf"), std::string::npos)
        << m.text;
    EXPECT_NE(m.text.find("ejecute de nuevo la actualizaci\xF3n"), std::string::npos) << m.text;
    EXPECT_EQ(m.text.find("Error.log"), std::string::npos);
    EXPECT_EQ(m.text.find(';'), std::string::npos) << "a message box breaks the line there";
}

TEST(RunEndMessageTest, AStoppedRunNamesTheLog) {
    const RunEndMessage m = runEndMessage(1, {});
    EXPECT_EQ(m.title, "Actualizaci\xF3n detenida");
    EXPECT_NE(m.text.find("Error.log"), std::string::npos) << m.text;
    EXPECT_EQ(m.text.find("\r\n  "), std::string::npos) << "no problem lines to list";
}

// Both boxes send the administrator to the run's record.
TEST(RunEndMessageTest, BothBoxesNameTheRunRecord) {
    for (int code : {1, 2}) {
        const std::string text = runEndMessage(code, {"001: p"}).text;
        EXPECT_NE(text.find("Lo hecho en cada empresa est\xE1 en Actualiza.log."),
                  std::string::npos)
            << text;
        EXPECT_EQ(text.find(';'), std::string::npos) << text;
    }
}

TEST(RunEndMessageTest, ALongListIsCutAndCounted) {
    std::vector<std::string> problems;
    for (size_t i = 0; i < kListedProblems + 3; ++i) problems.push_back("p" + std::to_string(i));
    const std::string text = runEndMessage(2, problems).text;
    EXPECT_NE(text.find("  p" + std::to_string(kListedProblems - 1)), std::string::npos);
    EXPECT_EQ(text.find("  p" + std::to_string(kListedProblems) + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("... y 3 m\xE1s"), std::string::npos) << text;
}

}  // namespace
}  // namespace updater
