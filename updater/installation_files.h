// The installation's own files that a run opens before any company, the
// company register and the run lock, and the words for what keeps a run
// from them. The run says them as its error; the check predicts them alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace updater {

// root + "\DBF\Empresa.dbf".
std::string registerFile(const std::string& root);

struct PathProblem {
    std::string path;
    std::string why;  // for people
};

// The first of the register's and the run lock's paths that is longer
// than the platform takes, and why; nothing when both fit.
std::optional<PathProblem> tooLongInstallationPath(const std::string& root);

// The first of the register's files (table, index, memo) that may not be
// written, or empty.
std::string readOnlyRegisterFile(const std::string& root);

// Why a run stops when `registerFile(root)` is not there.
std::string noRegisterText();

// Why the register did not open for the run, from the system's code of the
// open. The error handler gives a refused open code 5 whether another
// program holds the file or its rights refuse it: the register's files tell
// which, by whether another program has one of them open.
std::string registerOpenCause(const std::string& registerFile, int osCode);

// Why a run stops when another run holds the installation's lock, and when
// the lock file cannot be opened for another reason (the system's code).
std::string runningElsewhereText(const std::string& root);
std::string lockRefusedText(const std::string& root, uint32_t osCode);
// The summary line when the lock file could not be erased at the run's end.
std::string lockLeftText(const std::string& root, uint32_t osCode);

// The box a run that cannot start shows: the file and why, for people
// (Windows-1252, lines ended by CR LF).
std::string startRefusalText(const std::string& file, const std::string& why);

// Ends a run that cannot start: the run's error for `file` (Error.log
// written, exit code 1), shown as a message box with startRefusalText
// instead of the error dialog, whose one line is too short for the words.
// In the console the box is its text. Throws runtime::ProgramExit.
[[noreturn]] void refuseStart(const std::string& file, const std::string& why, uint32_t osCode);

}  // namespace updater
