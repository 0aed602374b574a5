// The second process of the two-process table tests: this test program
// started again with kEngineChildFlag and a role.
//
// Roles (exit code 0 = done / got it, 1 = refused as locked or in use,
// 2 = any other failure):
//   open PATH shared|exclusive            open and close
//   try PATH record:N|table|append        open shared, try the lock or an append
//   hold PATH exclusive|record:N|table READY RELEASE
//                                         open and lock, create READY, wait for
//                                         RELEASE (at most 60 s), close
//   append PATH COUNT TAG                 open shared, append COUNT records whose
//                                         first field is TAG + number and third
//                                         (a memo) "memo " + the same
//   tag PATH NAME KEY                     open shared, create tag NAME on KEY
#pragma once

#include <string>
#include <vector>

#include "os/process.h"

namespace engine::test {

inline constexpr const char* kEngineChildFlag = "--engine-child";

int runEngineChild(const std::vector<std::string>& args);

// Starts this program in a child role; fails the test when it cannot.
os::Process startEngineChild(const std::vector<std::string>& args);
// Runs a role to its end and returns its exit code (-1 after 60 s).
int runEngineChildToEnd(const std::vector<std::string>& args);
// Waits until `path` exists (at most 60 s).
bool waitForFile(const std::string& path);

}  // namespace engine::test
