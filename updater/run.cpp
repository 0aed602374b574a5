// MAIN, INICIODLG and ACTUA.
#include "updater/run.h"

#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/settings.h"
#include "startup/arranque.h"
#include "tables/ads.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"
#include "updater/file_steps.h"
#include "updater/hooks.h"
#include "updater/record_steps.h"
#include "updater/run_state.h"

namespace updater {
namespace {

using runtime::Value;

std::string registerText(const char* field) {
    return tables::aliasField("Empresa", field).textOr();
}

// CODEMP + " - " + UPPER(ALLTRIM(CNOMBRE)) of the register's current record.
std::string companyCaption() {
    return registerText("CODEMP") + " - " + runtime::UPPER(runtime::ALLTRIM(registerText("CNOMBRE")));
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

long registerCount() {
    return static_cast<long>(tables::inAlias("Empresa", [] { return tables::RECCOUNT(); }));
}

void migrateCompany(const std::string& cRoot) {
    RunState& s = runState();
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
    COPIAEMP(cRoot, s.currentCode, migrationList());
    TABLAS(migrationList());
    if (s.dialog) s.dialog->companyDone(s.report);
}

}  // namespace

std::optional<std::string> prepareRun(const std::optional<std::string>& cPath,
                                      const std::optional<std::string>& cVariant) {
    installProductHooks();
    runtime::HB_SETCODEPAGE("ESWIN");
    tables::RDDREGISTER("ADS", tables::kRddTable);
    tables::RDDSETDEFAULT("ADS");
    tables::ADSSETSERVERTYPE(1);
    tables::ADSSETFILETYPE(tables::kAdsCdx);
    runtime::SET(runtime::Set::Epoch, Value(1950));
    RunState& s = runState();
    s.meterCounters = {0, 0};
    startup::ARRANQUE();
    if (!cPath) {
        // LEN() of the missing argument: the runtime's argument error.
        runtime::ErrorSpec def;
        def.genCode = runtime::gen::kArg;
        def.subCode = 1111;
        def.subSystem = "BASE";
        def.operation = "LEN";
        def.args = runtime::Array{Value()};
        runtime::launchError(runtime::makeError(def));
        return std::nullopt;
    }
    std::string root = installRoot(*cPath);
    s.templateFolder = templateFolderOf(root);
    s.variant = cVariant;
    tables::DBUSEAREA(true, std::nullopt, root + "\\DBF\\Empresa", "Empresa", false, false);
    tables::inAlias("Empresa", [] {
        tables::DBSETORDER(Value(1));
        tables::DBGOTOP();
    });
    return root;
}

void INICIODLG() {
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
    tables::inAlias("Empresa", [] { tables::DBGOTOP(); });
    // A register that failed to open has been reported by the line above.
    while (tables::SELECT("Empresa") != 0 && !tables::inAlias("Empresa", [] { return tables::EOF_(); })) {
        migrateCompany(cRoot);
        tables::inAlias("Empresa", [] { tables::DBSKIP(); });
    }
    setMeter(Meter::kCompany, registerCount());
    pump();
    if (tables::SELECT("Empresa") != 0) tables::inAlias("Empresa", [] { tables::DBCLOSEAREA(); });
    tables::DBCLOSEALL();
    return true;
}

void MAIN(const std::optional<std::string>& cPath, const std::optional<std::string>& cVariant,
          Progress& progress) {
    std::optional<std::string> root = prepareRun(cPath, cVariant);
    runState().dialog = &progress;
    if (root) {
        INICIODLG();
        ACTUA(*root);
    }
    tables::DBCLOSEALL();
}

}  // namespace updater
