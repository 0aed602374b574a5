// The process-wide runtime error handler: ERRORSYS installs it, ERRORDIALOG
// answers each error silently, or writes "Error.log" and asks the user
// through the error dialog (error_dialog.h) whether to end the program,
// retry or go on with the default result.
#pragma once

#include <functional>
#include <optional>

#include "runtime/value.h"

namespace errors {

// Installs an error block that passes the error object to ERRORDIALOG and
// returns its answer. Called once at start-up, before the program's main
// routine.
void ERRORSYS();

// Handles one error object:
//   - division by zero: returns 0, shows and writes nothing;
//   - the driver's last error 7004, 7008, 5004 or 7040 becomes OsCode 4, 5,
//     2 or 5 (tables::osCodeForEngineCode); CanDefault is set for every error;
//   - open errors with OsCode 32, 5, 4, 2, 3 and create errors with 3, 4, 5,
//     2 set NETERR and NERRORCODE; append-lock failures set NETERR; these
//     return false (the operation gives up);
//   - otherwise writes "Error.log" in the current folder, shows the error
//     dialog and returns true (retry) or false (default), or ends the
//     program with exit code 1 (throws runtime::ProgramExit).
// An error raised while the dialog is up ends the process at once with exit
// code 1.
runtime::Value ERRORDIALOG(const runtime::ObjectPtr& oError);

// LWRUNNING(): true while a modal dialog or the main window's message loop
// runs. The toolkit sets it on entry to a modal loop and puts the earlier
// value back when the loop ends; setLwRunning returns the earlier value.
bool LWRUNNING();
bool setLwRunning(bool running);

// The toolkit's FREERESOURCES, called before the program ends after an
// error. Returns the previous releaser.
using ResourceReleaser = std::function<void()>;
ResourceReleaser setResourceReleaser(ResourceReleaser releaser);

// Where the handler reads the table driver's last error code. By default the
// table layer's ADSGETLASTERROR; tests install their own. An empty function
// restores the default. Returns the previous source.
using EngineErrorSource = std::function<int()>;
EngineErrorSource setEngineErrorSource(EngineErrorSource source);

}  // namespace errors
