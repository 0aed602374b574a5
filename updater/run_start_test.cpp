// The mistakes a user makes before a run can start, each refused in words
// that name the path and the cause, with exit code 1 and the installation
// untouched: a command line without the path, an installation path without
// a register, a register held by another program or read only, a path too
// long, and a second updater on an installation where one already runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "errors/scripted_dialog.h"
#include "os/clock.h"
#include "os/fault.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/path_parts.h"
#include "os/process.h"
#include "runtime/alert.h"
#include "updater/arguments.h"
#include "updater/demo_installation.h"
#include "updater/installation_check.h"
#include "updater/installation_testutil.h"
#include "updater/recording_progress_testutil.h"
#include "updater/run_lock.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::fileBytes;
using testing::TempFolder;

std::string errorLog() {
    return (fs::path(os::programFileName().value()).parent_path() / "Error.log").string();
}

Arguments parse(std::vector<const char*> words) {
    words.insert(words.begin(), "updater");
    return parseArguments(static_cast<int>(words.size()), words.data());
}

TEST(ArgumentsTest, WhatCannotBeTakenIsSaidAndTheRestIsKept) {
    Arguments run = parse({"--console", "C:\\CONTA\\EXE", "FA"});
    EXPECT_EQ(run.error, "");
    EXPECT_TRUE(run.console);
    EXPECT_EQ(run.path, "C:\\CONTA\\EXE");
    EXPECT_EQ(run.variant, "FA");
    Arguments check = parse({"--check", "--json", "out.json", "C:\\CONTA\\EXE"});
    EXPECT_EQ(check.error, "");
    EXPECT_TRUE(check.check);
    EXPECT_EQ(check.json, "out.json");
    EXPECT_EQ(check.variant, std::nullopt);  // the variant may be left out

    EXPECT_EQ(parse({}).error, "falta la ruta del programa");
    EXPECT_EQ(parse({"--console"}).error, "falta la ruta del programa");
    EXPECT_EQ(parse({"--check", "C:\\X\\EXE", "--json"}).error,
              "falta el nombre del fichero tras --json");
    EXPECT_EQ(parse({"--consola", "C:\\X\\EXE", "FA"}).error, "opci\xF3n desconocida: --consola");

    std::string usage = usageText("falta la ruta del programa");
    EXPECT_EQ(usage.rfind("No se puede empezar: falta la ruta del programa.", 0), 0u) << usage;
    EXPECT_NE(usage.find("updater [--console] [--json FICHERO] <ruta del programa> <variante>"), std::string::npos);
    EXPECT_EQ(usage.find(';'), std::string::npos);  // a message box breaks lines there
}

class RunStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::makeCompanySkeleton(root());
        std::string folder = demo::companyFolder(root(), "001");
        demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, demo::makeRows(20, 5));
        demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, demo::makeRows(20, 6));
    }
    std::string root() const { return tmp_.path(); }

    // Runs on `runRoot` and expects exit code 1, nothing under root()
    // changed, no lock left, no error dialog but one message box whose text
    // holds each of `words`, and an Error.log. With `checkAgrees`, the
    // check says the same beforehand.
    void expectRefused(const std::string& runRoot, const std::vector<std::string>& words,
                       bool checkAgrees = true) {
        if (checkAgrees) {
            InstallationCheck check = checkInstallation(runRoot);
            EXPECT_EQ(check.exitCode, 1);
            for (const std::string& w : words)
                EXPECT_TRUE(testing::mentions(check.summary, w)) << w;
        }
        auto before = fileBytes(root());
        fs::remove(errorLog());
        auto dialog = std::make_shared<errors::ScriptedDialog>(errors::DialogAnswer::Default);
        runtime::RecordingAlertUi boxes;
        RecordingProgress progress;
        {
            runtime::ScopedAlertUi shown(boxes);
            EXPECT_EQ(testing::runInProcess(runRoot, progress, dialog), 1);
        }
        EXPECT_TRUE(fileBytes(root()) == before) << "the installation changed";
        EXPECT_TRUE(progress.reports.empty());
        EXPECT_TRUE(dialog->shown().empty());
        EXPECT_TRUE(fs::exists(errorLog()));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].title, "Actualizaci\xF3n no iniciada");
        for (const std::string& w : words)
            EXPECT_NE(boxes.shown[0].message.find(w), std::string::npos)
                << w << " not in " << boxes.shown[0].message;
    }

    TempFolder tmp_;
};

TEST_F(RunStartTest, InstallationPathWithoutRegister) {
    // A root whose DBF folder is missing, and one with the folder but no register.
    const std::string wrong = root() + "/BIN";
    expectRefused(wrong, {wrong + "\\DBF\\Empresa.dbf", "hay registro de empresas en esta ruta"});
    fs::create_directories(wrong + "/DBF");
    expectRefused(wrong, {wrong + "\\DBF\\Empresa.dbf", "hay registro de empresas en esta ruta"});
}

TEST_F(RunStartTest, RegisterHeldByAnotherProgramOrReadOnly) {
    const std::string registerFile = root() + "\\DBF\\Empresa.dbf";
    {
        auto held = os::File::open(registerFile, os::Access::Read, os::Share::Shared,
                                   os::Disposition::OpenExisting);
        ASSERT_TRUE(held.ok());
        expectRefused(root(), {registerFile, "est\xE1 en uso por otro programa"});
    }
    // The table or its index read only; the check says it too.
    for (const char* extension : {".dbf", ".cdx"}) {
        const std::string file = os::withExtension(registerFile, extension);
        ASSERT_TRUE(os::setReadOnly(file, true).ok());
        expectRefused(root(), {file, "solo lectura"});
        ASSERT_TRUE(os::setReadOnly(file, false).ok());
    }
    // An open for writing refused without the attribute (rights): the same words.
    // The run lock is the first open for writing, the register the second.
    os::armOpenFault(2, os::kErrAccessDenied);
    expectRefused(root(), {registerFile, "solo lectura"}, false);
    os::armOpenFault(0);
    RecordingProgress progress;
    EXPECT_EQ(testing::runInProcess(root(), progress), 0);
    EXPECT_FALSE(fs::exists(root() + "/DBF/" + kRunLockName));
}

// A root whose register path passes the platform's longest path: said
// before any file is opened, naming the path.
TEST_F(RunStartTest, PathTooLong) {
    std::string longRoot = root();
    while (longRoot.size() + 16 <= os::maxPathLength()) longRoot += "/DBF/..";
    expectRefused(longRoot, {longRoot + "\\DBF\\", "demasiado larga"});
}

// Another updater holds the lock: refused, named, nothing touched; the
// check is not refused and does not take it. A lock file nobody holds (a
// killed run's) stops nothing and is gone after the run.
TEST_F(RunStartTest, LockHeldByAnotherRunAndLockLeftByAKilledOne) {
    const std::string lockFile = root() + "/DBF/" + kRunLockName;
    {
        auto held = os::File::open(lockFile, os::Access::ReadWrite, os::Share::Exclusive,
                                   os::Disposition::OpenAlways);
        ASSERT_TRUE(held.ok());
        expectRefused(root(), {"hay una actualizaci\xF3n en marcha en " + root()}, false);
        EXPECT_EQ(checkInstallation(root()).exitCode, 0);
    }
    ASSERT_TRUE(fs::exists(lockFile));
    RecordingProgress progress;
    EXPECT_EQ(testing::runInProcess(root(), progress), 0);
    EXPECT_FALSE(fs::exists(lockFile));
    EXPECT_EQ(checkInstallation(root()).exitCode, 0);
    EXPECT_FALSE(fs::exists(lockFile));
}

// The erasure of the lock at the end fails: the run says so (exit 2), and
// the next run takes the file over and erases it.
TEST_F(RunStartTest, LockThatCannotBeErasedIsSaid) {
    // A run on a copy counts the file-modifying calls; the last is the lock's erasure.
    const std::string probe = root() + "_probe";
    fs::copy(root(), probe, fs::copy_options::recursive);
    std::string last;
    os::setWriteCallObserver(
        [&last](const char* op, const std::string& path) { last = std::string(op) + " " + path; });
    const uint64_t before = os::writeCallCount();
    RecordingProgress first;
    EXPECT_EQ(testing::runInProcess(probe, first), 0);
    const uint64_t calls = os::writeCallCount() - before;
    os::setWriteCallObserver({});
    fs::remove_all(probe);
    EXPECT_TRUE(last.ends_with(std::string("\\DBF\\") + kRunLockName)) << last;

    os::armWriteFault(static_cast<uint32_t>(calls), os::kErrAccessDenied);
    RecordingProgress progress;
    EXPECT_EQ(testing::runInProcess(root(), progress), 2);
    os::disarmWriteFault();
    EXPECT_TRUE(testing::mentions(progress.summary, kRunLockName));
    EXPECT_TRUE(fs::exists(root() + "/DBF/" + kRunLockName));
    RecordingProgress again;
    EXPECT_EQ(testing::runInProcess(root(), again), 0);
    EXPECT_FALSE(fs::exists(root() + "/DBF/" + kRunLockName));
}

#if defined(_WIN32) || defined(SANITIZED_BUILD)
constexpr long kRows = 1500;  // slower file calls: a run still outlasts a process start
#else
constexpr long kRows = 3000;
#endif

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Tables by path, without the key tables: they name their own installation.
std::map<std::string, testing::TableDump> comparable(const std::string& root) {
    auto all = testing::snapshot(root);
    std::erase_if(all, [](const auto& t) { return t.first.ends_with("claves.dbf"); });
    return all;
}

// Two updaters (processes) started at once on one installation: one runs,
// the other refuses in its words and changes nothing, and the installation
// holds what one clean run gives.
TEST(RunLockTest, TwoUpdatersStartedAtOnce) {
    TempFolder tmp;
    const std::string both = tmp.path() + "/both";
    const std::string clean = tmp.path() + "/clean";
    demo::makeDemo(both, kRows);
    demo::makeDemo(clean, kRows);
    RecordingProgress once;
    ASSERT_EQ(testing::runInProcess(clean, once), 0);
    fs::remove(errorLog());

    auto self = os::programFileName();
    ASSERT_TRUE(self.ok());
    auto first = os::Process::start(self.value(), {"--run-updater", both, tmp.path() + "/1.log"});
    auto second = os::Process::start(self.value(), {"--run-updater", both, tmp.path() + "/2.log"});
    ASSERT_TRUE(first.ok() && second.ok());
    auto firstCode = first.value().wait();
    auto secondCode = second.value().wait();
    ASSERT_TRUE(firstCode.ok() && secondCode.ok());
    EXPECT_EQ(std::min(firstCode.value(), secondCode.value()), 0);
    EXPECT_EQ(std::max(firstCode.value(), secondCode.value()), 1);
    const std::string log = readFile(errorLog());
    EXPECT_NE(log.find("ya hay una actualizaci\xF3n en marcha en " + both), std::string::npos)
        << log.substr(0, 600);

    EXPECT_TRUE(comparable(both) == comparable(clean));
    EXPECT_EQ(testing::leftoverBackups(both), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(both + "/DBF/" + kRunLockName));
}

}  // namespace
}  // namespace updater
