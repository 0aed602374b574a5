// Test helpers of the start-up tests.
#include "startup/startup_testutil.h"

#include "os/fs.h"
#include "os/process.h"
#include "runtime/settings.h"
#include "runtime/value.h"
#include "startup/company_context.h"
#include "startup/current_directory.h"
#include "startup/hand_cursor.h"
#include "startup/product_hooks.h"
#include "startup/settings_record.h"
#include "startup/working_date.h"

namespace startup {

namespace {
void clearAll() {
    runtime::resetSettings();
    clearStartupRecord();
    clearWorkingDate();
    clearCompanyContext();
    setHandCursor(nullptr);
    setCursorLoader({});
    setLibraryLoader({});
    setProductHooks({});
}
}  // namespace

void StartupStateTest::SetUp() {
    savedDirectory_ = os::currentDirectory().value();
    clearAll();
}

void StartupStateTest::TearDown() {
    (void)os::setCurrentDirectory(savedDirectory_);
    clearAll();
    if (!tempRoot_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(tempRoot_, ec);
    }
}

std::filesystem::path StartupStateTest::makeTempFolder(const std::string& name) {
    if (tempRoot_.empty()) {
        tempRoot_ = std::filesystem::temp_directory_path() /
                    ("startup_tests_" + std::to_string(os::processId()));
    }
    std::filesystem::path dir = tempRoot_ / name;
    std::filesystem::create_directories(dir);
    return dir;
}

bool sameFolder(std::string a, std::string b) {
    for (std::string* s : {&a, &b}) {
        while (s->size() > 1 && (s->back() == '\\' || s->back() == '/')) s->pop_back();
    }
    return runtime::sameName(a, b);
}

}  // namespace startup
