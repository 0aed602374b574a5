// Helpers for the os/ tests (see os_testutil.h).
#include "os/os_testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "os/clock.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/path.h"

namespace os::test {

TempFolder::TempFolder() : path_() {
    std::random_device seed;
    std::string name = "os_test_" + std::to_string(processId()) + "_" + std::to_string(seed());
    std::filesystem::path p = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(p);
    path_ = p.string();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::file(const std::string& name) const {
    return joinPath(path_, name);
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
    Result<File> f =
        File::open(path, Access::ReadWrite, Share::Exclusive, Disposition::CreateAlways);
    ASSERT_TRUE(f.ok()) << f.status().message();
    Status s = f->write(0, bytes.data(), bytes.size());
    ASSERT_TRUE(s.ok()) << s.message();
}

std::string readWholeFile(const std::string& path) {
    Result<File> f = File::open(path, Access::Read, Share::Shared, Disposition::OpenExisting);
    EXPECT_TRUE(f.ok()) << f.status().message();
    if (!f.ok()) return "<missing>";
    Result<uint64_t> size = f->size();
    std::string bytes(static_cast<size_t>(size.ok() ? *size : 0), '\0');
    Result<size_t> n = f->read(0, bytes.data(), bytes.size());
    EXPECT_TRUE(n.ok() && *n == bytes.size());
    return bytes;
}

std::vector<std::string> folderNames(const std::string& path) {
    std::vector<std::string> names;
    Result<std::vector<FolderEntry>> entries = listFolder(path);
    EXPECT_TRUE(entries.ok()) << entries.status().message();
    if (entries.ok())
        for (const FolderEntry& e : *entries) names.push_back(e.name);
    return names;
}

namespace {

// Waits until `path` exists; false after `timeoutMs`.
bool waitForFile(const std::string& path, uint32_t timeoutMs) {
    uint64_t deadline = monotonicMs() + timeoutMs;
    while (!fileExists(path)) {
        if (monotonicMs() >= deadline) return false;
        sleepMs(10);
    }
    return true;
}

void touch(const std::string& path) {
    std::ofstream(path, std::ios::binary).put('x');
}

int holdUntilReleased(const std::string& marker) {
    touch(marker + ".ready");
    return waitForFile(marker + ".release", 60000) ? 0 : 12;
}

}  // namespace

int runChildRole(const std::vector<std::string>& args) {
    if (args.empty()) return 2;
    const std::string& role = args[0];
    if (role == "exit-with" && args.size() == 2) return std::stoi(args[1]);
    if (role == "write-args" && args.size() >= 2) {
        std::ofstream out(args[1], std::ios::binary);
        for (size_t i = 2; i < args.size(); ++i) out << args[i] << '\n';
        return 0;
    }
    if (args.size() < 2) return 2;
    const std::string& marker = args[1];
    if (role == "sleep") return holdUntilReleased(marker);
    if (args.size() < 3) return 2;
    Share share = role == "hold-exclusive" ? Share::Exclusive : Share::Shared;
    Result<File> f = File::open(args[2], Access::ReadWrite, share, Disposition::OpenExisting);
    if (!f.ok()) return 10;
    if (role == "lock-range" && args.size() == 5) {
        if (!f->lock(std::stoull(args[3]), std::stoull(args[4])).ok()) return 11;
    } else if (role != "hold-exclusive" && role != "hold-shared") {
        return 2;
    }
    return holdUntilReleased(marker);
}

Result<Process> startChild(const std::vector<std::string>& args) {
    Result<std::string> self = programFileName();
    if (!self.ok()) return self.status();
    std::vector<std::string> all = {kChildFlag};
    all.insert(all.end(), args.begin(), args.end());
    return Process::start(*self, all);
}

bool HelperChild::start(const std::string& marker, const std::vector<std::string>& roleArgs) {
    marker_ = marker;
    std::vector<std::string> args = {roleArgs.at(0), marker};
    args.insert(args.end(), roleArgs.begin() + 1, roleArgs.end());
    Result<Process> p = startChild(args);
    if (!p.ok()) return false;
    process_ = std::move(*p);
    uint64_t deadline = monotonicMs() + 30000;
    while (!fileExists(marker + ".ready")) {
        Result<std::optional<int>> done = process_.waitFor(10);
        if (!done.ok() || done->has_value() || monotonicMs() >= deadline) return false;
    }
    return true;
}

int HelperChild::release() {
    touch(marker_ + ".release");
    Result<int> code = process_.wait();
    return code.ok() ? *code : -1;
}

}  // namespace os::test
