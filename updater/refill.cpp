// The refill by field position (with the marking rule) and TDiaNic's
// rebuild by field name, each checked on disk after its close.
#include "updater/refill.h"

#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/fieldlist.h"
#include "tables/rdd.h"
#include "tables/record_copy.h"
#include "tables/workarea.h"
#include "updater/company_plan.h"
#include "updater/error_watch.h"
#include "updater/field_fit.h"
#include "updater/l340_marker.h"
#include "updater/progress.h"
#include "updater/record_pass.h"
#include "updater/run_state.h"

namespace updater {
namespace {

using runtime::Value;

// Copies the current record of the backup's area into the current record of
// the current area by field position, refusing a value that its field in the
// new layout cannot hold whole (field_fit.h): a longer text, a number with
// more digits or decimals, a value of another kind. Fields are matched once
// per table; those stored alike in both layouts go over as their bytes, and
// only the values of the others are read, checked and converted.
class RecordCopier {
public:
    RecordCopier(const std::string& backupAlias, const std::string& backupFile,
                 const std::string& file)
        : backupAlias_(backupAlias), backupFile_(backupFile), file_(file), copy_(backupAlias) {
        const std::vector<size_t>& byValue = copy_.byValue();
        for (size_t k = 0; k < byValue.size(); ++k)
            if (fieldFit(copy_.source()[byValue[k]], copy_.target()[byValue[k]]) != FieldFit::Whole)
                narrow_.push_back(k);
    }

    // False (after raising the run's error) when the new layout has fewer
    // fields than the old one: their values would have nowhere to go.
    bool layoutHolds() const {
        size_t from = copy_.source().size(), to = copy_.target().size();
        if (from <= to) return true;
        raiseRunError(RunError::kDataWidth, file_,
                      "la plantilla tiene " + std::to_string(to) + " campos y " + backupFile_ +
                          " tiene " + std::to_string(from));
        return false;
    }

    bool copy() {
        runtime::Frame frame("RECORDCOPIER:COPY");
        frame.local("cBackup", backupFile_).local("cFile", file_);
        std::vector<Value> values = copy_.readValues();
        for (size_t k : narrow_) {
            size_t i = copy_.byValue()[k];
            if (k < values.size() && !valueFits(values[k], copy_.target()[i])) {
                uint32_t recno = tables::inAlias(backupAlias_, [] { return tables::RECNO(); });
                raiseRunError(RunError::kDataWidth, file_,
                              "el valor del campo " + copy_.source()[i].name + " del registro " +
                                  std::to_string(recno) + " de " + backupFile_ + " no cabe en " +
                                  fieldText(copy_.target()[i]));
                return false;
            }
        }
        frame.here();
        copy_.write(values);
        return true;
    }

    // Appends copies of the next records of the backup, at most `limit`,
    // marking those the rule picks (counted in `marked`), when every field
    // goes over as its bytes and the rule reads stored bytes: the number
    // appended, or -1 with nothing done (copy() record by record then).
    long copyBlock(long limit, L340Marker& marker, long& marked) {
        if (!marker.readsStored()) return -1;
        return copy_.appendCopies(limit, [&marker, &marked](tables::BlockRow& row) {
            if (marker.apply(row)) ++marked;
        });
    }

private:
    std::string backupAlias_, backupFile_, file_;
    tables::PositionCopy copy_;
    std::vector<size_t> narrow_;  // entries of copy_.byValue() whose values must be checked
};

// The table closed at `file` must count `expected` records in its header and
// hold no more; otherwise the run's error. `what` says which records.
bool onDiskAsWritten(const std::string& file, long expected, const std::string& what) {
    runtime::Frame frame("ONDISKASWRITTEN");
    frame.param("cFile", file).param("nExpected", expected);
    TableLayout written = readLayout(file);
    if (written.readable && written.recordCount == static_cast<uint32_t>(expected) &&
        written.uncountedRecords() == 0)
        return true;
    frame.here();
    raiseRunError(RunError::kCheck, file,
                  "la tabla no tiene en disco los " + std::to_string(expected) + " " + what +
                      (written.readable ? "" : ": " + written.why),
                  written.osCode);
    return false;
}

// Copies the backup's visible records, from its current one on, into the
// current area: `block(limit)` appends up to `limit` of them at once (-1:
// it cannot, and from then on `one()` fills each record appended here).
// False when something failed; `copied` counts the records appended.
bool copyRecords(int backupArea, const ErrorWatch& watch, WalkProgress& progress, long& copied,
                 const std::function<long(long)>& block, const std::function<bool()>& one) {
    auto backupAtEnd = [backupArea] {
        tables::AreaSwitch sw(backupArea);
        return tables::EOF_();
    };
    bool complete = backupArea != 0 && watch.errors() == 0;
    bool blocks = true;  // until the layouts turn out not to allow them
    while (complete && !backupAtEnd()) {
        long n = blocks ? block(kRecordsPerPump) : -1;
        blocks = n >= 0;
        if (n >= 0) {
            copied += n;
            progress.block();
            complete = n > 0 && watch.errors() == 0;
            continue;
        }
        tables::DBAPPEND();
        if (tables::NETERR() || watch.errors() != 0 || !one()) {
            complete = false;
            break;
        }
        progress.every(++copied);
        {
            tables::AreaSwitch sw(backupArea);
            tables::DBSKIP();
        }
        complete = watch.errors() == 0;
    }
    progress.end();
    return complete;
}

}  // namespace

bool refill(const std::string& name, TableReport& t, const ErrorWatch& watch) {
    runtime::Frame frame("REFILL");
    const std::string& folder = runState().companyFolder;
    frame.param("cName", name).local("cFolder", folder);
    frame.local("nCopied", t.copied).local("nMarked", t.marked);
    std::string alias = name.substr(0, name.find('.'));
    std::string backupAlias = "_" + alias;
    startStep("rellenando " + name);
    frame.here();
    // The backup is opened first: the fresh table is touched only when the
    // records it is refilled from are there.
    if (!openNeeded(folder + backupAlias, backupAlias.c_str())) return false;
    frame.here();
    if (!openNeeded(folder + alias, alias.c_str())) {
        closeAlias(backupAlias.c_str());
        return false;
    }
    frame.here();
    tables::__DBZAP();
    bool complete = watch.errors() == 0;
    RecordCopier copier(backupAlias, "_" + name, folder + name);
    complete = complete && copier.layoutHolds();
    L340Marker marker;
    WalkProgress progress(backupAlias);
    frame.here();
    // The backup's area is looked up once, not by its alias per record.
    complete = complete &&
               copyRecords(
                   tables::areaOfAlias(backupAlias), watch, progress, t.copied,
                   [&](long limit) { return copier.copyBlock(limit, marker, t.marked); },
                   [&] {
                       if (!copier.copy()) return false;
                       if (marker.apply()) ++t.marked;
                       return true;
                   });
    frame.here();
    closeAlias(backupAlias.c_str());
    closeAlias(alias.c_str());
    if (!complete || watch.errors() != 0) return false;
    // Navigation hides deleted records: what the walk did not copy was deleted.
    t.leftOut = progress.total() - t.copied;
    frame.here();
    return onDiskAsWritten(folder + name, t.copied, "registros escritos");
}

namespace {

// The fields of the table file `path`, read from its header.
std::vector<tables::FieldInfo> layoutOf(const std::string& path) {
    std::vector<tables::FieldInfo> fields;
    for (const engine::FieldDesc& f : readLayout(path).fields)
        fields.push_back({f.name, f.type, f.length, f.decimals});
    return fields;
}

// Visible records of a table, counted through its own area. Each value of a
// field whose namesake in `newLayout` may not hold it whole is tried against
// it, since an append-from by name would cut it: -1 (after the run's error)
// when one does not fit, or when the table cannot be opened. `all` gets its
// records, deleted ones included.
long visibleRecords(const std::string& file, const char* alias,
                    const std::vector<tables::FieldInfo>& newLayout, long& all) {
    if (!openNeeded(file, alias)) return -1;
    all = static_cast<long>(tables::RECCOUNT());
    std::vector<std::pair<int, tables::FieldInfo>> narrow;  // position here, field there
    std::vector<tables::FieldInfo> fields = tables::currentTable()->fields();
    for (size_t i = 0; i < fields.size(); ++i)
        for (const tables::FieldInfo& to : newLayout)
            if (to.name == fields[i].name && fieldFit(fields[i], to) != FieldFit::Whole)
                narrow.emplace_back(static_cast<int>(i) + 1, to);
    long n = 0;
    tables::DBGOTOP();
    while (!tables::EOF_() && !runState().stopRun) {
        if (++n % kRecordsPerCheck == 0) pumpProgress();
        for (const auto& [pos, to] : narrow) {
            if (valueFits(tables::FIELDGET(pos), to)) continue;
            raiseRunError(RunError::kDataWidth, file + ".dbf",
                          "el valor del campo " + to.name + " del registro " +
                              std::to_string(tables::RECNO()) + " de " + alias +
                              ".dbf no cabe en " + fieldText(to));
            closeAlias(alias);
            return -1;
        }
        tables::DBSKIP();
    }
    closeAlias(alias);
    return n;
}

}  // namespace

bool rebuildNic(TableReport& t, const ErrorWatch& watch) {
    runtime::Frame frame("REBUILDNIC");
    const std::string& folder = runState().companyFolder;
    frame.local("cFolder", folder).local("nCopied", t.copied);
    startStep(std::string("rellenando ") + kNicName);
    long all = 0;
    frame.here();
    long expected = visibleRecords(folder + "_TDiaNic", "_TDiaNic",
                                   layoutOf(runState().templateFolder + kNicTemplate), all);
    frame.localValue("nExpected", expected);
    frame.here();
    if (expected < 0 || !openNeeded(folder + "_TDiaNic", "_TDiaNic")) return false;
    frame.here();
    if (!openNeeded(folder + "TDiaNic", "TDiaNic")) {
        closeAlias("_TDiaNic");
        return false;
    }
    frame.here();
    tables::__DBZAP();
    // Every visible record of the backup, each field into its namesake: a
    // block of records at a time when the fields they share are stored
    // alike, value by value otherwise.
    tables::PositionCopy copy("_TDiaNic", tables::CopyBy::Name);
    WalkProgress progress("_TDiaNic");
    bool complete = copyRecords(
        tables::areaOfAlias("_TDiaNic"), watch, progress, t.copied,
        [&copy](long limit) { return copy.appendCopies(limit, {}); },
        [&copy] {
            copy.copy();
            return true;
        });
    frame.here();
    closeAlias("_TDiaNic");
    closeAlias("TDiaNic");
    if (!complete || watch.errors() != 0) return false;
    t.leftOut = all - expected;
    // The header on disk must count every visible record of the backup, and
    // what the append-from reported must agree with it.
    if (!onDiskAsWritten(folder + kNicName, expected, "registros de su copia")) return false;
    if (t.copied == expected) return true;
    frame.here();
    raiseRunError(RunError::kCheck, folder + kNicName,
                  "se a\xF1"
                  "adieron " +
                      std::to_string(t.copied) + " de los " + std::to_string(expected) +
                      " registros de su copia");
    return false;
}

}  // namespace updater
