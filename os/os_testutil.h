// Helpers for the os/ tests: a temporary folder per test, whole-file read and
// write, and a helper child process that holds a file open or locked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/process.h"

namespace os::test {

// A fresh folder under the system temp folder, removed with its contents on
// destruction. path() has no trailing separator.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const;  // path() + separator + name

private:
    std::string path_;
};

// Whole-file helpers through os::File; they fail the current test on error.
void writeWholeFile(const std::string& path, const std::string& bytes);
std::string readWholeFile(const std::string& path);
std::vector<std::string> folderNames(const std::string& path);

// The argument that turns the test program into a helper child (test_main.cpp).
inline constexpr const char* kChildFlag = "--os-child";

// Runs the helper role of a child started with kChildFlag; returns its exit code.
//   hold-exclusive <file> / hold-shared <file>: open the file and keep it open;
//   lock-range <file> <offset> <length>: open shared, lock the range, keep it;
//   exit-with <code>: exit at once with that code;
//   sleep: wait for the release marker only;
//   write-args <file> <args...>: write the arguments, one per line, and exit.
// Holding roles create "<marker>.ready" once they hold, then wait (at most a
// minute) for "<marker>.release". Exit codes: 0 done, 10 open failed, 11 lock
// failed, 12 never released, 2 bad arguments.
int runChildRole(const std::vector<std::string>& args);

// A helper child of the test program that holds something until released.
class HelperChild {
public:
    // Starts the role with its arguments and waits until the child holds
    // (returns false when it failed or did not get there in time).
    bool start(const std::string& marker, const std::vector<std::string>& roleArgs);
    // Tells the child to let go and returns its exit code (-1 on failure).
    int release();
    Process& process() { return process_; }

private:
    std::string marker_;
    Process process_;
};

// Starts the test program with kChildFlag and `args`.
Result<Process> startChild(const std::vector<std::string>& args);

}  // namespace os::test
