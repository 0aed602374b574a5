// The linked journals marked by the rule, a block of records per call when
// the rule reads stored bytes, record by record otherwise.
#include "updater/journal_marking.h"

#include <string>

#include "os/fs.h"
#include "runtime/codepage.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"
#include "updater/error_watch.h"
#include "updater/l340_marker.h"
#include "updater/progress.h"
#include "updater/record_pass.h"
#include "updater/run_state.h"

namespace updater {
namespace {

using runtime::Value;

std::string journalPath(const std::string& pathConta, const std::string& code) {
    return runtime::ALLTRIM(pathConta) + "Emp" + runtime::ALLTRIM(code) + "\\Diario";
}

// Opens the journal of `code` as "Diario", marks it and closes it. False
// when it could not be opened.
bool visitJournal(const std::string& pathConta, const std::string& code, CompanyReport& report) {
    runtime::Frame frame("VISITJOURNAL");
    frame.param("cPathConta", pathConta).param("cCodEmp", code);
    JournalReport j;
    j.path = journalPath(pathConta, code);
    // A journal that is not there, or that another program holds, is skipped
    // without a message. Testing for both first keeps that so: a failed open
    // is an error the record step counts, and it would keep the backups.
    // A held journal keeps its rows unmarked: the run goes on, and ends
    // saying so (exit code 2) so that it can be run again later.
    bool missing = !os::fileExists(j.path + ".dbf");
    if (missing || os::fileInUse(j.path + ".dbf")) {
        j.why = missing ? "no existe" : "en uso por otro programa";
        if (!missing) noteProblem(heldJournalText(j.path));
        report.journals.push_back(std::move(j));
        return false;
    }
    startStep("marcando " + j.path);
    frame.localValue("cDiario", j.path);
    frame.here();
    bool opened = openArea(j.path, "Diario");
    if (opened) {
        j.visited = true;
        frame.here();
        j.marked = markPass();
        closeAlias("Diario");
    } else {
        // Read-only, no rights, taken by another program between the test
        // above and the open: skipped like a held one, and said.
        uint32_t osCode = static_cast<uint32_t>(tables::NERRORCODE());
        j.why = osCode == os::kErrAccessDenied ? "no se puede escribir (acceso denegado)"
                                               : "no se pudo abrir para escribir, c\xF3"
                                                 "digo " +
                                                     std::to_string(osCode);
        noteProblem(unwritableJournalText(j.path, osCode));
    }
    report.journals.push_back(std::move(j));
    return opened;
}

}  // namespace

// Marks the linked journals; true when every journal there is was marked
// (a missing one counts as done: a later run would find it missing too).
bool markJournals(CompanyReport& report) {
    runtime::Frame frame("MARKJOURNALS");
    Value tipo = tables::aliasField("Claves", "NTIPENLACE");
    Value path = tables::aliasField("Claves", "CPATHCONTA");
    Value code = tables::aliasField("Claves", "CCODEMP");
    Value code2 = tables::aliasField("Claves", "CCODEMP2");
    frame.localValue("nTipEnlace", tipo).localValue("cPathConta", path);
    frame.localValue("cCodEmp", code).localValue("cCodEmp2", code2);
    if (tipo.numOr(0) != 1 || runtime::EMPTY(path) || runtime::EMPTY(code)) {
        report.linkNote = "sin enlace contable que marcar";
        return true;
    }
    frame.here();
    if (visitJournal(path.textOr(), code.textOr(), report) && !runState().stopRun &&
        !runtime::EMPTY(code2)) {
        frame.here();
        visitJournal(path.textOr(), code2.textOr(), report);
    }
    for (const JournalReport& j : report.journals)
        if (!j.visited && j.why != "no existe") return false;
    return !runState().stopRun;
}

long markPass() {
    runtime::Frame frame("MARKPASS");
    long marked = 0;
    long seen = 0;
    frame.local("nMarked", marked).local("nSeen", seen);
    ErrorWatch watch;
    frame.here();
    tables::DBGOTOP();
    L340Marker marker;
    WalkProgress progress(tables::ALIAS());
    frame.here();
    // An error (a mark that cannot be written, a skip that fails) ends the
    // pass whatever the handler answered: the run stops after this company.
    bool blocks = marker.readsStored();  // until the area turns out not to allow them
    auto mark = [&marker, &marked](tables::BlockRow& row) {
        if (marker.apply(row)) ++marked;
    };
    while (!tables::EOF_() && watch.errors() == 0) {
        // A block of records at a time when the rule reads stored bytes.
        long block = blocks ? tables::visitRecords(kRecordsPerPump, mark) : -1;
        blocks = block >= 0;
        if (block >= 0) {
            seen += block;
            progress.block();
            if (block == 0) break;
            continue;
        }
        if (marker.apply()) ++marked;
        tables::DBSKIP();
        progress.every(++seen);
    }
    progress.end();
    return marked;
}

}  // namespace updater
