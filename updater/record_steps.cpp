// TABLAS: journals, refills, TDiaNic and the clean-up pass.
#include "updater/record_steps.h"

#include "os/fs.h"
#include "runtime/codepage.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"
#include "updater/error_watch.h"
#include "updater/file_steps.h"
#include "updater/hooks.h"
#include "updater/l340_rule.h"
#include "updater/run_state.h"

namespace updater {
namespace {

using runtime::Value;

constexpr const char* kNic = "TDiaNic.dbf";
// Records between two pumps in the long record loops, so that the dialog
// keeps painting through a journal or table of a million rows.
constexpr long kRecordsPerPump = 256;

void stepStarted(const std::string& what) {
    if (Progress* p = runState().dialog) p->stepStarted(what);
}

void pumpEvery(long count) {
    if (count % kRecordsPerPump == 0 && runState().dialog) runState().dialog->pump();
}
constexpr const char* kNicTemplate = "TempDia.dbf";

// The current record of the current area as the rule reads it. A field the
// table lacks is read by name, which raises the runtime's error for it.
class AreaRow : public L340Row {
public:
    AreaRow(int l340, const int* pos) : l340_(l340), pos_(pos) {}
    bool hasL340() override { return l340_ != 0; }
    std::string contra() override { return get(0, "CONTRA").textOr(); }
    double factura() override { return get(1, "FACTURA").numOr(); }
    double nfactick() override { return get(2, "NFACTICK").numOr(); }
    bool documentoEmpty() override { return runtime::EMPTY(get(3, "DOCUMENTO")); }
    std::string serie() override { return get(4, "SERIE").textOr(); }

private:
    Value get(int i, const char* name) const {
        return pos_[i] ? tables::FIELDGET(pos_[i]) : tables::fieldValue(name);
    }
    int l340_;
    const int* pos_;
};

bool openArea(const std::string& file, const char* alias) {
    tables::DBUSEAREA(true, std::nullopt, file, alias, false, false);
    return !tables::NETERR();
}

void closeAlias(const char* alias) {
    if (tables::SELECT(alias) != 0) tables::inAlias(alias, [] { tables::DBCLOSEAREA(); });
}

std::string journalPath(const std::string& pathConta, const std::string& code) {
    return runtime::ALLTRIM(pathConta) + "Emp" + runtime::ALLTRIM(code) + "\\Diario";
}

// Opens the journal of `code` as "Diario", marks it and closes it. False
// when it could not be opened.
bool visitJournal(const std::string& pathConta, const std::string& code, CompanyReport& report) {
    JournalReport j;
    j.path = journalPath(pathConta, code);
    // A journal that is not there is skipped without a message; testing for
    // the file first keeps that silent whatever the open would report.
    if (!os::fileExists(j.path + ".dbf")) {
        j.why = "no existe";
        report.journals.push_back(std::move(j));
        return false;
    }
    stepStarted("marcando " + j.path);
    bool opened = openArea(j.path, "Diario");
    if (opened) {
        j.visited = true;
        j.marked = markPass();
        closeAlias("Diario");
    } else {
        j.why = "no se pudo abrir, c\xF3" "digo " + std::to_string(tables::NERRORCODE());
    }
    report.journals.push_back(std::move(j));
    return opened;
}

void markJournals(CompanyReport& report) {
    Value tipo = tables::aliasField("Claves", "NTIPENLACE");
    Value path = tables::aliasField("Claves", "CPATHCONTA");
    Value code = tables::aliasField("Claves", "CCODEMP");
    Value code2 = tables::aliasField("Claves", "CCODEMP2");
    if (tipo.numOr(0) != 1 || runtime::EMPTY(path) || runtime::EMPTY(code)) {
        report.linkNote = "sin enlace contable que marcar";
        return;
    }
    if (visitJournal(path.textOr(), code.textOr(), report) && !runtime::EMPTY(code2))
        visitJournal(path.textOr(), code2.textOr(), report);
}

// Refills `name` from its backup; true when every record was carried over.
bool refill(const std::string& name, TableReport& t) {
    const std::string& folder = runState().companyFolder;
    std::string alias = name.substr(0, name.find('.'));
    std::string backupAlias = "_" + alias;
    stepStarted("rellenando " + name);
    ErrorWatch watch;
    bool openNew = openArea(folder + alias, alias.c_str());
    if (openNew) tables::__DBZAP();
    bool openOld = openArea(folder + backupAlias, backupAlias.c_str());
    bool complete = openNew && openOld;
    if (!complete) {
        // As in every other unchecked open: the first use of the alias
        // raises the runtime error the user is shown.
        tables::inAlias(openOld ? alias : backupAlias, [] { tables::DBGOTOP(); });
    } else {
        tables::DBGOTOP();
        tables::DBSELECTAREA(Value(alias));
        L340Marker marker;
        while (!tables::inAlias(backupAlias, [] { return tables::EOF_(); })) {
            tables::DBAPPEND();
            if (tables::NETERR()) { complete = false; break; }
            RECCOPY(backupAlias);
            if (marker.apply()) ++t.marked;
            pumpEvery(++t.copied);
            tables::inAlias(backupAlias, [] { tables::DBSKIP(); });
        }
    }
    closeAlias(backupAlias.c_str());
    closeAlias(alias.c_str());
    return complete && watch.errors() == 0;
}

// Rebuilds TDiaNic on the TempDia layout from its backup, by field name.
void rebuildNic(CompanyReport& report) {
    RunState& s = runState();
    const std::string& folder = s.companyFolder;
    TableReport t;
    t.name = kNic;
    bool present = os::fileExists(folder + kNic);
    if (!present && !(s.resumed && backupExists(folder, kNic))) return;
    stepStarted(std::string("rellenando ") + kNic);
    if (!backupExists(folder, kNic)) moveToBackup(folder, kNic);
    // Without a backup the table still holds its records: leave it alone.
    if (!backupExists(folder, kNic)) {
        t.note = "no se pudo mover a su copia de seguridad";
        report.tables.push_back(t);
        return;
    }
    copyTemplate(s.templateFolder, kNicTemplate, folder, kNic);
    ErrorWatch watch;
    bool complete = openArea(folder + "TDiaNic", "TDiaNic");
    if (complete) {
        tables::__DBZAP();
        tables::__DBAPP(folder + "_TDiaNic", {}, {}, runtime::Block([](std::span<const Value>) {
                            LCAMBIAICO();
                            return Value(true);
                        }));
        complete = !tables::NETERR();
        t.copied = tables::RECCOUNT();
    } else {
        tables::inAlias("TDiaNic", [] { tables::__DBZAP(); });
    }
    closeAlias("TDiaNic");
    t.refilled = complete && watch.errors() == 0;
    if (t.refilled) eraseBackup(folder, kNic);
    else { t.backupKept = true; t.note = "el rellenado no termin\xF3"; }
    report.tables.push_back(t);
}

}  // namespace

L340Marker::L340Marker()
    : l340_(tables::FIELDPOS("l340")), contra_(tables::FIELDPOS("CONTRA")),
      factura_(tables::FIELDPOS("FACTURA")), nfactick_(tables::FIELDPOS("NFACTICK")),
      documento_(tables::FIELDPOS("DOCUMENTO")), serie_(tables::FIELDPOS("SERIE")) {}

bool L340Marker::apply() {
    const int pos[] = {contra_, factura_, nfactick_, documento_, serie_};
    AreaRow row(l340_, pos);
    if (!L340Holds(row)) return false;
    tables::FIELDPUT(l340_, Value(true));
    return true;
}

long markPass() {
    long marked = 0;
    long seen = 0;
    tables::DBGOTOP();
    L340Marker marker;
    while (!tables::EOF_()) {
        if (marker.apply()) ++marked;
        tables::DBSKIP();
        pumpEvery(++seen);
    }
    return marked;
}

bool TABLAS(const std::vector<std::string>& aFiles) {
    RunState& s = runState();
    CompanyReport& report = s.report;
    if (s.dialog) s.dialog->pump();
    openArea(s.companyFolder + "Claves", "Claves");
    tables::inAlias("Claves", [] { tables::DBGOTOP(); });
    markJournals(report);

    std::vector<bool> refilled;
    for (const std::string& name : aFiles) {
        TableReport t;
        t.name = name;
        t.refilled = refill(name, t);
        t.backupKept = !t.refilled;
        if (!t.refilled) t.note = "el rellenado no termin\xF3";
        refilled.push_back(t.refilled);
        report.tables.push_back(std::move(t));
    }
    rebuildNic(report);
    closeAlias("Claves");

    for (size_t i = 0; i < aFiles.size(); ++i) {
        if (refilled[i] && backupExists(s.companyFolder, aFiles[i])) eraseBackup(s.companyFolder, aFiles[i]);
        setMeter(Meter::kFile, static_cast<long>(i) + 1);
        if (s.dialog) s.dialog->pump();
    }
    return true;
}

}  // namespace updater
