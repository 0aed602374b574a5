// What the progress dialog costs: one company of 200,000 journal rows (and
// half as many in TempDia) migrated by the shipped program with the dialog
// and with --console, alternately, in a folder in memory, after one run of
// each that is not counted. Prints each run's time and the dialog's share.
// Then the cost of one look at the window's messages (SYSREFRESH on an empty
// queue) and of a pump the dialog skips as too soon, the two things the run
// does while it works (alone with --pump). Needs a display: run it under
// tools/wine-gui-run.sh.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "os/fs.h"
#include "os/process.h"
#include "toolkit/pump.h"
#include "updater/demo_installation.h"
#include "updater/dialog_progress.h"

namespace {

namespace fs = std::filesystem;
using namespace updater;

constexpr long kRows = 200000;
constexpr int kRounds = 3;

std::string baseFolder() {
    std::error_code ec;
    return fs::is_directory("Z:\\dev\\shm", ec) ? std::string("Z:\\dev\\shm")
                                                : fs::temp_directory_path().string();
}

void makeInstallation(const std::string& root) {
    fs::remove_all(root);
    fs::create_directories(root + "/DBF");
    demo::writeTemplates(root);
    demo::writeRegister(root, {{"001", "Banco de pruebas"}}, {});
    const std::string folder = demo::companyFolder(root, "001");
    fs::create_directories(folder);
    demo::writeKeys(folder, {{0, "", "", ""}});
    demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, kRows, 5);
    demo::indexByNumber(folder + "TDiaNew.Dbf");
    demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, kRows / 2, 6);
    demo::writeTable(folder + "TDiaNic.dbf", demo::kOldTDiaNicFields, kRows / 10, 7);
}

// Seconds the program took on a fresh installation, or -1 when it failed.
double timedRun(const std::string& program, const std::string& root, bool console) {
    makeInstallation(root);
    std::vector<std::string> args;
    if (console) args.push_back("--console");
    args.push_back(root + "\\BIN");
    args.push_back("FA");
    const auto t0 = std::chrono::steady_clock::now();
    auto p = os::Process::start(program, args);
    if (!p.ok()) return -1;
    auto code = p.value().wait();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return code.ok() && code.value() == 0 ? s : -1;
}

// Microseconds per call of fn, over n calls.
template <class Fn>
double microsPerCall(long n, Fn fn) {
    const auto t0 = std::chrono::steady_clock::now();
    for (long i = 0; i < n; ++i) fn();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
               .count() /
           n;
}

void pumpCosts() {
    // A window of this thread, so that the queue is a window program's.
    HWND w = CreateWindowA("STATIC", "bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
    const double look = microsPerCall(20000, [] { toolkit::SYSREFRESH(); });
    DialogProgress progress;
    progress.pump();
    const double skipped = microsPerCall(2000000, [&] { progress.pump(); });
    DestroyWindow(w);
    std::fprintf(stderr,
                 "SYSREFRESH on an empty queue: %.2f us; a pump skipped as too soon: %.3f us; "
                 "a run pumps at most every %u ms, so looking costs at most %.2f %% of it\n",
                 look, skipped, static_cast<unsigned>(kPumpIntervalMs),
                 look / (kPumpIntervalMs * 1000.0) * 100);
}

}  // namespace

int main(int argc, char** argv) {
    // --pump: only the cost of the pumps, without the two long runs.
    if (argc > 1 && std::string(argv[1]) == "--pump") {
        pumpCosts();
        return 0;
    }
    const std::string program =
        fs::path(os::programFileName().value()).parent_path().string() + "\\updater.exe";
    const std::string root = baseFolder() + "\\dialog_bench";
    // The console run's output goes nowhere: it is not what is measured.
    std::freopen("NUL", "w", stdout);
    // A first run of each, not counted, warms Wine and the file cache.
    timedRun(program, root, false);
    timedRun(program, root, true);
    double dialog = 0, console = 0;
    std::vector<std::string> lines;
    for (int i = 0; i < kRounds; ++i) {
        const double d = timedRun(program, root, false);
        const double c = timedRun(program, root, true);
        lines.push_back("round " + std::to_string(i + 1) + ": dialog " + std::to_string(d) +
                        " s, console " + std::to_string(c) + " s");
        dialog += d;
        console += c;
    }
    fs::remove_all(root);
    std::freopen("CON", "w", stdout);
    for (const std::string& l : lines) std::fprintf(stderr, "%s\n", l.c_str());
    std::fprintf(stderr,
                 "%ld rows: dialog %.2f s, console %.2f s on average; the dialog costs %+.1f %%\n",
                 kRows, dialog / kRounds, console / kRounds, (dialog - console) / console * 100);
    pumpCosts();
    return 0;
}
