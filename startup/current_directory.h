// The process's current directory, short path names and the file-handle
// allowance, as the start-up sequence and the framework call them.
//
// The directory routines are bound in the platform library "Kernel32" at
// each call. When it cannot be loaded (a load result of 32 or less), the
// user is told in an alert box: "Error code: <n> loading Kernel32", and the
// routine returns nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace startup {

// SETCURRENTDIRECTORY(cFolder): makes the folder current. Returns the
// platform's answer (true when the folder became current), or nothing when
// the library could not be loaded.
std::optional<bool> SETCURRENTDIRECTORY(std::string_view cFolder);

// GETCURRENTDIRECTORY(nBufLen, @cDir): when the current directory and its
// terminating zero fit in nBufLen characters, stores it in cDir and returns
// its length; otherwise leaves cDir alone and returns the length it needs
// (terminating zero included). 0 when the platform call fails; nothing when
// the library could not be loaded.
std::optional<uint32_t> GETCURRENTDIRECTORY(uint32_t nBufLen, std::string& cDir);

// GETPATHSHORT(cPath): the short (8.3) form of an existing path, trimmed;
// "" when it has none (missing path, or longer than 259 characters).
std::string GETPATHSHORT(std::string_view cPath);

// CURDIR(): the current directory without drive and without leading or
// trailing separator, with backslashes as separators ("" at a root).
std::string CURDIR();

// The CURDIR of a given current-directory path ("C:\GESTION\UPD" gives
// "GESTION\UPD", "/home/ana/upd" gives "home\ana\upd").
std::string curDirOf(std::string_view currentDirectory);

// SETHANDLECOUNT(nFiles): asks for an allowance of that many open files;
// returns the number granted.
int SETHANDLECOUNT(int nFiles);

// How the platform library is loaded: returns the load result, above 32 on
// success. The directory calls are linked into the program, so the default
// loader always succeeds; a test installs one that fails. An empty loader
// puts the default back.
using LibraryLoader = std::function<intptr_t(std::string_view libraryName)>;
void setLibraryLoader(LibraryLoader loader);

}  // namespace startup
