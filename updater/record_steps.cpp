// TABLAS: journals, refills, TDiaNic and the clean-up pass.
#include "updater/record_steps.h"

#include <cstring>

#include "engine/engine.h"
#include "os/fs.h"
#include "runtime/codepage.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/fieldlist.h"
#include "tables/rdd.h"
#include "tables/record_copy.h"
#include "tables/workarea.h"
#include "updater/company_plan.h"
#include "updater/error_watch.h"
#include "updater/field_fit.h"
#include "updater/file_steps.h"
#include "updater/hooks.h"
#include "updater/l340_rule.h"
#include "updater/migration_record.h"
#include "updater/refill_check.h"
#include "updater/run_state.h"
#include "updater/table_files.h"

namespace updater {
namespace {

using runtime::Value;

// Records between two reports of a step's progress in the long record
// loops, and between two pumps: the dialog keeps painting and answering
// through a journal or table of a million rows (a pump that comes too soon
// after the last one costs next to nothing).
constexpr long kRecordsPerPump = 256;
constexpr long kRecordsPerCheck = 16;

void pump() {
    if (Progress* p = runState().dialog) p->pump();
}

void stepStarted(const std::string& what) {
    if (Progress* p = runState().dialog) p->stepStarted(what);
}

// The progress of a walk over the records of one work area, in natural
// order: the records before the current one are done.
class WalkProgress {
public:
    explicit WalkProgress(std::string alias)
        : alias_(std::move(alias)),
          total_(static_cast<long>(tables::inAlias(alias_, [] { return tables::RECCOUNT(); }))) {}

    // Every few hundred records: the step's progress and a pump, so that
    // the dialog keeps painting through a table of a million rows.
    void every(long count) const {
        if (count % kRecordsPerPump == 0)
            show();
        else if (count % kRecordsPerCheck == 0)
            pump();
    }
    // After a block of records: the step's progress and a pump.
    void block() const { show(); }
    // Where the walk stopped (all of it at its end).
    void end() const { show(); }
    long total() const { return total_; }

private:
    void show() const {
        Progress* p = runState().dialog;
        if (!p) return;
        long done = tables::inAlias(
            alias_, [] { return tables::EOF_() ? -1L : static_cast<long>(tables::RECNO()) - 1; });
        p->stepProgress(done < 0 ? total_ : done, total_);
        p->pump();
    }

    std::string alias_;
    long total_;
};

// The current record of the current area as the rule reads it: text and
// number fields straight from the record's stored bytes when the driver
// keeps them, any other field (and a NULL) as its value. A field the table
// lacks is read by name, which raises the runtime's error for it.
class AreaRow : public L340Row {
public:
    AreaRow(int l340, const int* pos, const char* types)
        : area_(tables::currentTable()), l340_(l340), pos_(pos), types_(types) {}
    bool hasL340() override { return l340_ != 0; }
    std::string_view contra() override {
        std::string_view b;
        return stored(0, "C", &b) ? b : std::string_view(text_ = get(0, "CONTRA").textOr());
    }
    double factura() override { return number(1, "FACTURA"); }
    double nfactick() override { return number(2, "NFACTICK"); }
    bool documentoEmpty() override {
        std::string_view b;
        if (stored(3, "C", &b)) return runtime::emptyText(b);
        if (stored(3, "NF", &b)) return engine::storedNumber(b) == 0;
        return runtime::EMPTY(get(3, "DOCUMENTO"));
    }
    std::string_view serie() override {
        std::string_view b;
        return stored(4, "C", &b) ? b : std::string_view(text_ = get(4, "SERIE").textOr());
    }

private:
    bool stored(int i, const char* types, std::string_view* bytes) const {
        return pos_[i] && area_ && types_[i] != 0 && std::strchr(types, types_[i]) &&
               area_->storedBytes(pos_[i], bytes);
    }
    double number(int i, const char* name) const {
        std::string_view b;
        return stored(i, "NF", &b) ? engine::storedNumber(b) : get(i, name).numOr();
    }
    Value get(int i, const char* name) const {
        return pos_[i] ? tables::FIELDGET(pos_[i]) : tables::fieldValue(name);
    }
    tables::AreaDriver* area_;
    int l340_;
    const int* pos_;
    const char* types_;  // type letter of each field read, 0 when absent
    std::string text_;   // a text read as a value
};

// A record a block copy has just made, as the rule reads it: every field
// from its stored bytes, which L340Marker::readsStored() vouches for. A
// NULL reads as a blank text, a zero or an empty value, as its value would.
class BlockL340Row : public L340Row {
public:
    BlockL340Row(tables::BlockRow& row, int l340, const int* pos, const char* types)
        : row_(row), l340_(l340), pos_(pos), types_(types) {}
    bool hasL340() override { return l340_ != 0; }
    std::string_view contra() override { return bytes(0); }
    double factura() override { return number(1); }
    double nfactick() override { return number(2); }
    bool documentoEmpty() override {
        std::string_view b = bytes(3);
        if (b.empty()) return true;
        return types_[3] == 'C' ? runtime::emptyText(b) : engine::storedNumber(b) == 0;
    }
    std::string_view serie() override { return bytes(4); }

private:
    std::string_view bytes(int i) const {
        std::string_view b;
        return row_.storedBytes(pos_[i], &b) ? b : std::string_view();
    }
    double number(int i) const {
        std::string_view b = bytes(i);
        return b.empty() ? 0 : engine::storedNumber(b);
    }
    tables::BlockRow& row_;
    int l340_;
    const int* pos_;
    const char* types_;
};

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
    stepStarted("marcando " + j.path);
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
        uint32_t code = static_cast<uint32_t>(tables::NERRORCODE());
        j.why = code == os::kErrAccessDenied ? "no se puede escribir (acceso denegado)"
                                             : "no se pudo abrir para escribir, c\xF3"
                                               "digo " +
                                                   std::to_string(code);
        noteProblem(unwritableJournalText(j.path, code));
    }
    report.journals.push_back(std::move(j));
    return opened;
}

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

// Refills `name` from its backup by field position, marking rows by the
// rule. True when every record was carried over and the table, its memo and
// its index are on disk: closed without a failure and holding in its header
// exactly the records written.
bool refill(const std::string& name, TableReport& t, const ErrorWatch& watch) {
    runtime::Frame frame("REFILL");
    const std::string& folder = runState().companyFolder;
    frame.param("cName", name).local("cFolder", folder);
    frame.local("nCopied", t.copied).local("nMarked", t.marked);
    std::string alias = name.substr(0, name.find('.'));
    std::string backupAlias = "_" + alias;
    stepStarted("rellenando " + name);
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
    // The backup's area is looked up once, not by its alias per record.
    const int backupArea = tables::areaOfAlias(backupAlias);
    complete = complete && backupArea != 0;
    auto backupAtEnd = [backupArea] {
        tables::AreaSwitch sw(backupArea);
        return tables::EOF_();
    };
    frame.here();
    bool blocks = true;  // until the layouts turn out not to allow them
    while (complete && !backupAtEnd()) {
        // A block of records at a time when the layouts allow it.
        long block = blocks ? copier.copyBlock(kRecordsPerPump, marker, t.marked) : -1;
        blocks = block >= 0;
        if (block >= 0) {
            t.copied += block;
            progress.block();
            complete = block > 0 && watch.errors() == 0;
            continue;
        }
        tables::DBAPPEND();
        if (tables::NETERR() || watch.errors() != 0 || !copier.copy()) {
            complete = false;
            break;
        }
        if (marker.apply()) ++t.marked;
        progress.every(++t.copied);
        {
            tables::AreaSwitch sw(backupArea);
            tables::DBSKIP();
        }
        complete = watch.errors() == 0;
    }
    progress.end();
    frame.here();
    closeAlias(backupAlias.c_str());
    closeAlias(alias.c_str());
    if (!complete || watch.errors() != 0) return false;
    // Navigation hides deleted records: what the walk did not copy was deleted.
    t.leftOut = progress.total() - t.copied;
    frame.here();
    return onDiskAsWritten(folder + name, t.copied, "registros escritos");
}

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
        if (++n % kRecordsPerCheck == 0) pump();
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

// Rebuilds TDiaNic on the TempDia layout from its backup, by field name.
bool rebuildNic(TableReport& t, const ErrorWatch& watch) {
    runtime::Frame frame("REBUILDNIC");
    const std::string& folder = runState().companyFolder;
    frame.local("cFolder", folder).local("nCopied", t.copied);
    stepStarted(std::string("rellenando ") + kNicName);
    long all = 0;
    frame.here();
    long expected = visibleRecords(folder + "_TDiaNic", "_TDiaNic",
                                   layoutOf(runState().templateFolder + kNicTemplate), all);
    frame.localValue("nExpected", expected);
    frame.here();
    if (expected < 0 || !openNeeded(folder + "TDiaNic", "TDiaNic")) return false;
    frame.here();
    tables::__DBZAP();
    long appended = 0;
    frame.here();
    tables::__DBAPP(folder + "_TDiaNic", {}, {},
                    runtime::Block([&appended, expected](std::span<const Value>) {
                        // Asked before each record: what came before is appended.
                        if (appended++ % kRecordsPerPump == 0 && runState().dialog)
                            runState().dialog->stepProgress(appended - 1, expected);
                        LCAMBIAICO();
                        return Value(true);
                    }));
    bool complete = !tables::NETERR() && watch.errors() == 0;
    t.copied = static_cast<long>(tables::RECCOUNT());
    if (runState().dialog) runState().dialog->stepProgress(t.copied, expected);
    frame.here();
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

// Reads the table back from the disk and compares it with its backup; a
// difference is the run's error and keeps every backup.
bool matchesBackup(const std::string& name, FieldMatch match) {
    runtime::Frame frame("MATCHESBACKUP");
    const std::string& folder = runState().companyFolder;
    frame.param("cName", name).local("cFolder", folder);
    stepStarted("comprobando " + name);
    RefillComparison c = compareWithBackup(folder + "_" + name, folder + name, match,
                                           [](uint32_t done, uint32_t total) {
                                               if (Progress* p = runState().dialog) {
                                                   p->stepProgress(done, total);
                                                   p->pump();
                                               }
                                           });
    if (c.same) return true;
    frame.here();
    raiseRunError(RunError::kCheck, folder + name,
                  "la tabla rellenada no coincide con su copia _" + name + ": " + c.why, c.osCode);
    return false;
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
        SetResult r = eraseSet(backupFiles(s.companyFolder, t->name), pump);
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

L340Marker::L340Marker()
    : l340_(tables::FIELDPOS("l340")),
      contra_(tables::FIELDPOS("CONTRA")),
      factura_(tables::FIELDPOS("FACTURA")),
      nfactick_(tables::FIELDPOS("NFACTICK")),
      documento_(tables::FIELDPOS("DOCUMENTO")),
      serie_(tables::FIELDPOS("SERIE")) {
    const int pos[] = {contra_, factura_, nfactick_, documento_, serie_};
    const tables::AreaDriver* area = tables::currentTable();
    auto typeOf = [area](int p) {
        return area && p > 0 && p <= static_cast<int>(area->fields().size())
                   ? area->fields()[static_cast<size_t>(p - 1)].type
                   : '\0';
    };
    for (size_t i = 0; i < 5; ++i) types_[i] = typeOf(pos[i]);
    l340Type_ = typeOf(l340_);
}

bool L340Marker::readsStored() const {
    if (l340_ == 0) return true;  // the rule stops there
    auto is = [](char type, const char* types) { return type != 0 && std::strchr(types, type); };
    return l340Type_ == 'L' && is(types_[0], "C") && is(types_[1], "NF") && is(types_[2], "NF") &&
           is(types_[3], "CNF") && is(types_[4], "C");
}

bool L340Marker::apply(tables::BlockRow& copied) {
    const int pos[] = {contra_, factura_, nfactick_, documento_, serie_};
    BlockL340Row row(copied, l340_, pos, types_);
    if (!L340Holds(row)) return false;
    copied.setLogical(l340_, true);
    return true;
}

bool L340Marker::apply() {
    const int pos[] = {contra_, factura_, nfactick_, documento_, serie_};
    AreaRow row(l340_, pos, types_);
    if (!L340Holds(row)) return false;
    tables::FIELDPUT(l340_, Value(true));
    return true;
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
        t.refilled = nic ? rebuildNic(t, watch) : refill(plan.name, t, watch);
        frame.here();
        t.refilled = t.refilled && watch.errors() == 0 &&
                     matchesBackup(plan.name, nic ? FieldMatch::ByName : FieldMatch::ByPosition);
        if (t.refilled) {
            record.find(plan.name)->refilled = true;
            t.refilled = keepRecord();
        }
        if (!t.refilled) {
            t.backupKept = true;
            t.note = "el rellenado no termin\xF3";
            allDone = false;
        }
        report.tables.push_back(std::move(t));
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
