// The error handler's answers: silent cases, the report, the dialog's
// buttons and the three ways out.
#include "errors/error_handler.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "errors/console_dialog.h"
#include "errors/error_dialog.h"
#include "errors/handler_testutil.h"
#include "runtime/arith.h"
#include "runtime/console_text.h"
#include "runtime/frames.h"
#include "runtime/neterr.h"

namespace errors {
namespace {

using runtime::ErrorFields;
using runtime::Recovery;
namespace gen = runtime::gen;

ErrorFields openError(int osCode) {
    return errorFields(gen::kOpen, 1001, "ADSCDX", "DIARIO.DBF", osCode);
}
ErrorFields createError(int osCode) {
    return errorFields(gen::kCreate, 1004, "ADSCDX", "DIARIO.CDX", osCode);
}
ErrorFields dataTypeError() {
    return errorFields(gen::kDataType, 1020, "ADSCDX");
}

TEST_F(HandlerTest, DivisionByZeroYieldsZeroAndNothingElse) {
    auto err = runtime::makeError(errorFields(gen::kZeroDiv, 1340, "BASE"));
    runtime::Value answer = ERRORDIALOG(err);
    ASSERT_TRUE(answer.isNumber());
    EXPECT_EQ(answer.num(), 0);
    EXPECT_EQ(runtime::divide(7, 0), 0);  // the runtime's own division
    EXPECT_EQ(runtime::modulus(7, 0), 0);
    EXPECT_FALSE(logExists());
    EXPECT_TRUE(dialog_->shown().empty());
}

TEST_F(HandlerTest, OpenFailuresWithKnownCausesAreSilent) {
    for (int osCode : {32, 5, 4, 2, 3}) {
        runtime::NETERR(false);
        runtime::NERRORCODE(0);
        EXPECT_EQ(raise(openError(osCode)).action, Recovery::Default) << osCode;
        EXPECT_TRUE(runtime::NETERR()) << osCode;
        EXPECT_EQ(runtime::NERRORCODE(), osCode);
    }
    EXPECT_FALSE(logExists());
    EXPECT_TRUE(dialog_->shown().empty());
}

TEST_F(HandlerTest, CreateFailuresAreSilentExceptSharingViolation) {
    for (int osCode : {3, 4, 5, 2}) {
        runtime::NERRORCODE(0);
        EXPECT_EQ(raise(createError(osCode)).action, Recovery::Default);
        EXPECT_EQ(runtime::NERRORCODE(), osCode);
    }
    EXPECT_TRUE(dialog_->shown().empty());

    runtime::NETERR(false);
    runtime::NERRORCODE(0);
    EXPECT_EQ(raise(createError(32)).action, Recovery::Default);  // the dialog answers "&Defecto"
    EXPECT_EQ(dialog_->shown().size(), 1u);
    EXPECT_TRUE(logExists());
    EXPECT_FALSE(runtime::NETERR());
    EXPECT_EQ(runtime::NERRORCODE(), 0);
}

TEST_F(HandlerTest, OpenFailureWithOtherCodeIsReported) {
    for (int osCode : {0, 6, 33}) raise(openError(osCode));
    EXPECT_EQ(dialog_->shown().size(), 3u);
    EXPECT_FALSE(runtime::NETERR());
}

TEST_F(HandlerTest, EngineErrorsBecomeOsCodesAndSilenceOpens) {
    const std::pair<int, int> mapping[] = {{7004, 4}, {7008, 5}, {5004, 2}, {7040, 5}};
    for (auto [engine, os] : mapping) {
        engineCode_ = engine;
        runtime::NERRORCODE(0);
        raise(openError(0));
        EXPECT_EQ(runtime::NERRORCODE(), os) << engine;
    }
    EXPECT_TRUE(dialog_->shown().empty());

    engineCode_ = 5004;  // maps to 2, one of the silent create causes
    runtime::NERRORCODE(0);
    raise(createError(0));
    EXPECT_EQ(runtime::NERRORCODE(), 2);

    engineCode_ = 1001;  // not mapped: the raiser's code stands
    raise(openError(0));
    EXPECT_EQ(dialog_->shown().size(), 1u);
}

TEST_F(HandlerTest, EngineCodeIsMappedForEveryErrorButNotDescribed) {
    engineCode_ = 7008;
    auto err = runtime::makeError(dataTypeError());
    runtime::launchError(err);
    EXPECT_EQ(err->get("OsCode").num(), 5);
    ASSERT_EQ(dialog_->shown().size(), 1u);
    EXPECT_EQ(dialog_->shown()[0].description,
              " Descripci\xF3n del error: Error ADSCDX/1020 Data type error");
    EXPECT_EQ(dialog_->shown()[0].headline, "Acceso denegado")
        << "the dialog's headline takes the mapped code";
    EXPECT_NE(
        readLog().find("\r\n Descripci\xF3n del error: Error ADSCDX/1020 Data type error\r\n"),
        std::string::npos);
}

TEST_F(HandlerTest, AppendLockFailureIsSilentAndKeepsOpenCode) {
    runtime::NERRORCODE(7);
    auto outcome = raise(errorFields(gen::kAppendLock, 1024, "ADSCDX", "", 99));
    EXPECT_EQ(outcome.action, Recovery::Default);
    EXPECT_TRUE(runtime::NETERR());
    EXPECT_EQ(runtime::NERRORCODE(), 7);
    EXPECT_FALSE(logExists());
}

TEST_F(HandlerTest, EveryReportedErrorMayTakeTheDefault) {
    // The raiser allows neither retry nor default; the handler's "&Defecto"
    // must still be accepted by the launcher.
    auto err = runtime::makeError(dataTypeError());
    EXPECT_EQ(runtime::launchError(err).action, Recovery::Default);
    EXPECT_TRUE(err->get("CanDefault").logical());
    EXPECT_FALSE(dialog_->shown()[0].offerRetry);
}

TEST_F(HandlerTest, RetryWhileAMessageLoopRuns) {
    setLwRunning(true);
    dialog_->queue(DialogAnswer::Retry);
    ErrorFields def = dataTypeError();
    def.canRetry = true;
    auto err = runtime::makeError(def);
    EXPECT_EQ(runtime::launchError(err).action, Recovery::Retry);
    EXPECT_EQ(err->get("Tries").num(), 1);
    EXPECT_TRUE(dialog_->shown()[0].offerRetry);
    EXPECT_EQ(releases_, 0);
}

TEST_F(HandlerTest, RetryWithoutMessageLoopEndsTheProgram) {
    dialog_->queue(DialogAnswer::Retry);
    ErrorFields def = dataTypeError();
    def.canRetry = true;
    EXPECT_EQ(raiseExpectingExit(def), 1);
    EXPECT_EQ(runtime::ERRORLEVEL(), 1);
    EXPECT_EQ(releases_, 1);
}

TEST_F(HandlerTest, RetryAnswerNotOfferedCountsAsExit) {
    setLwRunning(true);
    dialog_->queue(DialogAnswer::Retry);
    EXPECT_EQ(raiseExpectingExit(dataTypeError()), 1);
}

TEST_F(HandlerTest, ExitWritesTheLogFirstAndEndsWithCodeOne) {
    dialog_->queue(DialogAnswer::Exit);
    EXPECT_EQ(raiseExpectingExit(openError(0)), 1);
    EXPECT_TRUE(logExists());
    EXPECT_EQ(releases_, 1);
}

TEST_F(HandlerTest, LogReplacesEarlierFileAndEndsWithEofByte) {
    {
        std::ofstream old(folder() / "Error.log", std::ios::binary);
        old << std::string(200000, 'x');
    }
    raise(openError(0));
    const std::string log = readLog();
    EXPECT_TRUE(log.starts_with("Aplicacion\r\n==========\r\n"));
    EXPECT_TRUE(log.ends_with(" bytes\r\n\x1A"));
    EXPECT_EQ(log.find('x' + std::string(10, 'x')), std::string::npos);
}

TEST_F(HandlerTest, UnwritableLogIsIgnored) {
    std::filesystem::create_directory(folder() / "Error.log");  // a folder takes the name
    EXPECT_EQ(raise(openError(0)).action, Recovery::Default);
    EXPECT_EQ(dialog_->shown().size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(folder() / "Error.log"));
}

TEST_F(HandlerTest, ConsoleDialogPrintsAndAnswersExit) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    setErrorDialog(std::make_shared<ConsoleDialog>(out));
    runtime::Frame frame("ACTUA", 77);
    EXPECT_EQ(raiseExpectingExit(openError(0)), 1);
    EXPECT_TRUE(logExists());
    std::rewind(out);
    char buffer[512] = {};
    std::string printed(buffer, std::fread(buffer, 1, sizeof buffer - 1, out));
    std::fclose(out);
    // The console gets the dialog in its own encoding (UTF-8 on Linux).
    EXPECT_EQ(printed,
              runtime::consoleText(" Descripci\xF3n del error: Error ADSCDX/1001 Open error: "
                                   "DIARIO.DBF\n"
                                   " Llamado desde ACTUA(77)\n"
                                   "Vea fichero Error.log\n"));
}

TEST(DialogLayoutTest, ButtonsForRetryableAndOtherErrors) {
    auto two = dialogButtons(false, false);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].caption, "&Salir");
    EXPECT_EQ(two[0].left, 37);
    EXPECT_FALSE(two[0].isDefault);
    EXPECT_EQ(two[1].caption, "&Defecto");
    EXPECT_EQ(two[1].left, 108);

    auto three = dialogButtons(true, true);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].caption, "&Reintentar");
    EXPECT_EQ(three[0].left, 13);
    EXPECT_EQ(three[1].caption, "&Salir");
    EXPECT_EQ(three[1].left, 60);
    EXPECT_TRUE(three[1].isDefault);
    EXPECT_EQ(three[2].left, 108);
    for (const auto& b : three) EXPECT_EQ(b.top, 111);
    EXPECT_EQ(dialogButtons(true, false)[0].top, 87);
}

}  // namespace
}  // namespace errors
