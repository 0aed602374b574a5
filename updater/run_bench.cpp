// Benchmark of the update run: one company whose TDiaNew and TempDia hold
// N rows each (default 1,000,000), migrated in console mode; prints the
// run's time and its ratio to copying the same table files with the
// operating system's copy, with the aims beside it. Two cases: TDiaNew with
// its one-tag structural index, and TDiaNew (and its template) with a
// structural index of two tags, a number and a date plus a number whose keys
// come in scrambled order. Each case also prints the processor time per
// record copied and the peak resident memory; every case runs in a process
// of its own, so that the peak is that case's alone.
//
//   run_bench                      300,000, 1,000,000 and 3,000,000 rows, both cases
//   run_bench ROWS... [one|two]    the rows given, both cases or the one named
//
// RUN_BENCH_NO_KEY_WORKER=1 computes every index key on the run's thread,
// for a comparison with the key worker (engine/key_worker.h).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/key_worker.h"
#include "errors/error_handler.h"
#include "os/clock.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/process.h"
#include "runtime/error.h"
#include "updater/demo_installation.h"
#include "updater/progress.h"
#include "updater/run.h"

namespace {

namespace fs = std::filesystem;
using namespace updater;

// Counts pumps and keeps quiet.
class QuietProgress : public Progress {
public:
    long pumps = 0;
    void setCaption(Meter, std::string_view) override {}
    void setTotal(Meter, long) override {}
    void setValue(Meter, long) override {}
    void refreshCompanies(std::string_view) override {}
    void showFrame(int) override {}
    void pump() override { ++pumps; }
    void companyStarted(std::string_view, std::string_view) override {}
    // The time the run spends on the read-back checks before erasing, on
    // its own thread: from a step "comprobando ..." (a check starting, or
    // the run waiting for one) to the step or company end after it.
    void stepStarted(std::string_view what) override {
        endCheck();
        if (what.rfind("comprobando", 0) == 0) checkStart_ = os::monotonicMs();
    }
    void stepProgress(long, long) override {}
    void companyDone(const CompanyReport& r) override {
        endCheck();
        report = r;
    }
    uint64_t checkMs = 0;
    void runDone(int, const std::vector<std::string>&) override {}
    CompanyReport report;

private:
    void endCheck() {
        if (checkStart_) checkMs += os::monotonicMs() - checkStart_;
        checkStart_ = 0;
    }
    uint64_t checkStart_ = 0;
};

uint64_t bytesOf(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? 0 : n;
}

void build(const std::string& root, long rows, bool twoTags) {
    fs::create_directories(root + "/DBF");
    demo::writeTemplates(root);
    demo::writeRegister(root, {{"001", "Benchmark"}}, {});
    std::string folder = demo::companyFolder(root, "001");
    fs::create_directories(folder);
    demo::writeKeys(folder, {{0, "", "", ""}});
    demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, rows, 77);
    demo::indexByNumber(folder + "TDiaNew.Dbf");
    if (twoTags) {
        demo::indexByDateAndAmount(folder + "TDiaNew.Dbf");
        demo::indexByDateAndAmount(root + "/DBF/TDiaNew.Dbf");
    }
    demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, rows, 78);
}

// Copies the company's table files (and memo) once with the system copy.
uint64_t copyMs(const std::string& folder, uint64_t* bytes) {
    uint64_t start = os::monotonicMs();
    for (const char* name : {"TDiaNew.Dbf", "TDiaNew.fpt", "TDiaNew.cdx", "TempDia.Dbf"}) {
        *bytes += bytesOf(folder + name);
        (void)os::copyFile(folder + name, folder + "copy_" + name);
    }
    uint64_t ms = os::monotonicMs() - start;
    for (const char* name : {"TDiaNew.Dbf", "TDiaNew.fpt", "TDiaNew.cdx", "TempDia.Dbf"})
        (void)os::eraseFile(folder + "copy_" + name);
    return ms;
}

// The same copy made through the os layer's files and flushed to the disk,
// as the run must flush what it writes before it erases a backup: the part
// of the run's time that a copy which never waits for the disk leaves out.
uint64_t flushedCopyMs(const std::string& folder) {
    const char* names[] = {"TDiaNew.Dbf", "TDiaNew.fpt", "TDiaNew.cdx", "TempDia.Dbf"};
    std::vector<char> buffer(size_t(1) << 20);
    uint64_t start = os::monotonicMs();
    for (const char* name : names) {
        auto from = os::File::open(folder + name, os::Access::Read, os::Share::Shared,
                                   os::Disposition::OpenExisting);
        auto to = os::File::open(folder + "flushed_" + name, os::Access::ReadWrite,
                                 os::Share::Exclusive, os::Disposition::CreateAlways);
        if (!from.ok() || !to.ok()) continue;
        uint64_t at = 0;
        for (;;) {
            auto got = from.value().read(at, buffer.data(), buffer.size());
            if (!got.ok() || got.value() == 0) break;
            if (!to.value().write(at, buffer.data(), got.value()).ok()) break;
            at += got.value();
        }
        (void)to.value().flush();
    }
    uint64_t ms = os::monotonicMs() - start;
    for (const char* name : names) (void)os::eraseFile(folder + "flushed_" + name);
    return ms;
}

// Builds a fresh installation, copies its files once with the system copy,
// migrates it and prints both times; returns the run's exit code.
int runCase(const char* label, long rows, bool twoTags) {
    std::string root =
        (fs::temp_directory_path() / ("updater_bench_" + std::to_string(os::processId()))).string();
    fs::remove_all(root);
    uint64_t t0 = os::monotonicMs();
    build(root, rows, twoTags);
    std::string folder = demo::companyFolder(root, "001");
    std::printf("\n%s\ngenerated %ld rows per table in %llu ms\n", label, rows,
                static_cast<unsigned long long>(os::monotonicMs() - t0));
    std::fflush(stdout);  // shows where a long run is, also through a pipe

    uint64_t bytes = 0;
    uint64_t copy = copyMs(folder, &bytes);

    QuietProgress progress;
    uint64_t cpuStart = os::processUse().cpuMicros;
    uint64_t start = os::monotonicMs();
    int code = 0;
    try {
        MAIN(root + "\\BIN", "FA", progress);
    } catch (const runtime::ProgramExit& e) {
        code = e.code;
    }
    uint64_t run = os::monotonicMs() - start;
    // Processor time of this process, every thread: meaningful on a machine
    // busy with other work.
    os::ProcessUse use = os::processUse();
    double cpuMs = double(use.cpuMicros - cpuStart) / 1000.0;
    // After the run (of the tables as it left them), so that the disk work
    // of erasing these copies does not fall into the run's time.
    uint64_t flushed = flushedCopyMs(folder);
    long copied = 0;
    for (const TableReport& t : progress.report.tables) copied += t.copied;
    std::printf("update run: %llu ms (cpu %.0f ms), exit code %d, %ld records copied, %ld pumps\n",
                static_cast<unsigned long long>(run), cpuMs, code, copied, progress.pumps);
    std::printf("processor time per record copied: %.3f us; peak resident memory: %.0f MB\n",
                copied ? 1000.0 * cpuMs / double(copied) : 0.0,
                double(use.peakResidentBytes) / double(1 << 20));
    uint64_t checks = 0;
    for (const TableReport& t : progress.report.tables) checks += t.checkMs;
    std::printf(
        "the checks of the refilled tables against their backups took %llu ms on a second "
        "thread; the run waited %llu ms (%.0f%%) for them\n",
        static_cast<unsigned long long>(checks), static_cast<unsigned long long>(progress.checkMs),
        run ? 100.0 * double(progress.checkMs) / double(run) : 0.0);
    std::printf("system copy of the same files (%llu bytes): %llu ms\n",
                static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(copy));
    std::printf("ratio run / copy: %.1f   (aim: 2 natively, 10 under Wine)\n",
                copy ? static_cast<double>(run) / static_cast<double>(copy) : 0.0);
    std::printf(
        "a copy of the tables flushed to the disk: %llu ms; ratio run / flushed copy: %.1f\n",
        static_cast<unsigned long long>(flushed),
        flushed ? static_cast<double>(run) / static_cast<double>(flushed) : 0.0);
    std::fflush(stdout);
    fs::remove_all(root);
    return code;
}

// Runs one case in a child process (this program, given the rows and the
// case); returns its exit code.
int runChild(long rows, const char* which) {
    auto self = os::programFileName();
    if (!self.ok()) return 1;
    auto child = os::Process::start(self.value(), {std::to_string(rows), which});
    if (!child.ok()) return 1;
    auto code = child.value().wait();
    return code.ok() ? code.value() : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> rows;
    std::string only;  // "one" or "two": that case alone
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "one" || arg == "two")
            only = arg;
        else if (std::atol(arg.c_str()) > 0)
            rows.push_back(std::atol(arg.c_str()));
        else {
            std::fprintf(stderr, "usage: run_bench [rows...] [one|two]\n");
            return 1;
        }
    }
    if (rows.empty()) rows = {300000, 1000000, 3000000};
    if (rows.size() == 1 && !only.empty()) {
        errors::ERRORSYS();
        // For comparisons: the keys of every tag computed on the run's thread.
        if (std::getenv("RUN_BENCH_NO_KEY_WORKER")) engine::setKeyWorkerEnabled(false);
        return only == "one" ? runCase("TDiaNew with one tag (NUMASIEN)", rows[0], false)
                             : runCase("TDiaNew with two tags (NUMASIEN; DTOS(FECHA)+STR(DEBE,12,2))",
                                       rows[0], true);
    }
    std::fflush(stdout);
    for (long n : rows)
        for (const char* which : {"one", "two"}) {
            if (!only.empty() && only != which) continue;
            if (int code = runChild(n, which); code != 0) return code;
        }
    return 0;
}
