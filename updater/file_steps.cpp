// File copy and the per-company file step.
#include "updater/file_steps.h"

#include "os/fs.h"
#include "runtime/frames.h"
#include "updater/company_plan.h"
#include "updater/migration_record.h"
#include "updater/run_state.h"
#include "updater/table_files.h"

namespace updater {

bool KWCOPYFILE(const std::string& cSource, const std::string& cTarget) {
    return os::copyFile(cSource, cTarget).ok();
}

bool COPIAFICH(const std::string& cSource, const std::string& cTarget) {
    runtime::Frame frame("COPIAFICH");
    frame.param("cSource", cSource).param("cTarget", cTarget);
    bool copied = KWCOPYFILE(cSource, cTarget);
    LCAMBIAICO();
    return copied;
}

namespace {

// The templates every company takes must be there and read as tables before
// any company file moves; a missing one is the run's error.
bool templatesReadable(const std::string& templateFolder, const std::vector<std::string>& aFiles) {
    runtime::Frame frame("TEMPLATESREADABLE");
    frame.param("cTemplates", templateFolder).param("aFiles", aFiles);
    std::optional<TemplateFault> fault = findTemplateFault(templateFolder, aFiles);
    if (!fault) return true;
    frame.localValue("cTemplate", fault->name);
    frame.here();
    raiseRunError(RunError::kOpen, templateFolder + fault->name,
                  "la plantilla " + fault->name + " no se puede leer: " + fault->why,
                  fault->osCode);
    return false;
}

// The record a fresh migration starts: the tables of its plan, no phase yet.
MigrationRecord recordOfPlan(const CompanyPlan& plan) {
    MigrationRecord record;
    for (const TablePlan& t : plan.tables) record.tables.push_back({t.name, t.templateName, false});
    return record;
}

// Puts back the sets already moved to their backups, newest first.
bool restoreMoved(const std::string& folder, const std::vector<std::string>& moved) {
    bool restored = true;
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        SetResult r = moveSet(backupFiles(folder, *it), tableFiles(folder, *it));
        restored = restored && r.ok;
    }
    return restored;
}

// The backup pass: every table the plan migrates moves to its backup names.
// True when all moved; otherwise the company is back as it was, or the run
// has stopped on an error.
bool backupPass(RunState& s, long count) {
    runtime::Frame frame("BACKUPPASS");
    const std::string& folder = s.companyFolder;
    frame.local("cFolder", folder);
    std::vector<std::string> moved;
    for (size_t i = 0; i < s.plan.tables.size(); ++i) {
        const TablePlan& t = s.plan.tables[i];
        frame.localValue("cTable", t.name);
        if (t.action == TableAction::Migrate) {
            frame.here();
            SetResult r = moveSet(tableFiles(folder, t.name), backupFiles(folder, t.name));
            if (!r.ok) {
                frame.here();
                bool restored = r.restored && restoreMoved(folder, moved);
                if (!restored) {
                    raiseRunError(
                        RunError::kMove, r.file,
                        r.why +
                            "; no se pudieron devolver a su sitio los ficheros ya movidos: "
                            "la siguiente actualizaci\xF3n continuar\xE1 desde las copias");
                } else if (isRefusal(r.code)) {
                    // Nothing moved any more: the record of a migration that
                    // did not begin goes too, so the company is as it was.
                    os::Status e = eraseRecord(folder);
                    noteProblem(r.why + ": la empresa queda como estaba" +
                                (e.ok() ? std::string()
                                        : std::string(" (queda ") + folder + kRecordName +
                                              ", que la siguiente actualizaci\xF3n seguir\xE1)"));
                } else {
                    raiseRunError(RunError::kMove, r.file, r.why, r.code);
                }
                return false;
            }
            moved.push_back(t.name);
        }
        if (static_cast<long>(i) < count) setMeter(Meter::kFile, static_cast<long>(i) + 1);
        if (s.dialog) s.dialog->pump();
    }
    if (!moved.empty() && !flushNames(folder)) return false;
    if (s.plan.record->moved) return true;
    s.plan.record->moved = true;
    return keepRecord();
}

bool templatePass(RunState& s, long count) {
    runtime::Frame frame("TEMPLATEPASS");
    const std::string& folder = s.companyFolder;
    frame.local("cFolder", folder).local("cTemplates", s.templateFolder);
    for (size_t i = 0; i < s.plan.tables.size(); ++i) {
        const TablePlan& t = s.plan.tables[i];
        if (t.action == TableAction::Erase) continue;  // refilled by an earlier run
        frame.localValue("cTable", t.name);
        frame.here();
        SetResult r = copySet(tableFiles(s.templateFolder, t.templateName),
                              tableFiles(folder, t.name), backupFiles(folder, t.name).index);
        LCAMBIAICO();
        if (!r.ok) {
            frame.here();
            raiseRunError(RunError::kCopy, r.file, r.why, r.code);
            return false;
        }
        if (static_cast<long>(i) < count) setMeter(Meter::kFile, static_cast<long>(i) + 1);
        if (s.dialog) s.dialog->pump();
    }
    if (s.plan.record->templatesIn) return true;
    s.plan.record->templatesIn = true;
    return keepRecord();
}

}  // namespace

// Makes the names of the company folder durable after moves or erasures; a
// failure is the run's error, since a power cut could bring old names back.
bool flushNames(const std::string& folder) {
    os::Status s = os::flushFolder(folder);
    if (s.ok()) return true;
    raiseRunError(RunError::kRecord, folder,
                  "no se pudieron asegurar en el disco los nombres de los ficheros movidos (" +
                      s.message() + ")",
                  s.code());
    return false;
}

bool keepRecord(bool beforeMoves) {
    runtime::Frame frame("KEEPRECORD");
    RunState& s = runState();
    frame.local("cFolder", s.companyFolder);
    os::Status w = writeRecord(s.companyFolder, *s.plan.record);
    if (w.ok()) return true;
    frame.here();
    std::string what = std::string("no se pudo escribir el registro de la actualizaci\xF3n ") +
                       s.companyFolder + kRecordName + " (" + w.message() + ")";
    if (beforeMoves && isRefusal(w.code()))
        noteProblem(what + ": la empresa queda como estaba");
    else
        raiseRunError(RunError::kRecord, s.companyFolder + kRecordName, what, w.code());
    return false;
}

bool COPIAEMP(const std::string& cRoot, std::string_view cCode,
              const std::vector<std::string>& aFiles) {
    runtime::Frame frame("COPIAEMP");
    frame.param("cRoot", cRoot).param("cCode", cCode).param("aFiles", aFiles);
    RunState& s = runState();
    frame.local("cTemplates", s.templateFolder).local("cFolder", s.companyFolder);
    s.templateFolder = templateFolderOf(cRoot);
    s.companyFolder = companyFolderOf(cRoot, cCode);
    s.companyGoesOn = false;
    long count = static_cast<long>(aFiles.size());
    if (s.dialog) s.dialog->setTotal(Meter::kFile, count);

    frame.here();
    if (!templatesReadable(s.templateFolder, aFiles)) return true;
    frame.here();
    s.plan = planCompany(cRoot, cCode, s.templateFolder, aFiles);
    s.resumed = s.plan.interrupted;
    for (const std::string& note : s.plan.notes) s.report.notes.push_back(note);
    if (!s.plan.proceeds()) {
        for (const std::string& why : s.plan.blockers) noteProblem(why);
        s.meterCounters[static_cast<int>(Meter::kFile)] = count;
        return true;
    }
    frame.here();
    if (!s.plan.record) {
        s.plan.record = recordOfPlan(s.plan);
        if (!keepRecord(true)) {
            s.meterCounters[static_cast<int>(Meter::kFile)] = count;
            return true;
        }
    }
    frame.here();
    s.companyGoesOn = backupPass(s, count) && templatePass(s, count);
    s.meterCounters[static_cast<int>(Meter::kFile)] = count;
    return true;
}

}  // namespace updater
