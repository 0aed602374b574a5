// Whole runs that stop on an error deep inside the migration (a company
// whose key table "Claves" is missing): "Error.log" compared line for line
// with the expected file (call sequence, variables, work areas), and the
// console output of the run, which must be UTF-8 where the console speaks it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "errors/console_dialog.h"
#include "errors/error_dialog.h"
#include "errors/error_handler.h"
#include "os/fs.h"
#include "runtime/alert.h"
#include "runtime/console_text.h"
#include "runtime/error.h"
#include "tables/workarea.h"
#include "updater/console_progress.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"
#include "updater/run.h"
#include "updater/run_state.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// The expected log; written afresh from the run when the environment
// variable UPDATER_WRITE_EXPECTED_LOG is set (after a change of the lines
// the routines are at, for instance), to be read over before committing.
const std::string kExpectedLog = std::string(TESTDATA_DIR) + "/errorlog/missing_claves.log";

// Lines whose rest depends on the program file, the clock or the machine:
// the prefix stays and the rest becomes "*".
const char* const kMachineLines[] = {
    " Ruta y Nombre: ",
    " Tama\xF1o: ",
    " Error ocurrido el: ",
    " Tipo de CPU: ",
    " Memoria Hardware : ",
    " Versiones Windows y MsDos: ",
    " Total aplicaciones Windows activas: ",
    " Valor Actual : ",
    " Valor m\xE1ximo : ",
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// The log with the machine's facts masked, the window list dropped and the
// installation's folder written as <root>.
std::string normalised(const std::string& log, const std::string& root) {
    std::string out;
    bool inTaskList = false;
    size_t start = 0;
    for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = log.substr(start, end - start);
        if (inTaskList && !line.empty()) continue;
        inTaskList = false;
        for (const char* prefix : kMachineLines) {
            if (line.rfind(prefix, 0) != 0) continue;
            inTaskList = line.rfind(" Total aplicaciones", 0) == 0;
            line = std::string(prefix) + "*";
        }
        out += replaceAll(line, root, "<root>") + "\r\n";
    }
    return out + log.substr(start);
}

// The folder of the running program, with its separator: start-up makes it
// the current folder, so the log is written there.
std::string programFolder() {
    fs::path self = os::programFileName().value();
    return self.parent_path().string() + "/";
}

std::string logPath() {
    return programFolder() + "Error.log";
}

std::string shippedProgram() {
#ifdef _WIN32
    return programFolder() + "updater.exe";
#else
    return programFolder() + "updater";
#endif
}

// Well-formed UTF-8: every sequence has its continuation bytes, no
// overlong forms of two bytes, nothing beyond U+10FFFF.
bool validUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra = 4;  // a byte no sequence begins with
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c < 0xE0)
            extra = 1;
        else if (c >= 0xE0 && c < 0xF0)
            extra = 2;
        else if (c >= 0xF0 && c < 0xF5)
            extra = 3;
        if (extra > 3 || i + extra >= text.size()) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root() + "/DBF");
        demo::writeTemplates(root());
        demo::writeRegister(root(),
                            {{"001",
                              "Compa\xF1\xED"
                              "a sin claves"}},
                            {});
        fs::create_directories(folder());
        demo::writeTable(folder() + "TDiaNew.Dbf", demo::kOldTDiaNewFields, 30, 3);
        demo::writeTable(folder() + "TempDia.Dbf", demo::kOldTempDiaFields, 20, 4);
        fs::remove(logPath());
    }
    void TearDown() override { fs::remove(logPath()); }

    std::string root() const { return tmp_.path(); }
    std::string folder() const { return demo::companyFolder(root(), "001"); }

    // The log of the run, normalised, against the expected file.
    void expectTheExpectedLog() {
        std::string log = readFile(logPath());
        ASSERT_FALSE(log.empty()) << "no Error.log in " << programFolder();
        std::string actual = normalised(log, root());
        if (std::getenv("UPDATER_WRITE_EXPECTED_LOG")) {
            std::ofstream(kExpectedLog, std::ios::binary) << actual;
            GTEST_SKIP() << "wrote " << kExpectedLog;
        }
        EXPECT_EQ(actual, readFile(kExpectedLog));
    }

    TempFolder tmp_;
};

// The run in this process with the console faces the program uses: progress,
// error dialog and message boxes all written to `out`, in UTF-8.
int runOnConsole(const std::string& root, std::FILE* out) {
    runtime::overrideConsoleEncoding(runtime::ConsoleEncoding::kUtf8);
    runtime::ConsoleAlertUi boxes(out);
    runtime::ScopedAlertUi useBoxes(boxes);
    auto previous = errors::setErrorDialog(nullptr);
    int code = 0;
    {
        ConsoleProgress progress(out);
        code = testing::runInProcess(root, progress, std::make_shared<errors::ConsoleDialog>(out));
    }
    errors::setErrorDialog(previous);
    runtime::overrideConsoleEncoding(std::nullopt);
    return code;
}

TEST_F(ErrorLogTest, MissingKeyTableIsLoggedWithCallsVariablesAndAreas) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(runOnConsole(root(), out), 1);
    std::string console;
    std::rewind(out);
    for (int c; (c = std::fgetc(out)) != EOF;) console += static_cast<char>(c);
    std::fclose(out);

    expectTheExpectedLog();
    EXPECT_TRUE(validUtf8(console)) << console;
    EXPECT_NE(console.find("Descripci\xC3\xB3n del error"), std::string::npos) << console;
    EXPECT_NE(console.find(" Llamado desde TABLAS("), std::string::npos) << console;
    EXPECT_NE(console.find("Compa\xC3\xB1\xC3\xAD"
                           "a"),
              std::string::npos)
        << console;
}

// An unoptimised program with the sanitizers' checks in it is several times
// the size of the one that ships, too large for the log's picture.
#ifdef SANITIZED_BUILD
constexpr bool kShippedSize = false;
#else
constexpr bool kShippedSize = true;
#endif

// The shipped program has no debug information left in it, and its size
// fits the log's picture of seven digits.
TEST(ShippedProgramTest, CarriesNoDebugInformation) {
    std::string bytes = readFile(shippedProgram());
    ASSERT_FALSE(bytes.empty()) << shippedProgram();
    EXPECT_EQ(bytes.find(".debug_info"), std::string::npos);
    if (kShippedSize) {
        EXPECT_LE(bytes.size(), 9999999u);
    }
    EXPECT_TRUE(fs::exists(shippedProgram() + ".debug"));
}

#ifndef _WIN32
// The shipped program itself, as an administrator starts it from a UTF-8
// terminal: the same log, a program size that fits its picture, and
// nothing but UTF-8 on the console.
TEST_F(ErrorLogTest, ShippedProgramWritesTheSameLogAndSpeaksUtf8) {
    const std::string program = shippedProgram();
    ASSERT_TRUE(fs::exists(program)) << program;
    const std::string out = root() + "/console.txt";
    const std::string command = "LC_ALL= LC_CTYPE= LANG=C.UTF-8 '" + program + "' '" + root() +
                                "\\BIN' FA >'" + out + "' 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);

    std::string log = readFile(logPath());
    EXPECT_NE(log.find(" Ruta y Nombre: " + program + "\r\n"), std::string::npos);
    size_t size = log.find(" Tama\xF1o: ");
    ASSERT_NE(size, std::string::npos);
    if (kShippedSize) {
        EXPECT_EQ(log.substr(size + 9, 16).find('*'), std::string::npos) << log.substr(size, 60);
    }
    expectTheExpectedLog();

    std::string console = readFile(out);
    EXPECT_TRUE(validUtf8(console)) << console;
    EXPECT_NE(console.find("Descripci\xC3\xB3n del error"), std::string::npos) << console;
}

#endif

}  // namespace
}  // namespace updater
