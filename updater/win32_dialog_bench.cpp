// What the progress dialog costs: one company of 200,000 journal rows (and
// half as many in TempDia) migrated by the shipped program with the dialog
// and with --console, alternately, in a folder in memory, after one run of
// each that is not counted. Prints each run's time and the dialog's share.
// Then the cost of one look at the window's messages (SYSREFRESH on an empty
// queue) and of a pump the dialog skips as too soon, the two things the run
// does while it works (alone with --pump).
//
// --answers ROWS: how soon the window answers while one company of ROWS
// journal rows (TDiaNew with two tags, half as many rows in TempDia, a tenth
// in TDiaNic) is migrated in a folder in memory. Another thread sends the
// dialog a message every 5 ms all through the run and times each answer;
// prints their number, the median, the 99th percentile and the longest, and
// then the longest times the program itself went between two looks at its
// messages and where (the dialog's own trace, UPDATER_PUMP_TRACE).
//
// Needs a display: run it under tools/wine-gui-run.sh.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "os/fs.h"
#include "os/process.h"
#include "resources/updater_ids.h"
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

// ---- --answers ---------------------------------------------------------------

void makeLargeCompany(const std::string& root, long rows) {
    fs::remove_all(root);
    fs::create_directories(root + "/DBF");
    demo::writeTemplates(root);
    demo::indexByDateAndAmount(root + "/DBF/TDiaNew.Dbf");
    demo::writeRegister(root, {{"001", "Banco de pruebas"}}, {});
    const std::string folder = demo::companyFolder(root, "001");
    fs::create_directories(folder);
    demo::writeKeys(folder, {{0, "", "", ""}});
    demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, rows, 5);
    demo::indexByNumber(folder + "TDiaNew.Dbf");
    demo::indexByDateAndAmount(folder + "TDiaNew.Dbf");
    demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, rows / 2, 6);
    demo::writeTable(folder + "TDiaNic.dbf", demo::kOldTDiaNicFields, rows / 10, 7);
}

struct FindDialog {
    DWORD pid;
    HWND hWnd;
};

BOOL CALLBACK matchDialog(HWND h, LPARAM lParam) {
    auto* f = reinterpret_cast<FindDialog*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != f->pid || !IsWindowVisible(h) || !GetDlgItem(h, IDC_INS_BROWSE)) return TRUE;
    f->hWnd = h;
    return FALSE;
}

// The answer time of every message sent while the window lives, in ms.
std::vector<double> probeAnswers(HWND dialog) {
    std::vector<double> answers;
    while (IsWindow(dialog)) {
        const auto t0 = std::chrono::steady_clock::now();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) break;
        answers.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
        Sleep(5);
    }
    return answers;
}

double percentile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(share * (v.size() - 1) + 0.5));
    return v[i];
}

int answers(const std::string& program, const std::string& root, long rows) {
    std::fprintf(stderr, "making a company of %ld rows...\n", rows);
    makeLargeCompany(root, rows);
    const std::string trace = root + "_trace.txt";
    SetEnvironmentVariableA("UPDATER_PUMP_TRACE", trace.c_str());
    const auto t0 = std::chrono::steady_clock::now();
    auto p = os::Process::start(program, {root + "\\BIN", "FA"});
    SetEnvironmentVariableA("UPDATER_PUMP_TRACE", nullptr);
    if (!p.ok()) return 1;
    FindDialog f{p.value().id(), nullptr};
    while (!f.hWnd) {
        EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&f));
        auto ended = p.value().waitFor(20);
        if (ended.ok() && ended.value()) break;
    }
    const std::vector<double> times = f.hWnd ? probeAnswers(f.hWnd) : std::vector<double>{};
    auto code = p.value().wait();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::fprintf(stderr,
                 "%ld rows, two tags: run %.1f s, exit %d; %zu answers: median %.1f ms, "
                 "99th percentile %.1f ms, longest %.1f ms\n",
                 rows, s, code.ok() ? code.value() : -1, times.size(), percentile(times, 0.5),
                 percentile(times, 0.99), percentile(times, 1.0));
    std::ifstream in(trace);
    std::string line;
    while (std::getline(in, line)) std::fprintf(stderr, "  %s\n", line.c_str());
    in.close();
    fs::remove(trace);
    fs::remove_all(root);
    return code.ok() && code.value() == 0 && !times.empty() ? 0 : 1;
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
    if (argc > 2 && std::string(argv[1]) == "--answers")
        return answers(program, baseFolder() + "\\answer_bench", std::atol(argv[2]));
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
