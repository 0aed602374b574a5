// The updater's entry: updater [--console] <path> <variant>. The installation
// root is <path> without its last four characters; <variant> is kept and
// changes nothing. Exit codes: 0 every company migrated; 1 the run stopped on
// a runtime error (Error.log written); 2 the run reached its end but left at
// least one company or backup as it was (the console summary says why).
// With --check (and --json FILE) nothing is changed: the program says what a
// run would do and ends with the code that run would end with. A run appends
// its record to "Actualiza.log" beside the program (and writes it as JSON to
// FILE with --json), however it ends. A command line without the path, or
// with an option not known, gets the usage text and exit code 1.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "errors/console_dialog.h"
#include "errors/error_handler.h"
#include "runtime/alert.h"
#include "runtime/console_text.h"
#include "runtime/error.h"
#include "startup/date_dialog.h"
#include "tables/ads.h"
#include "tables/dialogs.h"
#include "updater/arguments.h"
#include "updater/check_report.h"
#include "updater/console_progress.h"
#include "updater/run.h"
#include "updater/run_lock.h"
#include "updater/run_record.h"
#include "updater/run_state.h"
#include "updater/shown_path.h"
#ifdef _WIN32
#include <windows.h>

#include "toolkit/alert_box.h"
#include "toolkit/error_window.h"
#include "toolkit/framework_dialogs.h"
#include "toolkit/resource_module.h"
#include "updater/dialog_progress.h"
#endif

#ifdef _WIN32
// The Windows program is a window program and has no console of its own.
// Started from a command prompt without redirection it has no output
// handles either: console output then goes to the prompt's console.
void attachParentConsole() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    (void)std::freopen("CONOUT$", "w", stdout);
    (void)std::freopen("CONOUT$", "w", stderr);
}
#endif

namespace {

// An exception no routine of the run caught (memory exhausted, a library's
// own failure) still goes to the error handler: it writes Error.log and
// ends the program with exit code 1, as for any other runtime error.
int handOver(const std::exception& e) {
    runtime::ErrorFields f;
    f.genCode = dynamic_cast<const std::bad_alloc*>(&e) ? runtime::gen::kMem : 0;
    f.subSystem = "ACTUA";
    f.operation = "MAIN";
    f.description = e.what();
    try {
        runtime::launchError(runtime::makeError(f));
    } catch (const runtime::ProgramExit& end) {
        return end.code;
    }
    return 1;
}

// The error dialog on the console, naming the file of the error with the
// platform's separator (Error.log keeps the path as the run built it).
class ConsoleErrorDialog : public errors::ConsoleDialog {
public:
    errors::DialogAnswer show(const errors::DialogRequest& request) override {
        errors::DialogRequest shown = request;
        shown.description = updater::shownPathsIn(request.description);
        return errors::ConsoleDialog::show(shown);
    }
};

// The run's record appended beside the program, and its JSON when asked.
// One that cannot be written is said (on the console, or in a message box
// when the run had its window) and leaves the exit code as it is.
void saveRecord(int exitCode, const std::optional<std::string>& json, bool console) {
    const updater::RunRecord record = updater::takeRunRecord(exitCode);
    const std::string folder = updater::programFolder();
    std::vector<std::string> failed = updater::saveRunRecord(record, folder, json);
    std::string text;
    for (const std::string& line : failed) text += line + "\n";
    if (console) {
        if (failed.empty())
            text = "Registro de la actualizaci\xF3n: " +
                   updater::shownPath(folder + updater::kRunRecordName) + "\n";
        runtime::consoleWrite(stdout, text);
    } else if (!failed.empty()) {
        runtime::MSGALERT(runtime::Value(text));
    }
}

// A file named on the command line, as a full path: the run moves the
// current folder to the program's before it writes.
std::optional<std::string> fullPath(const std::optional<std::string>& file) {
    if (!file) return file;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(*file, ec);
    return ec ? *file : full.string();
}

}  // namespace

int main(int argc, char** argv) {
    const updater::Arguments a = updater::parseArguments(argc, argv);
    bool console = a.console;
    const bool check = a.check;
    const std::optional<std::string> args[2] = {a.path, a.variant};
    // Named from where the program was started, before start-up moves the
    // current folder.
    const std::optional<std::string> json = fullPath(a.json);
#ifdef _WIN32
    if (console || check) attachParentConsole();
#endif
    // A command line that cannot be taken: the usage text (in a box in the
    // window) and exit code 1; nothing is read or written.
    if (!a.error.empty()) {
        const std::string usage = updater::usageText(a.error);
#ifdef _WIN32
        if (!console && !check) {
            toolkit::WindowAlertUi box;
            runtime::ScopedAlertUi shown(box);
            runtime::MSGSTOP(runtime::Value(usage), runtime::Value("Actualizaci\xF3n"));
            return 1;
        }
#endif
        runtime::consoleWrite(stderr, usage);
        return 1;
    }
    // The check speaks the console's encoding, as the run's lines do.
    if (check)
        return updater::runCheck(args[0], json, stdout,
                                 runtime::consoleEncoding() == runtime::ConsoleEncoding::kUtf8);
#ifdef _WIN32
    // Outside console mode the run shows the progress dialog, and message
    // boxes and the error dialog are windows.
    toolkit::WindowAlertUi windowAlerts;
    toolkit::WindowDialogUi windowDialogs;
    toolkit::WindowWorkingDateUi windowDate;
    if (!console) {
        runtime::setAlertUi(&windowAlerts);
        errors::setErrorDialog(std::make_shared<toolkit::WindowErrorDialog>());
        tables::setDialogUi(&windowDialogs);
        startup::setWorkingDateUi(&windowDate);
    }
    errors::setResourceReleaser(toolkit::FREERESOURCES);
#else
    console = true;  // always console mode here
#endif
    if (console) errors::setErrorDialog(std::make_shared<ConsoleErrorDialog>());
    errors::ERRORSYS();
    updater::recordMode(console ? "consola" : "ventana");
    int exitCode = 0;
    try {
#ifdef _WIN32
        if (!console) updater::MAINDIALOG(args[0], args[1]);
#endif
        if (console) {
            updater::ConsoleProgress progress(stdout);
            updater::MAIN(args[0], args[1], progress);
        }
        exitCode = updater::runState().exitCode;
    } catch (const runtime::ProgramExit& e) {
        exitCode = e.code;
    } catch (const std::exception& e) {
        exitCode = handOver(e);
    }
    // Program end: every table still open is closed and flushed by the
    // engine's shutdown, whichever way the run ended.
    tables::ADSSHUTDOWN();
    (void)updater::releaseRunLock();  // after the tables, however the run ended
    saveRecord(exitCode, json, console);
    std::fflush(stdout);
    return exitCode;
}
