// The installation's own files that a run opens before any company, the
// company register and the run lock, and the words for what keeps a run
// from them. The run says them as its error; the check predicts them alike.
#pragma once

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

// Why a run stops when `registerFile(root)` is not there.
std::string noRegisterText();

// Why the register did not open for the run, from the system's code of the
// open. The error handler gives a refused open code 5 whether another
// program holds the file or its rights refuse it: the register's files tell
// which, by whether another program has one of them open.
std::string registerOpenCause(const std::string& registerFile, int osCode);

}  // namespace updater
