// Test fixture for the error handler.
#include "errors/handler_testutil.h"

#include <fstream>
#include <sstream>

#include "errors/error_handler.h"
#include "errors/work_area_facts.h"
#include "os/fs.h"
#include "os/process.h"
#include "runtime/neterr.h"

namespace errors {

void HandlerTest::SetUp() {
    static int serial = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("errors_test_" + std::to_string(os::processId()) + "_" + std::to_string(++serial));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    previousFolder_ = os::currentDirectory().value();
    ASSERT_TRUE(os::setCurrentDirectory(folder_.string()).ok());

    dialog_ = std::make_shared<ScriptedDialog>(DialogAnswer::Default);
    previousDialog_ = setErrorDialog(dialog_);
    ERRORSYS();
    setEngineErrorSource([this] { return engineCode_; });
    setTableFactsLister([] { return TableFacts{}; });
    setResourceReleaser([this] { ++releases_; });
    setLwRunning(false);
    runtime::NETERR(false);
    runtime::NERRORCODE(0);
    runtime::ERRORLEVEL(0);
}

void HandlerTest::TearDown() {
    runtime::ERRORBLOCK(runtime::Block());
    setErrorDialog(previousDialog_);
    setEngineErrorSource({});
    setTableFactsLister({});
    setResourceReleaser({});
    setLwRunning(false);
    runtime::ERRORLEVEL(0);
    (void)os::setCurrentDirectory(previousFolder_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

runtime::ErrorOutcome HandlerTest::raise(const runtime::ErrorFields& def) {
    return runtime::launchError(runtime::makeError(def));
}

int HandlerTest::raiseExpectingExit(const runtime::ErrorFields& def) {
    try {
        raise(def);
    } catch (const runtime::ProgramExit& exit) {
        return exit.code;
    }
    ADD_FAILURE() << "the program did not end";
    return -1;
}

bool HandlerTest::logExists() const {
    return std::filesystem::exists(folder_ / "Error.log");
}

std::string HandlerTest::readLog() const {
    std::ifstream in(folder_ / "Error.log", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace errors
