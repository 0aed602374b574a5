// MAIN, INICIODLG and ACTUA.
#include "updater/run.h"

#include <map>
#include <set>

#include "os/fs.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/neterr.h"
#include "runtime/settings.h"
#include "startup/arranque.h"
#include "tables/ads.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"
#include "updater/file_steps.h"
#include "updater/hooks.h"
#include "updater/installation_files.h"
#include "updater/record_steps.h"
#include "updater/register_walk.h"
#include "updater/run_lock.h"
#include "updater/run_record.h"
#include "updater/run_state.h"

namespace updater {
namespace {

using runtime::Value;

std::string registerText(const char* field) {
    return tables::aliasField("Empresa", field).textOr();
}

// CODEMP + " - " + UPPER(ALLTRIM(CNOMBRE)) of the register's current record.
std::string companyCaption() {
    return registerText("CODEMP") + " - " +
           runtime::UPPER(runtime::ALLTRIM(registerText("CNOMBRE")));
}

void pump() {
    if (Progress* p = runState().dialog) p->pump();
}

void setCaption(Meter meter, const std::string& text) {
    if (Progress* p = runState().dialog) p->setCaption(meter, text);
}

void setTotal(Meter meter, long total) {
    if (Progress* p = runState().dialog) p->setTotal(meter, total);
}

// Walks the register once in its order before any company is touched: an
// index that leads back to a record already seen would make the run loop,
// one that misses visible records would skip companies. False (after the
// run's error) when the walk is not sound. `refused` gets the records whose
// company folder an earlier one names, with why.
bool registerWalkSound(const std::string& cRoot, std::map<uint32_t, std::string>& refused) {
    runtime::Frame frame("REGISTERWALKSOUND");
    frame.param("cRoot", cRoot);
    std::string problem = tables::inAlias("Empresa", [&] {
        uint32_t total = tables::RECCOUNT();
        RegisterWalk walk(total);
        tables::DBGOTOP();
        auto entry = [&] {
            const std::string code = registerText("CODEMP");
            return RegisterEntry{tables::RECNO(), code, runtime::ALLTRIM(registerText("CNOMBRE")),
                                 companyFolderOf(cRoot, code)};
        };
        while (!tables::EOF_() && walk.step(entry())) tables::DBSKIP();
        int order = tables::INDEXORD();
        tables::DBSETORDER(Value(0));
        size_t visible = 0;
        tables::DBGOTOP();
        for (; !tables::EOF_() && visible <= total; tables::DBSKIP()) {
            walk.visible(entry());
            ++visible;
        }
        refused = walk.refused();
        tables::DBSETORDER(Value(order));
        tables::DBGOTOP();
        return walk.problem(visible);
    });
    if (problem.empty()) return true;
    frame.localValue("cProblem", problem);
    frame.here();
    raiseRunError(RunError::kRegister, cRoot + "\\DBF\\Empresa.cdx", registerProblemText(problem));
    return false;
}

long registerCount() {
    return static_cast<long>(tables::inAlias("Empresa", [] { return tables::RECCOUNT(); }));
}

// `refusal`: why the company is left alone without being looked at, or empty.
void migrateCompany(const std::string& cRoot, const std::string& refusal) {
    runtime::Frame frame("MIGRATECOMPANY");
    RunState& s = runState();
    frame.param("cRoot", cRoot).local("cCodEmp", s.currentCode).local("nEmpresa", s.companyCount);
    s.currentCode = registerText("CODEMP");
    std::string name = runtime::ALLTRIM(registerText("CNOMBRE"));
    setCaption(Meter::kFile, companyCaption());
    setMeter(Meter::kFile, 0);
    setMeter(Meter::kCompany, ++s.companyCount);
    s.report = CompanyReport{};
    s.report.code = s.currentCode;
    s.report.name = name;
    if (s.dialog) {
        s.dialog->refreshCompanies(s.currentCode);
        s.dialog->companyStarted(s.currentCode, name);
    }
    pump();
    recordCompanyStarted();
    frame.here();
    if (!refusal.empty()) {
        noteProblem(refusal);
    } else {
        COPIAEMP(cRoot, s.currentCode, migrationList());
        frame.here();
        TABLAS(migrationList());
    }
    recordCompanyDone();
    if (s.dialog) s.dialog->companyDone(s.report);
}

// Before anything of the installation is opened for writing: its paths fit,
// its register is there, no other run works on it (the run lock, held from
// here to ACTUA's end) and the register opens. What fails ends the program
// with its words (refuseStart); false after an open failure the error
// handler reported itself.
bool openInstallation(const std::string& cRoot) {
    runtime::Frame frame("OPENINSTALLATION");
    frame.param("cRoot", cRoot);
    const std::string lockFile = runLockPath(cRoot);
    if (const auto tooLong = tooLongInstallationPath(cRoot)) {
        frame.here();
        refuseStart(tooLong->path, tooLong->why, os::kErrFilenameTooLong);
    }
    if (!os::fileExists(registerFile(cRoot))) {
        frame.here();
        refuseStart(registerFile(cRoot), noRegisterText(), os::kErrFileNotFound);
    }
    // Read-only files are refused before the open: not every system refuses
    // them to every user.
    if (const std::string readOnly = readOnlyRegisterFile(cRoot); !readOnly.empty()) {
        frame.here();
        refuseStart(readOnly, registerOpenCause(registerFile(cRoot), os::kErrAccessDenied),
                    os::kErrAccessDenied);
    }
    const os::Status lock = takeRunLock(cRoot);
    if (!lock.ok()) {
        frame.here();
        refuseStart(lockFile,
                    heldByAnotherRun(lock) ? runningElsewhereText(cRoot)
                                           : lockRefusedText(cRoot, lock.code()),
                    lock.code());
    }
    runtime::NETERR(false);
    runtime::NERRORCODE(0);
    frame.here();
    tables::DBUSEAREA(true, std::nullopt, cRoot + "\\DBF\\Empresa", "Empresa", false, false);
    if (tables::SELECT("Empresa") != 0) return true;
    (void)releaseRunLock();
    // An open failure the handler did not answer silently has been reported.
    if (!runtime::NETERR()) {
        noteStop();
        return false;
    }
    const int osCode = runtime::NERRORCODE();
    frame.here();
    refuseStart(registerFile(cRoot), registerOpenCause(registerFile(cRoot), osCode),
                static_cast<uint32_t>(osCode));
}

}  // namespace

std::optional<std::string> prepareRun(const std::optional<std::string>& cPath,
                                      const std::optional<std::string>& cVariant) {
    runtime::Frame frame("PREPARERUN");
    frame.param("cPath", cPath).param("cVariant", cVariant);
    recordRunStarted();
    installProductHooks();
    runtime::HB_SETCODEPAGE("ESWIN");
    tables::RDDREGISTER("ADS", tables::kRddTable);
    tables::RDDSETDEFAULT("ADS");
    tables::ADSSETSERVERTYPE(1);
    tables::ADSSETFILETYPE(tables::kAdsCdx);
    runtime::SET(runtime::Set::Epoch, Value(1950));
    RunState& s = runState();
    s.meterCounters = {0, 0};
    frame.here();
    startup::ARRANQUE();
    if (!cPath) {
        // LEN() of the missing argument: the runtime's argument error.
        runtime::ErrorFields def;
        def.genCode = runtime::gen::kArg;
        def.subCode = 1111;
        def.subSystem = "BASE";
        def.operation = "LEN";
        def.args = runtime::Array{Value()};
        frame.here();
        runtime::launchError(runtime::makeError(def));
        // Answered with "&Defecto": nothing ran, which must not end as a
        // success.
        noteStop();
        return std::nullopt;
    }
    std::string root = installRoot(*cPath);
    frame.localValue("cRoot", root);
    s.templateFolder = templateFolderOf(root);
    s.variant = cVariant;
    recordInstallation(root, cVariant);
    frame.here();
    if (!openInstallation(root)) return std::nullopt;
    frame.here();
    tables::inAlias("Empresa", [] {
        tables::DBSETORDER(Value(1));
        tables::DBGOTOP();
    });
    return root;
}

void INICIODLG() {
    runtime::Frame frame("INICIODLG");
    RunState& s = runState();
    if (s.hasPicture && s.dialog) s.dialog->showFrame(1);
    s.lastTickMs = tickNow();
    setMeter(Meter::kCompany, 0);
    setMeter(Meter::kFile, 0);
    setCaption(Meter::kFile, companyCaption());
    setCaption(Meter::kCompany, "ACTUALIZANDO EMPRESAS");
    setTotal(Meter::kFile, 100);
    setTotal(Meter::kCompany, registerCount());
    pump();
}

bool ACTUA(const std::string& cRoot) {
    runtime::Frame frame("ACTUA");
    RunState& s = runState();
    frame.param("cRoot", cRoot).local("cCodEmp", s.currentCode).local("nEmpresa", s.companyCount);
    tables::inAlias("Empresa", [] { tables::DBGOTOP(); });
    // A register that failed to open has been reported by the line above.
    std::map<uint32_t, std::string> refused;
    bool walk = tables::SELECT("Empresa") != 0 && registerWalkSound(cRoot, refused);
    std::set<uint32_t> seen;
    while (walk && !s.stopRun && !tables::inAlias("Empresa", [] { return tables::EOF_(); })) {
        frame.here();
        if (!seen.insert(tables::inAlias("Empresa", [] { return tables::RECNO(); })).second) {
            frame.here();
            raiseRunError(RunError::kRegister, cRoot + "\\DBF\\Empresa.cdx",
                          "el orden del registro de empresas vuelve a una empresa ya actualizada");
            break;
        }
        frame.here();
        const auto refusal =
            refused.find(tables::inAlias("Empresa", [] { return tables::RECNO(); }));
        migrateCompany(cRoot, refusal == refused.end() ? std::string() : refusal->second);
        frame.here();
        tables::inAlias("Empresa", [] { tables::DBSKIP(); });
    }
    // Records a unique index hides behind another of the same code: said too.
    for (const auto& [recNo, why] : refused) {
        if (!walk || s.stopRun || seen.count(recNo)) continue;
        tables::inAlias("Empresa", [recNo] { tables::DBGOTO(recNo); });
        frame.here();
        migrateCompany(cRoot, why);
    }
    setMeter(Meter::kCompany, registerCount());
    pump();
    frame.here();
    if (tables::SELECT("Empresa") != 0) tables::inAlias("Empresa", [] { tables::DBCLOSEAREA(); });
    tables::DBCLOSEALL();
    // Nothing is written after this: another run may start.
    const os::Status unlocked = releaseRunLock();
    if (!unlocked.ok()) {
        s.problems.push_back(lockLeftText(cRoot, unlocked.code()));
        if (s.exitCode == 0) s.exitCode = 2;
    }
    return true;
}

void MAIN(const std::optional<std::string>& cPath, const std::optional<std::string>& cVariant,
          Progress& progress) {
    runtime::Frame frame("MAIN");
    frame.param("cPath", cPath).param("cVariant", cVariant);
    frame.here();
    // The run lock goes last, after the tables, however the run ends.
    struct Unlock {
        ~Unlock() {
            tables::dropAllAreas();
            (void)releaseRunLock();
        }
    } unlock;
    std::optional<std::string> root = prepareRun(cPath, cVariant);
    RunState& s = runState();
    s.dialog = &progress;
    if (root) {
        frame.here();
        INICIODLG();
        frame.here();
        ACTUA(*root);
    }
    frame.here();
    tables::DBCLOSEALL();
    progress.runDone(s.exitCode, s.problems);
}

}  // namespace updater
