// The shared pieces of the record step's passes: pace, pumps, areas.
#include "updater/record_pass.h"

#include <utility>

#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"
#include "updater/progress.h"
#include "updater/run_state.h"

namespace updater {

void pumpProgress() {
    if (Progress* p = runState().dialog) p->pump();
}

void startStep(const std::string& what) {
    if (Progress* p = runState().dialog) p->stepStarted(what);
}

WalkProgress::WalkProgress(std::string alias)
    : alias_(std::move(alias)),
      total_(static_cast<long>(tables::inAlias(alias_, [] { return tables::RECCOUNT(); }))) {}

void WalkProgress::every(long count) const {
    if (count % kRecordsPerPump == 0)
        show();
    else if (count % kRecordsPerCheck == 0)
        pumpProgress();
}

void WalkProgress::show() const {
    Progress* p = runState().dialog;
    if (!p) return;
    long done = tables::inAlias(
        alias_, [] { return tables::EOF_() ? -1L : static_cast<long>(tables::RECNO()) - 1; });
    p->stepProgress(done < 0 ? total_ : done, total_);
    p->pump();
}

bool openArea(const std::string& file, const char* alias) {
    tables::DBUSEAREA(true, std::nullopt, file, alias, false, false);
    return !tables::NETERR();
}

// Opens a table the company's migration cannot go without; a failure is the
// run's error, naming the file and the cause.
bool openNeeded(const std::string& file, const char* alias) {
    runtime::Frame frame("OPENNEEDED");
    frame.param("cFile", file).param("cAlias", alias);
    if (openArea(file, alias)) return true;
    frame.here();
    uint32_t code = static_cast<uint32_t>(tables::NERRORCODE());
    raiseRunError(RunError::kOpen, file + ".dbf",
                  "no se pudo abrir la tabla (c\xF3"
                  "digo " +
                      std::to_string(code) + ")",
                  code);
    return false;
}

void closeAlias(const char* alias) {
    if (tables::SELECT(alias) != 0) tables::inAlias(alias, [] { tables::DBCLOSEAREA(); });
}

}  // namespace updater
