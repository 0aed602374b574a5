// Test entry point. With "--errors-child=<scenario>" the program acts as a
// child process for the tests that need the program to really end:
//   exit    an error answered "&Salir" on the console; exit code 1
//   nested  a second error raised while the dialog is up; ends at once
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "errors/console_dialog.h"
#include "errors/error_handler.h"
#include "errors/scripted_dialog.h"
#include "errors/work_area_facts.h"
#include "runtime/error.h"
#include "runtime/frames.h"

namespace {

constexpr const char* kChildFlag = "--errors-child=";

runtime::ObjectPtr dataTypeError() {
    runtime::ErrorFields def;
    def.genCode = runtime::gen::kDataType;
    def.subCode = 1020;
    def.subSystem = "ADSCDX";
    return runtime::makeError(def);
}

int runChild(const std::string& scenario) {
    errors::ERRORSYS();
    errors::setEngineErrorSource([] { return 0; });
    errors::setTableFactsLister([] { return errors::TableFacts{}; });
    if (scenario == "nested") {
        auto dialog = std::make_shared<errors::ScriptedDialog>(errors::DialogAnswer::Default);
        dialog->whileShown([] {
            runtime::Frame paint("TWBROWSE:PAINT", 9);
            runtime::launchError(dataTypeError());
            std::ofstream("returned.txt") << "the second error came back";
        });
        errors::setErrorDialog(dialog);
    } else if (scenario != "exit") {
        return 99;
    }
    try {
        runtime::Frame main("MAIN", 12);
        runtime::launchError(dataTypeError());
    } catch (const runtime::ProgramExit& exit) {
        return exit.code;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strncmp(argv[1], kChildFlag, std::strlen(kChildFlag)) == 0)
        return runChild(argv[1] + std::strlen(kChildFlag));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
