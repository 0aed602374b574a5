// The check of an installation: the register walked in the run's order, and
// for each company the run's own plan, the tables it would rebuild read to
// their last record, its key table and linked journals, and the disk space.
#include "updater/installation_check.h"

#include <algorithm>
#include <optional>

#include "engine/session.h"
#include "engine/table_reader.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/path_parts.h"
#include "runtime/codepage.h"
#include "updater/company_plan.h"
#include "updater/field_fit.h"
#include "updater/file_steps.h"
#include "updater/installation_files.h"
#include "updater/register_walk.h"
#include "updater/run_state.h"
#include "updater/table_files.h"

namespace updater {
namespace {

// One table opened through the engine, shared and read only; closed by the
// destructor. A failed open keeps the engine's code and text.
class ReadOnlyTable {
public:
    explicit ReadOnlyTable(const std::string& path) {
        engine::Status s = reader_.open(path);
        code_ = s.code();
        if (!s.ok()) why_ = s.message();
    }

    bool ok() const { return reader_.isOpen(); }
    engine::Result code() const { return code_; }
    // Why the open, or the last read since, failed ("" when none did).
    const std::string& why() const { return why_; }
    engine::TableReader& reader() { return reader_; }

    // Keeps a failed read's text for why(); true when `s` succeeded.
    bool note(const engine::Status& s) const {
        if (!s.ok()) why_ = s.message();
        return s.ok();
    }

    // The table's fields.
    std::vector<tables::FieldInfo> fields() const {
        std::vector<tables::FieldInfo> list;
        for (int i = 1; i <= reader_.fieldCount(); ++i) {
            const engine::FieldDesc& d = reader_.field(i);
            tables::FieldInfo f;
            f.name = d.name;
            f.type = d.type;
            f.length = d.length;
            f.decimals = d.decimals;
            list.push_back(f);
        }
        return list;
    }
    uint32_t recordCount() {
        uint32_t n = 0;
        return note(reader_.recordCount(&n)) ? n : 0;
    }
    // Text of a field of the current record ("" when the table lacks it or
    // the read fails; a failure sets why()).
    std::string text(const char* field) {
        int pos = reader_.fieldNumber(field);
        std::string value;
        if (pos > 0 && !note(reader_.getString(pos, &value))) value.clear();
        return value;
    }

    // Number in a field of the current record (0 when the table lacks it or
    // the read fails; a failure sets why()).
    double number(const char* field) {
        int pos = reader_.fieldNumber(field);
        double value = 0;
        if (pos > 0 && !note(reader_.getDouble(pos, &value))) value = 0;
        return value;
    }

    // Whether the record `rec` is deleted; false, with why() set, when it
    // cannot be read.
    bool readDeleted(uint32_t rec, bool* deleted) {
        if (!note(reader_.gotoRecord(rec))) return false;
        *deleted = reader_.deleted();
        return true;
    }

private:
    engine::TableReader reader_;
    engine::Result code_ = engine::kOk;
    mutable std::string why_;
};

std::string baseName(const std::string& path) {
    return std::string(os::fileNameOf(path));
}

bool isMemoType(char type) {
    return type == 'M' || type == 'G' || type == 'P' || type == 'W';
}

// The value of `field` in the current record as the driver hands it to the
// refill; false when the engine cannot read it (a damaged memo).
bool readValue(engine::TableReader& t, int field, const tables::FieldInfo& f,
               runtime::Value* value) {
    engine::Status r;
    if (isMemoType(f.type)) {
        std::string text;
        r = t.getMemo(field, &text);
        *value = runtime::Value(std::move(text));
    } else if (f.type == 'N' || f.type == 'F' || f.type == 'I' || f.type == 'B' || f.type == 'Y') {
        double d = 0;
        r = t.getDouble(field, &d);
        *value = runtime::Value::number(d, f.length, f.decimals);
    } else if (f.type == 'L') {
        bool b = false;
        r = t.getLogical(field, &b);
        *value = runtime::Value(b);
    } else if (f.type == 'D' || f.type == 'T') {
        int32_t julian = 0, millis = 0;
        r = t.getDateTime(field, &julian, &millis);
        *value = f.type == 'T' ? runtime::Value(runtime::DateTime{julian, millis})
                               : runtime::Value(runtime::Date{julian});
    } else {
        std::string text;
        r = t.getString(field, &text);
        *value = runtime::Value(std::move(text));
    }
    return r.ok();
}

// Where each source field goes in the new layout: by position for the
// journal work tables, by name for TDiaNic. -1: nowhere.
std::vector<int> targetsOf(const std::vector<tables::FieldInfo>& from,
                           const std::vector<tables::FieldInfo>& to, bool byName) {
    std::vector<int> targets(from.size(), -1);
    for (size_t i = 0; i < from.size(); ++i) {
        if (!byName) {
            if (i < to.size()) targets[i] = static_cast<int>(i);
            continue;
        }
        for (size_t j = 0; j < to.size(); ++j)
            if (runtime::UPPER(from[i].name) == runtime::UPPER(to[j].name))
                targets[i] = static_cast<int>(j);
    }
    return targets;
}

// What a rebuild of one table from `sourcePath` into the template's layout
// meets: every visible record is read as the refill reads it, and each
// value that may not fit its new field is tried against it.
struct SourceScan {
    const std::string& sourcePath;
    const std::vector<tables::FieldInfo>& newLayout;
    bool byName;  // TDiaNic: fields matched by name
    TableCheck& table;
    CompanyCheck& company;

    void run() {
        ReadOnlyTable t(sourcePath);
        if (!t.ok()) {
            company.stops.push_back(baseName(sourcePath) + " no se puede abrir: " + t.why());
            return;
        }
        std::vector<tables::FieldInfo> fields = t.fields();
        uint32_t records = t.recordCount();
        if (!t.why().empty()) {
            company.stops.push_back(baseName(sourcePath) + " no se puede leer: " + t.why());
            return;
        }
        if (!byName && fields.size() > newLayout.size()) {
            company.stops.push_back(
                "la plantilla de " + table.name + " tiene " + std::to_string(newLayout.size()) +
                " campos y " + baseName(sourcePath) + " tiene " + std::to_string(fields.size()));
            return;
        }
        std::vector<int> targets = targetsOf(fields, newLayout, byName);
        table.records = records;
        table.deleted = 0;
        walk(t, fields, targets);
    }

    void walk(ReadOnlyTable& t, const std::vector<tables::FieldInfo>& fields,
              const std::vector<int>& targets) {
        bool stopped = false;
        for (uint32_t rec = 1; rec <= static_cast<uint32_t>(table.records); ++rec) {
            if (!t.reader().gotoRecord(rec).ok()) {
                if (!stopped)
                    company.stops.push_back("el registro " + std::to_string(rec) + " de " +
                                            baseName(sourcePath) + " no se puede leer");
                return;
            }
            if (t.reader().deleted()) {
                ++table.deleted;
                continue;
            }
            if (!stopped) stopped = !recordGoesWhole(t, rec, fields, targets);
        }
    }

    bool recordGoesWhole(ReadOnlyTable& t, uint32_t rec,
                         const std::vector<tables::FieldInfo>& fields,
                         const std::vector<int>& targets) {
        for (size_t i = 0; i < fields.size(); ++i) {
            int to = targets[i];
            FieldFit fit =
                to < 0 ? FieldFit::Whole : fieldFit(fields[i], newLayout[static_cast<size_t>(to)]);
            if (fit == FieldFit::Whole && !isMemoType(fields[i].type)) continue;
            runtime::Value value;
            if (!readValue(t.reader(), static_cast<int>(i) + 1, fields[i], &value)) {
                company.stops.push_back("el campo " + fields[i].name + " del registro " +
                                        std::to_string(rec) + " de " + baseName(sourcePath) +
                                        " no se puede leer (memo da\xF1"
                                        "ado)");
                return false;
            }
            if (fit == FieldFit::Whole || valueFits(value, newLayout[static_cast<size_t>(to)]))
                continue;
            company.stops.push_back("el valor del campo " + fields[i].name + " del registro " +
                                    std::to_string(rec) + " de " + baseName(sourcePath) +
                                    " no cabe en " + fieldText(newLayout[static_cast<size_t>(to)]));
            return false;
        }
        return true;
    }
};

uint64_t fileSize(const std::string& path) {
    auto file =
        os::File::open(path, os::Access::Read, os::Share::Shared, os::Disposition::OpenExisting);
    if (!file.ok()) return 0;
    auto size = file.value().size();
    return size.ok() ? size.value() : 0;
}

uint64_t setBytes(const TableFiles& set) {
    return fileSize(set.table) + fileSize(set.memo) + fileSize(set.index);
}

// What rebuilding one table writes while its backup still holds the old
// records: a table in the template's layout with every record of the
// source, a memo and an index as large as the source's or the template's,
// each rounded up to whole blocks of the file system.
uint64_t rebuildBytes(const TableFiles& source, const TableFiles& templ) {
    constexpr uint64_t kBlock = 4096;
    auto blocks = [](uint64_t bytes) { return (bytes + kBlock - 1) / kBlock * kBlock; };
    TableLayout from = readLayout(source.table), to = readLayout(templ.table);
    uint64_t table = from.readable && to.readable
                         ? to.dataEnd + uint64_t(from.recordCount) * to.recordBytes + 1
                         : fileSize(source.table);
    return blocks(table) + blocks(std::max(fileSize(source.memo), fileSize(templ.memo))) +
           blocks(std::max(fileSize(source.index), fileSize(templ.index)));
}

// The files of the set that another program has open now.
std::vector<std::string> inUse(const TableFiles& set) {
    std::vector<std::string> held;
    for (const std::string* file : {&set.table, &set.memo, &set.index})
        if (os::fileInUse(*file)) held.push_back(baseName(*file));
    return held;
}

// Facts of one table of the company; `planned` is what the run does with
// it, or nothing when the run leaves it (or the company) alone.
TableCheck describeTable(const std::string& folder, const std::string& name,
                         const TablePlan* planned) {
    TableCheck t;
    t.name = name;
    TableFiles live = tableFiles(folder, name);
    TableFiles backup = backupFiles(folder, name);
    t.present = os::fileExists(live.table);
    t.backupPresent = os::fileExists(backup.table);
    t.action = !planned                                 ? "none"
               : planned->action == TableAction::Resume ? "resume"
               : planned->action == TableAction::Erase  ? "erase"
                                                        : "migrate";
    const TableFiles* source = planned ? (planned->action != TableAction::Migrate ? &backup : &live)
                               : t.present       ? &live
                               : t.backupPresent ? &backup
                                                 : nullptr;
    if (!source) return t;
    t.source = baseName(source->table);
    t.memo = os::fileExists(source->memo);
    t.index = os::fileExists(source->index);
    t.bytes = setBytes(*source);
    TableLayout header = readLayout(source->table);
    if (header.readable) t.records = header.recordCount;
    return t;
}

// A file of a planned table that another program holds: a set the run would
// move is refused and put back (the company is left as it is); one it would
// overwrite or open exclusively stops the run.
void checkHeld(const std::string& folder, const TablePlan& planned, CompanyCheck& c) {
    TableFiles live = tableFiles(folder, planned.name);
    std::vector<std::string> held = inUse(live);
    if (planned.action == TableAction::Resume) {
        for (const std::string& f : inUse(backupFiles(folder, planned.name))) held.push_back(f);
        for (const std::string& f : held)
            c.stops.push_back(f + " est\xE1 en uso por otro programa: no se puede rehacer " +
                              planned.name);
        return;
    }
    for (const std::string& f : held) c.leaves.push_back(f + " est\xE1 en uso por otro programa");
}

std::string journalPath(const std::string& pathConta, const std::string& code) {
    return runtime::ALLTRIM(pathConta) + "Emp" + runtime::ALLTRIM(code) + "\\Diario";
}

// One journal as the run would meet it. False when the run would not go on
// to the second journal.
bool checkJournal(const std::string& path, CompanyCheck& c) {
    JournalCheck j;
    j.path = path;
    bool goesOn = false;
    if (!os::fileExists(path + ".dbf")) {
        j.state = "missing";
        j.why = "no existe: no se marca";
    } else if (os::fileInUse(path + ".dbf")) {
        j.state = "inUse";
        j.why = "en uso por otro programa: no se marca";
        c.unmarked.push_back(heldJournalText(path));
    } else {
        ReadOnlyTable t(path);
        if (!t.ok() && t.code() == engine::kLocked) {
            j.state = "inUse";
            j.why = "en uso por otro programa: no se marca";
            c.unmarked.push_back(heldJournalText(path));
        } else if (!t.ok()) {
            j.state = "damaged";
            j.why = "no se puede abrir: " + t.why();
            c.stops.push_back("el diario " + path + " no se puede abrir: " + t.why());
        } else if (t.reader().fieldNumber("L340") == 0) {
            j.state = "noL340";
            j.why = "no tiene el campo L340: nada que marcar";
            goesOn = true;
        } else {
            j.state = "mark";
            j.why = "se marcar\xE1";
            goesOn = true;
        }
    }
    c.journals.push_back(std::move(j));
    return goesOn;
}

// The company's key table and the journals it links, read from its first
// visible record as the run reads them.
void checkKeys(CompanyCheck& c) {
    std::string keys = c.folder + "Claves";
    if (os::fileInUse(keys + ".dbf")) {
        c.stops.push_back("Claves.dbf est\xE1 en uso por otro programa");
        return;
    }
    ReadOnlyTable t(keys);
    if (!t.ok()) {
        c.stops.push_back("Claves no se puede abrir: " + t.why());
        return;
    }
    c.keysPresent = true;
    double tipo = 0;
    std::string pathConta, code, code2;
    if (t.note(t.reader().goTop())) {
        tipo = t.number("NTIPENLACE");
        pathConta = t.text("CPATHCONTA");
        code = t.text("CCODEMP");
        code2 = t.text("CCODEMP2");
    }
    if (!t.why().empty()) {
        c.stops.push_back("Claves no se puede leer: " + t.why());
        return;
    }
    if (tipo != 1 || runtime::ALLTRIM(pathConta).empty() || runtime::ALLTRIM(code).empty()) {
        c.linkNote = "sin enlace contable que marcar";
        return;
    }
    if (checkJournal(journalPath(pathConta, code), c) && !runtime::ALLTRIM(code2).empty())
        checkJournal(journalPath(pathConta, code2), c);
}

// What the migration record of an earlier run says and what a run does with it.
std::string describeRecord(const CompanyPlan& plan) {
    if (!plan.record) return {};
    const MigrationRecord& r = *plan.record;
    if (r.allRefilled()) return "sus tablas ya se rellenaron: solo se borran las copias que queden";
    std::string done, todo;
    for (const RecordedTable& t : r.tables)
        (t.refilled ? done : todo) += (t.refilled ? done : todo).empty() ? t.name : ", " + t.name;
    return std::string(r.moved ? "copias hechas" : "copias a medias") +
           (done.empty() ? "" : "; ya rellenadas: " + done) +
           "; se contin\xFA"
           "a con " +
           todo;
}

// The deleted records of a table the run leaves alone, for the report; its
// counts stay unknown (-1) when it cannot be read.
void countDeleted(const std::string& folder, TableCheck& t) {
    ReadOnlyTable table(folder + t.source);
    if (!table.ok()) return;
    uint32_t records = table.recordCount();
    long deleted = 0;
    for (uint32_t rec = 1; rec <= records; ++rec) {
        bool isDeleted = false;
        if (!table.readDeleted(rec, &isDeleted)) return;
        deleted += isDeleted;
    }
    t.records = records;
    t.deleted = deleted;
}

const TablePlan* plannedFor(const CompanyPlan& plan, const std::string& name) {
    for (const TablePlan& t : plan.tables)
        if (t.name == name) return &t;
    return nullptr;
}

CompanyCheck checkCompany(const std::string& root, const std::string& code,
                          const std::string& name) {
    const std::string templateFolder = templateFolderOf(root);
    CompanyCheck c;
    c.code = code;
    c.name = name;
    CompanyPlan plan = planCompany(root, code, templateFolder, migrationList());
    c.folder = plan.folder;
    c.interrupted = plan.interrupted;
    c.record = describeRecord(plan);
    c.leaves = plan.blockers;
    c.notes = plan.notes;
    if (!safeCompanyCode(code) || !os::folderExists(c.folder)) return c;
    std::vector<std::string> names = migrationList();
    names.push_back(kNicName);
    for (const std::string& table : names) {
        const TablePlan* planned = plannedFor(plan, table);
        c.tables.push_back(describeTable(c.folder, table, planned));
        if (!planned) {
            if (!c.tables.back().source.empty()) countDeleted(c.folder, c.tables.back());
            continue;
        }
        if (planned->action == TableAction::Erase) {
            if (!c.tables.back().source.empty()) countDeleted(c.folder, c.tables.back());
            for (const std::string& f : inUse(backupFiles(c.folder, table)))
                c.filesLeft.push_back(f +
                                      " est\xE1 en uso por otro programa: no se podr\xE1 borrar");
            continue;
        }
        checkHeld(c.folder, *planned, c);
        const TableFiles source = planned->action == TableAction::Resume
                                      ? backupFiles(c.folder, table)
                                      : tableFiles(c.folder, table);
        ReadOnlyTable templ(templateFolder + planned->templateName);
        if (templ.ok())
            SourceScan{source.table, templ.fields(), table == kNicName, c.tables.back(), c}.run();
        c.bytesNeeded += rebuildBytes(source, tableFiles(templateFolder, planned->templateName));
    }
    if (plan.proceeds()) checkKeys(c);
    return c;
}

// The register in order 1, as the run walks it; the companies it gives,
// each with why the run would leave it alone unlooked-at (a company folder
// an earlier record names; empty for the others), or the reason the run
// would stop before the first.
std::vector<std::pair<RegisterEntry, std::string>> walkRegister(const std::string& root,
                                                                InstallationCheck& check) {
    std::vector<std::pair<RegisterEntry, std::string>> companies;
    std::string path = root + "\\DBF\\Empresa";
    // What stops a run before it opens the register stops it here too.
    if (const auto tooLong = tooLongInstallationPath(root)) {
        check.stops.push_back(tooLong->path + ": " + tooLong->why);
        return companies;
    }
    if (!os::fileExists(registerFile(root))) {
        check.stops.push_back(registerFile(root) + ": " + noRegisterText());
        return companies;
    }
    // The run opens the register for writing, and looks at this first.
    if (const std::string readOnly = readOnlyRegisterFile(root); !readOnly.empty()) {
        check.stops.push_back(readOnly + ": " +
                              registerOpenCause(registerFile(root), os::kErrAccessDenied));
        return companies;
    }
    if (os::fileInUse(path + ".dbf") || os::fileInUse(path + ".cdx")) {
        check.stops.push_back("el registro de empresas " + path +
                              ".dbf est\xE1 en uso por otro programa");
        return companies;
    }
    ReadOnlyTable t(path);
    if (!t.ok()) {
        check.stops.push_back("el registro de empresas " + path +
                              ".dbf no se puede abrir: " + t.why());
        return companies;
    }
    (void)engine::setDeleted(true);  // a process-wide switch that cannot fail
    int orders = 0;
    engine::Status s = t.reader().orderCount(&orders);
    if (s.ok() && orders > 0) s = t.reader().setOrder(1);
    if (!s.ok()) {
        check.stops.push_back(registerProblemText(s.message()));
        return companies;
    }
    const uint32_t count = t.recordCount();
    auto unreadable = [&](const engine::Status& failed) {
        check.stops.push_back("el registro de empresas " + path +
                              ".dbf no se puede leer: " + failed.message());
        return companies;
    };
    // A skip off the last record says so with kAtEof; atEof() tells the rest.
    auto next = [&t] {
        engine::Status step = t.reader().skip(1);
        return step == engine::kAtEof ? engine::Status() : step;
    };
    // The current record as the walk takes it.
    auto read = [&](RegisterEntry& entry) {
        entry.recNo = t.reader().recordNumber();
        entry.code = t.text("CODEMP");
        entry.name = runtime::ALLTRIM(t.text("CNOMBRE"));
        entry.folder = companyFolderOf(root, entry.code);
    };
    RegisterWalk walk(count);
    for (s = t.reader().goTop();; s = next()) {
        if (!s.ok()) return unreadable(s);
        if (t.reader().eof()) break;
        RegisterEntry entry;
        read(entry);
        if (!walk.step(entry)) break;
        companies.emplace_back(std::move(entry), "");
    }
    size_t visible = 0;
    std::vector<RegisterEntry> inNaturalOrder;
    s = t.reader().setOrder(0);
    for (s = s.ok() ? t.reader().goTop() : s; visible <= count; s = next()) {
        if (!s.ok()) return unreadable(s);
        if (t.reader().eof()) break;
        ++visible;
        read(inNaturalOrder.emplace_back());
        walk.visible(inNaturalOrder.back());
    }
    if (!t.why().empty()) return unreadable(engine::Status(engine::kIoError, t.why()));
    // The run says those a unique index hides after the walk, in record order.
    for (RegisterEntry& entry : inNaturalOrder)
        if (walk.refused().count(entry.recNo) &&
            std::none_of(companies.begin(), companies.end(),
                         [&](const auto& c) { return c.first.recNo == entry.recNo; }))
            companies.emplace_back(std::move(entry), "");
    for (auto& [entry, refusal] : companies) {
        auto found = walk.refused().find(entry.recNo);
        if (found != walk.refused().end()) refusal = found->second;
    }
    std::string problem = walk.problem(visible);
    if (!problem.empty()) check.stops.push_back(registerProblemText(problem));
    return companies;
}

void noteFreeSpace(const std::string& root, InstallationCheck& check) {
    for (const std::string& folder : {root + "\\DBF", root}) {
        auto free = os::freeDiskBytes(folder);
        if (!free.ok()) continue;
        check.freeKnown = true;
        check.freeBytes = free.value();
        return;
    }
}

// What the run would end with, company after company: the first stop ends
// the walk; a company left as it is makes the end code 2.
void decideOutcomes(InstallationCheck& check) {
    bool stopped = !check.stops.empty();
    check.exitCode = stopped ? 1 : 0;
    for (CompanyCheck& c : check.companies) {
        if (c.leaves.empty() && c.stops.empty() && check.freeKnown &&
            c.bytesNeeded > check.freeBytes)
            c.stops.push_back("no hay espacio libre bastante: necesita " +
                              std::to_string(c.bytesNeeded) + " bytes y hay " +
                              std::to_string(check.freeBytes));
        if (stopped)
            c.outcome = Outcome::NotReached;
        else if (!c.leaves.empty())
            c.outcome = Outcome::Leave;
        else if (!c.stops.empty())
            c.outcome = Outcome::Stop;
        else
            c.outcome = Outcome::Migrate;
        if (c.outcome == Outcome::Leave) {
            if (check.exitCode == 0) check.exitCode = 2;
            for (const std::string& why : c.leaves) check.summary.push_back(c.code + ": " + why);
        } else if (c.outcome == Outcome::Stop) {
            check.exitCode = 1;
            stopped = true;
            for (const std::string& why : c.stops) check.summary.push_back(c.code + ": " + why);
        }
        if (c.outcome == Outcome::Migrate && (!c.unmarked.empty() || !c.filesLeft.empty())) {
            if (check.exitCode == 0) check.exitCode = 2;
            for (const std::string& why : c.unmarked) check.summary.push_back(c.code + ": " + why);
            for (const std::string& why : c.filesLeft) check.summary.push_back(c.code + ": " + why);
        }
        if (c.outcome != Outcome::Leave && c.bytesNeeded > check.peakBytes) {
            check.peakBytes = c.bytesNeeded;
            check.peakCompany = c.code;
        }
    }
    check.summary.insert(check.summary.begin(), check.stops.begin(), check.stops.end());
}

}  // namespace

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Migrate:
            return "migrate";
        case Outcome::Leave:
            return "leave";
        case Outcome::Stop:
            return "stop";
        default:
            return "notReached";
    }
}

InstallationCheck checkInstallation(const std::string& root) {
    InstallationCheck check;
    check.root = root;
    std::optional<TemplateFault> templateFault =
        findTemplateFault(templateFolderOf(root), migrationList());
    for (const auto& [entry, refusal] : walkRegister(root, check)) {
        if (!refusal.empty()) {  // the run does not look at it: no plan, no tables
            CompanyCheck& c = check.companies.emplace_back();
            c.code = entry.code;
            c.name = entry.name;
            c.folder = entry.folder;
            c.leaves.push_back(refusal);
            continue;
        }
        check.companies.push_back(checkCompany(root, entry.code, entry.name));
        // The run reads the templates before the first company's plan.
        if (templateFault && check.companies.size() == 1) {
            CompanyCheck& first = check.companies.front();
            first.leaves.clear();
            first.stops.insert(first.stops.begin(), "la plantilla " + templateFault->name +
                                                        " no se puede leer: " + templateFault->why);
        }
    }
    noteFreeSpace(root, check);
    decideOutcomes(check);
    return check;
}

}  // namespace updater
