// TABLAS: journals, refills and TDiaNic, the read-back check and the
// clean-up pass.
#include "updater/record_steps.h"

#include <memory>
#include <optional>

#include "os/fs.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"
#include "updater/background_check.h"
#include "updater/company_plan.h"
#include "updater/error_watch.h"
#include "updater/file_steps.h"
#include "updater/journal_marking.h"
#include "updater/migration_record.h"
#include "updater/progress.h"
#include "updater/record_pass.h"
#include "updater/refill.h"
#include "updater/refill_check.h"
#include "updater/run_state.h"
#include "updater/table_files.h"

namespace updater {
namespace {

// A refilled table whose read-back check runs on a second thread while the
// next table is refilled.
struct CheckInFlight {
    size_t row = 0;  // the table's row in the company's report
    std::string name;
    std::unique_ptr<BackgroundCheck> check;
};

// Starts reading the table back from the disk and comparing it with its
// backup.
CheckInFlight startCheck(const std::string& name, FieldMatch match, size_t row) {
    startStep("comprobando " + name);
    const std::string& folder = runState().companyFolder;
    return {row, name, std::make_unique<BackgroundCheck>(folder + "_" + name, folder + name, match)};
}

// Waits for the check, the window answering and its meter showing the
// check's progress meanwhile; a difference is the run's error and keeps
// every backup. `announce`: say that the run now waits for this check
// (another step was shown since it started).
bool matchesBackup(CheckInFlight& c, bool announce) {
    runtime::Frame frame("MATCHESBACKUP");
    const std::string& folder = runState().companyFolder;
    frame.param("cName", c.name).local("cFolder", folder);
    if (announce && !c.check->done()) startStep("comprobando " + c.name);
    RefillComparison r = c.check->wait([](uint32_t done, uint32_t total) {
        if (Progress* p = runState().dialog) {
            p->stepProgress(done, total);
            p->pump();
        }
    });
    if (r.same) return true;
    frame.here();
    raiseRunError(RunError::kCheck, folder + c.name,
                  "la tabla rellenada no coincide con su copia _" + c.name + ": " + r.why,
                  r.osCode);
    return false;
}

// The table keeps its backup for the next run.
void keepBackup(TableReport& t) {
    t.refilled = false;
    t.backupKept = true;
    t.note = "el rellenado no termin\xF3";
}

// Ends a check: a table that matches its backup is recorded as refilled,
// any other keeps its backup. `wanted`: false when the company stops
// anyway, and the check is only waited for.
bool endCheck(CheckInFlight& c, bool announce, bool wanted) {
    RunState& s = runState();
    bool same = false;
    if (wanted)
        same = matchesBackup(c, announce);
    else
        (void)c.check->wait({});
    TableReport& t = s.report.tables[c.row];
    t.checkMs = c.check->ms();
    t.refilled = same;
    if (same) {
        s.plan.record->find(c.name)->refilled = true;
        t.refilled = keepRecord();
    }
    if (!t.refilled) keepBackup(t);
    return t.refilled;
}

// The files of a backup set still on disk.
std::vector<std::string> filesOf(const TableFiles& set) {
    std::vector<std::string> left;
    for (const std::string* f : {&set.table, &set.memo, &set.index})
        if (os::fileExists(*f)) left.push_back(*f);
    return left;
}

constexpr const char* kLeftAdvice =
    "ya no hacen falta: b\xF3rrelos cuando ning\xFAn programa los use, o vuelva a ejecutar "
    "la actualizaci\xF3n, que los borrar\xE1 sin tocar las tablas";

// Erases the company's backups once everything was rebuilt (TDiaNic's
// first), then its record. Every backup is tried, also after one was
// refused; what is left is named, and the record stays, so that the next
// run only erases what it lists and refills nothing.
void cleanUp(const std::vector<TablePlan>& tables, size_t listed) {
    runtime::Frame frame("CLEANUP");
    RunState& s = runState();
    CompanyReport& report = s.report;
    frame.local("cFolder", s.companyFolder);
    std::vector<const TablePlan*> order;
    for (const TablePlan& t : tables)
        if (t.name == kNicName) order.push_back(&t);
    for (const TablePlan& t : tables)
        if (t.name != kNicName) order.push_back(&t);
    std::vector<std::string> left;
    SetResult firstFailure, hardFailure;
    long step = 0;
    for (const TablePlan* t : order) {
        SetResult r = eraseSet(backupFiles(s.companyFolder, t->name), pumpProgress);
        if (!r.ok) {
            frame.localValue("cFile", r.file);
            frame.here();
            if (firstFailure.ok) firstFailure = r;
            if (!isRefusal(r.code) && hardFailure.ok) hardFailure = r;
            for (const std::string& f : filesOf(backupFiles(s.companyFolder, t->name)))
                left.push_back(f);
            for (TableReport& tr : report.tables)
                if (tr.name == t->name) tr.backupKept = true;
        }
        if (t->name != kNicName && step < static_cast<long>(listed)) {
            setMeter(Meter::kFile, ++step);
            if (s.dialog) s.dialog->pump();
        }
    }
    frame.here();
    if (!flushNames(s.companyFolder)) return;
    if (left.empty()) {
        os::Status e = eraseRecord(s.companyFolder);
        if (e.ok()) return;
        firstFailure = {
            false, e.code(), s.companyFolder + kRecordName,
            "no se pudo borrar " + s.companyFolder + kRecordName + " (" + e.message() + ")"};
        if (!isRefusal(e.code())) hardFailure = firstFailure;
        left.push_back(s.companyFolder + kRecordName);
    }
    report.filesLeft = left;
    report.leftAdvice = kLeftAdvice;
    std::string names;
    for (const std::string& f : left) names += (names.empty() ? "" : ", ") + f;
    std::string what = firstFailure.why + "; quedan " + names + ": " + kLeftAdvice;
    if (hardFailure.ok)
        noteProblem(what);
    else
        raiseRunError(RunError::kErase, hardFailure.file, what, hardFailure.code);
}

}  // namespace

bool TABLAS(const std::vector<std::string>& aFiles) {
    runtime::Frame frame("TABLAS");
    RunState& s = runState();
    frame.param("aFiles", aFiles).local("cFolder", s.companyFolder);
    CompanyReport& report = s.report;
    if (s.dialog) s.dialog->pump();
    if (!s.companyGoesOn) return true;
    ErrorWatch watch;
    frame.here();
    MigrationRecord& record = *s.plan.record;
    bool allDone = openNeeded(s.companyFolder + "Claves", "Claves");
    frame.localValue("lAllDone", allDone);
    if (allDone) {
        frame.here();
        tables::inAlias("Claves", [] { tables::DBGOTOP(); });
        if (record.journalsMarked) {
            report.linkNote = "marcados por la actualizaci\xF3n anterior";
        } else if (markJournals(report) && watch.errors() == 0) {
            record.journalsMarked = true;
            allDone = keepRecord();
        }
    }
    // Each table's check runs while the next table is refilled; the run's
    // thread waits for it before it starts the next check, and before the
    // clean-up.
    std::optional<CheckInFlight> inFlight;
    for (const TablePlan& plan : s.plan.tables) {
        if (!allDone || watch.errors() != 0 || s.stopRun) {
            allDone = false;
            break;
        }
        if (plan.action == TableAction::Erase) {
            report.notes.push_back(plan.name +
                                   " ya se rellen\xF3 en la actualizaci\xF3n anterior: solo se "
                                   "borra su copia");
            continue;
        }
        TableReport t;
        t.name = plan.name;
        frame.localValue("cTable", t.name);
        frame.here();
        bool nic = plan.name == kNicName;
        bool refilled = (nic ? rebuildNic(t, watch) : refill(plan.name, t, watch)) &&
                        watch.errors() == 0;
        report.tables.push_back(std::move(t));
        size_t row = report.tables.size() - 1;
        frame.here();
        if (inFlight) {
            allDone = endCheck(*inFlight, true, true) && allDone;
            inFlight.reset();
        }
        if (refilled && allDone) {
            inFlight = startCheck(plan.name, nic ? FieldMatch::ByName : FieldMatch::ByPosition, row);
        } else {
            keepBackup(report.tables[row]);
            allDone = false;
        }
    }
    if (inFlight) {
        frame.here();
        bool wanted = allDone && watch.errors() == 0 && !s.stopRun;
        allDone = endCheck(*inFlight, false, wanted) && allDone;
        inFlight.reset();
    }
    frame.localValue("lAllDone", allDone);
    frame.here();
    closeAlias("Claves");
    if (allDone && watch.errors() == 0 && !s.stopRun) {
        frame.here();
        cleanUp(s.plan.tables, aFiles.size());
    } else {
        // Every backup of the company stays: the next run rebuilds from them.
        noteStop();
        for (TableReport& t : report.tables) t.backupKept = true;
    }
    return true;
}

}  // namespace updater
