// The progress dialog: the Windows face of the update run. MAINDIALOG builds
// the dialog "DLGINS" with its label, company browse, two meters and three
// pictures, and runs the whole update inside the dialog's start hook;
// DialogProgress is the run's Progress as that dialog shows it.
//
// Windows only (the GUI entry point): it includes the toolkit's headers.
#pragma once

#include <windows.h>

#include <array>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/bitmap.h"
#include "toolkit/browse.h"
#include "toolkit/dialog.h"
#include "toolkit/meter.h"
#include "updater/progress.h"

namespace updater {

// The longest the window may go without its messages being looked at while
// the run works; pumps asked for sooner than this are skipped, because
// looking at the queue costs a round trip to the window system.
inline constexpr uint32_t kPumpIntervalMs = 15;

class DialogProgress : public Progress {
public:
    // The controls the run shows itself through, bound to the dialog's items.
    std::shared_ptr<toolkit::TDialog> dialog;
    std::shared_ptr<toolkit::TWBrowse> browse;
    std::array<std::shared_ptr<toolkit::TMeter>, 2> meters;  // numbered as Meter
    std::shared_ptr<toolkit::TBitmap> animation;

    void setCaption(Meter meter, std::string_view text) override;
    void setTotal(Meter meter, long total) override;
    void setValue(Meter meter, long value) override;
    void refreshCompanies(std::string_view currentCode) override;
    void showFrame(int frame) override;
    // Looks at the window's messages (SYSREFRESH) when kPumpIntervalMs have
    // passed since it last did.
    void pump() override;
    void companyStarted(std::string_view code, std::string_view name) override;
    void stepStarted(std::string_view what) override;
    // Long record steps keep the animation moving (at its own pace).
    void stepProgress(long done, long total) override;
    void companyDone(const CompanyReport& report) override;
    // The dialog (a toolkit TWindow), for the framework's main window.
    const void* window() const override {
        return static_cast<const toolkit::TWindow*>(dialog.get());
    }
    // Exit code 2 or 1: a message box over the dialog says what was left and
    // what to do; 0 says nothing (the dialog just closes).
    void runDone(int exitCode, const std::vector<std::string>& problems) override;

    // How many times the messages were looked at, and how many pumps were
    // skipped as too soon.
    long pumpsDone() const { return pumpsDone_; }
    long pumpsSkipped() const { return pumpsSkipped_; }

    // The storage engine's busy hook while the run goes on: long single
    // calls (an index checked as its table opens, tags built as a table
    // closes) pump too. An error raised by a message handler there is kept
    // and raised again by the next pump outside the engine, so that no
    // engine call is left half done by it.
    static void busyPump(void* self);

    // Where the run goes longest without looking at the window's messages.
    // With UPDATER_PUMP_TRACE naming a file, every call of pump() is timed
    // (those of the run and those of the engine's busy hook apart), and
    // when the run ends the longest gaps between two calls go to that
    // file, each with the routines and lines it began and ended at.
    class Trace;

    DialogProgress();
    ~DialogProgress() override;

private:
    void pumpFrom(bool busyHook);
    std::unique_ptr<Trace> trace_;
    std::exception_ptr heldError_;
    DWORD lastPump_ = 0;
    long pumpsDone_ = 0;
    long pumpsSkipped_ = 0;
};

// MAIN with the progress dialog: prepares the process and opens the
// register (prepareRun), builds the dialog, runs it modally with INICIODLG
// as its initialisation hook and ACTUA in its start hook, and releases the
// toolkit's resources when it ends. The exit code is left in the run state;
// a program end chosen in the error dialog throws runtime::ProgramExit.
void MAINDIALOG(const std::optional<std::string>& cPath,
                const std::optional<std::string>& cVariant);

}  // namespace updater
