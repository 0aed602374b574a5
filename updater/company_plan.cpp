// Reading table headers and deciding a company's plan.
#include "updater/company_plan.h"

#include <algorithm>

#include "engine/table_set_headers.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/path_parts.h"
#include "runtime/value.h"
#include "updater/installation_paths.h"
#include "updater/table_files.h"

namespace updater {
namespace {

std::string fileName(const std::string& path) {
    return std::string(os::fileNameOf(path));
}

std::string describeOpenFailure(const std::string& path, uint32_t code) {
    std::string name = fileName(path);
    switch (code) {
        case os::kErrSharingViolation:
        case os::kErrLockViolation:
            return name + " est\xE1 en uso por otro programa";
        case os::kErrAccessDenied:
            return name + " no se puede leer (acceso denegado)";
        default:
            return name +
                   " no se puede abrir (c\xF3"
                   "digo " +
                   std::to_string(code) + ")";
    }
}

// Reads the headers of a table's set together (table, memo, index) as the
// engine's open would check them. Empty when they are sound; otherwise why
// not, naming the damaged file. `tagsMustCompile`: a tag whose expression
// does not fit the table refuses every change, so a table to be written
// (a template's copy) cannot have one.
std::string setHeadersProblem(const TableFiles& set, bool tagsMustCompile) {
    struct Opened {
        os::File file;
        uint64_t size = 0;
    };
    auto open = [](const std::string& path, Opened* into) -> std::string {
        auto f = os::File::open(path, os::Access::Read, os::Share::Shared,
                                os::Disposition::OpenExisting);
        if (!f.ok()) return describeOpenFailure(path, f.status().code());
        auto size = f.value().size();
        if (!size.ok()) return fileName(path) + " no se puede leer: " + size.status().message();
        into->file = std::move(f.value());
        into->size = size.value();
        return {};
    };
    Opened table, memo, index;
    if (std::string why = open(set.table, &table); !why.empty()) return why;
    bool hasMemo = os::fileExists(set.memo), hasIndex = os::fileExists(set.index);
    if (hasMemo)
        if (std::string why = open(set.memo, &memo); !why.empty()) return why;
    if (hasIndex)
        if (std::string why = open(set.index, &index); !why.empty()) return why;
    engine::FileBytes tableBytes = engine::fileBytesOf(fileName(set.table), table.file, table.size);
    engine::FileBytes memoBytes = engine::fileBytesOf(fileName(set.memo), memo.file, memo.size);
    engine::FileBytes indexBytes = engine::fileBytesOf(fileName(set.index), index.file, index.size);
    engine::TableSetHeaders headers;
    engine::Status s = engine::readTableSetHeaders(tableBytes, hasMemo ? &memoBytes : nullptr,
                                                   hasIndex ? &indexBytes : nullptr, &headers);
    if (!s.ok()) {
        if (s.code() == engine::kCorruptMemo && !hasMemo)
            return "falta " + fileName(set.memo) + ", el fichero memo de " + fileName(set.table);
        return "hay un fichero da\xF1"
               "ado: " +
               s.message();
    }
    if (tagsMustCompile)
        for (const engine::TagHeaderInfo& tag : headers.tags)
            if (!tag.exprError.empty())
                return "la etiqueta " + tag.name + " de " + fileName(set.index) +
                       " no se puede mantener: " + tag.exprError;
    return {};
}

// The checks every table the company rebuilds from must pass: its headers
// sound (table, memo and index), and no records hidden past its header's
// count (they would not be copied, and erasing the backup would lose them).
bool sourceSound(const TableFiles& set, CompanyPlan& plan) {
    TableLayout t = readLayout(set.table);
    if (!t.readable) {
        plan.blockers.push_back(t.osCode ? describeOpenFailure(set.table, t.osCode)
                                         : fileName(set.table) +
                                               " est\xE1 da\xF1"
                                               "ada: " +
                                               t.why);
        return false;
    }
    if (uint64_t extra = t.uncountedRecords()) {
        plan.blockers.push_back(fileName(set.table) + " guarda " + std::to_string(extra) +
                                " registros m\xE1s de los que cuenta su cabecera (" +
                                std::to_string(t.recordCount) + ")");
        return false;
    }
    if (std::string why = setHeadersProblem(set, false); !why.empty()) {
        plan.blockers.push_back(why);
        return false;
    }
    return true;
}

// The set a move of `live` to `backup` starts from: a move that stopped half
// way has its companions already under the backup's names (they move first)
// and the table still under its own.
TableFiles setToMove(const TableFiles& live, const TableFiles& backup) {
    TableFiles set = live;
    if (!os::fileExists(live.memo) && os::fileExists(backup.memo)) set.memo = backup.memo;
    if (!os::fileExists(live.index) && os::fileExists(backup.index)) set.index = backup.index;
    return set;
}

bool nameTakenByFolder(const TableFiles& set, CompanyPlan& plan) {
    for (const std::string* file : {&set.table, &set.memo, &set.index}) {
        if (os::folderExists(*file)) {
            plan.blockers.push_back("el nombre " + fileName(*file) +
                                    " est\xE1 ocupado por una carpeta");
            return true;
        }
    }
    return false;
}

// A table beside its backup: what an interrupted run leaves (a template's
// layout, or a file that does not read as a table because its copy
// stopped), or live data that must not be thrown away: a table that still
// has its backup's old layout, which no refill ever writes.
bool tableIsHalfMade(const std::string& path, const TableLayout& backup, const TableLayout& templ,
                     CompanyPlan& plan) {
    TableLayout t = readLayout(path);
    if (!t.readable && t.osCode != 0 && t.osCode != os::kErrFileNotFound) {
        plan.blockers.push_back(describeOpenFailure(path, t.osCode));
        return false;
    }
    if (t.readable && sameFields(t, backup) && !(templ.readable && sameFields(t, templ))) {
        plan.blockers.push_back(fileName(path) +
                                " tiene datos con la estructura anterior y hay una copia " +
                                "antigua _" + fileName(path) + ": se deja la empresa como est\xE1");
        return false;
    }
    return true;
}

// A file the run will write, rename and then write, or erase, that may not
// be written: found now, the company stays as it is, instead of half moved.
bool setWritable(const TableFiles& set, CompanyPlan& plan) {
    for (const std::string* file : {&set.table, &set.memo, &set.index}) {
        if (!os::fileExists(*file) || !os::isReadOnly(*file)) continue;
        plan.blockers.push_back(fileName(*file) +
                                " es de solo lectura: la actualizaci\xF3n no podr\xED"
                                "a rellenar ni borrar su tabla");
        return false;
    }
    return true;
}

// Two names in the folder that differ only in case: on a file system that
// tells them apart, the run would move one and open the other.
void findCaseTwins(const std::vector<std::string>& names, CompanyPlan& plan) {
    auto listed = os::listFolder(plan.folder);
    if (!listed.ok()) return;
    for (const std::string& name : names) {
        std::vector<std::string> same;
        for (const os::FolderEntry& e : listed.value())
            if (!e.isFolder && runtime::sameName(e.name, name)) same.push_back(e.name);
        if (same.size() > 1)
            plan.blockers.push_back("hay dos ficheros que solo se distinguen por may\xFAsculas: " +
                                    same[0] + " y " + same[1]);
    }
}

// Every file name of the company the run may touch.
std::vector<std::string> namesTouched(const std::vector<std::string>& aFiles) {
    std::vector<std::string> names = {kRecordName, kRecordScratchName};
    std::vector<std::string> tables = aFiles;
    tables.push_back(kNicName);
    for (const std::string& t : tables)
        for (const TableFiles& set : {tableFiles("", t), backupFiles("", t)})
            for (const std::string* f : {&set.table, &set.memo, &set.index}) names.push_back(*f);
    return names;
}

void planTable(const std::string& name, const std::string& templateName,
               const std::string& templateFolder, bool isNic, CompanyPlan& plan) {
    TableFiles live = tableFiles(plan.folder, name);
    TableFiles backup = backupFiles(plan.folder, name);
    if (nameTakenByFolder(live, plan) || nameTakenByFolder(backup, plan)) return;
    bool hasLive = os::fileExists(live.table);
    bool hasBackup = os::fileExists(backup.table);
    TablePlan t{name, templateName, TableAction::Migrate};
    if (!hasBackup) {
        if (!hasLive) {
            if (!isNic)
                plan.blockers.push_back("no existe " + name + " ni su copia de seguridad _" + name);
            return;
        }
        if (sourceSound(setToMove(live, backup), plan)) plan.tables.push_back(t);
        return;
    }
    if (isNic && !plan.interrupted) {
        // No run stopped in this company, so the backup is not ours to use.
        if (hasLive)
            plan.blockers.push_back("hay " + name + " y una copia antigua _" + name +
                                    " sin una actualizaci\xF3n interrumpida: se dejan las dos");
        else
            plan.notes.push_back("_" + name + " sin " + name + ": no se toca");
        return;
    }
    if (!sourceSound(backup, plan)) return;
    if (hasLive && !tableIsHalfMade(live.table, readLayout(backup.table),
                                    readLayout(templateFolder + templateName), plan))
        return;
    t.action = TableAction::Resume;
    if (!isNic) plan.interrupted = true;
    plan.tables.push_back(t);
}

// Plans one table the record lists. The record says the backups are this
// migration's own, so they are used without guessing; what is checked is
// that they can still be read, and that a table beside a backup is not live
// data the record cannot account for (before the templates were put in
// place, nothing of the run's should stand under the table's name).
void planRecordedTable(const RecordedTable& t, const MigrationRecord& record,
                       const std::string& templateFolder, CompanyPlan& plan) {
    TableFiles live = tableFiles(plan.folder, t.name);
    TableFiles backup = backupFiles(plan.folder, t.name);
    if (nameTakenByFolder(live, plan) || nameTakenByFolder(backup, plan)) return;
    bool hasLive = os::fileExists(live.table);
    bool hasBackup = os::fileExists(backup.table);
    TablePlan p{t.name, t.templateName, TableAction::Erase};
    if (t.refilled) {
        plan.tables.push_back(p);
        return;
    }
    if (hasBackup) {
        if (!sourceSound(backup, plan)) return;
        if (hasLive && !record.templatesIn &&
            !tableIsHalfMade(live.table, readLayout(backup.table),
                             readLayout(templateFolder + t.templateName), plan))
            return;
        p.action = TableAction::Resume;
    } else if (record.moved) {
        plan.blockers.push_back("falta la copia _" + t.name +
                                " que hizo la actualizaci\xF3n anterior y " + t.name +
                                " a\xFAn no se hab\xED"
                                "a rellenado desde ella");
        return;
    } else if (!hasLive) {
        plan.blockers.push_back("no existe " + t.name + " ni su copia de seguridad _" + t.name);
        return;
    } else {
        if (!sourceSound(setToMove(live, backup), plan)) return;
        p.action = TableAction::Migrate;
    }
    plan.tables.push_back(p);
}

void planFromRecord(const MigrationRecord& record, const std::string& templateFolder,
                    const std::vector<std::string>& aFiles, CompanyPlan& plan) {
    plan.record = record;
    plan.interrupted = true;
    for (const std::string& name : aFiles)
        if (!record.find(name))
            plan.blockers.push_back(std::string("el registro ") + kRecordName + " no nombra " +
                                    name + ": se deja la empresa como est\xE1");
    if (!plan.proceeds()) return;
    for (const RecordedTable& t : record.tables) planRecordedTable(t, record, templateFolder, plan);
    if (record.find(kNicName)) return;
    // TDiaNic is not this migration's: whatever of it is there stays.
    if (!os::fileExists(backupFiles(plan.folder, kNicName).table)) return;
    if (os::fileExists(tableFiles(plan.folder, kNicName).table))
        plan.notes.push_back(std::string("hay ") + kNicName + " y una copia _" + kNicName +
                             " que no es de esta actualizaci\xF3n: se dejan las dos");
    else
        plan.notes.push_back(std::string("_") + kNicName + " sin " + kNicName + ": no se toca");
}

}  // namespace

std::vector<std::pair<std::string, std::string>> recordableTables(
    const std::vector<std::string>& aFiles) {
    std::vector<std::pair<std::string, std::string>> known;
    for (const std::string& name : aFiles) known.emplace_back(name, name);
    known.emplace_back(kNicName, kNicTemplate);
    return known;
}

TableLayout readLayout(const std::string& path) {
    return engine::readTableLayout(path);
}

bool sameFields(const TableLayout& a, const TableLayout& b) {
    return std::equal(a.fields.begin(), a.fields.end(), b.fields.begin(), b.fields.end(),
                      [](const engine::FieldDesc& x, const engine::FieldDesc& y) {
                          return x.name == y.name && x.type == y.type && x.length == y.length &&
                                 x.decimals == y.decimals;
                      });
}

std::optional<TemplateFault> findTemplateFault(const std::string& templateFolder,
                                               const std::vector<std::string>& aFiles) {
    std::vector<std::string> names = aFiles;
    names.push_back(kNicTemplate);
    for (const std::string& name : names) {
        TableLayout t = readLayout(templateFolder + name);
        if (!t.readable) return TemplateFault{name, t.why, t.osCode};
        if (std::string why = setHeadersProblem(tableFiles(templateFolder, name), true);
            !why.empty())
            return TemplateFault{name, why, 0};
        // Copies keep the read-only attribute, and a read-only table cannot be refilled.
        TableFiles set = tableFiles(templateFolder, name);
        for (const std::string* f : {&set.table, &set.memo, &set.index})
            if (os::fileExists(*f) && os::isReadOnly(*f))
                return TemplateFault{name,
                                     std::string(os::fileNameOf(*f)) +
                                         " es de solo lectura, y sus copias lo ser\xED"
                                         "an: no se podr\xED"
                                         "an rellenar",
                                     os::kErrAccessDenied};
    }
    return std::nullopt;
}

bool safeCompanyCode(std::string_view code) {
    if (code.empty() || code.back() == '.') return false;
    for (unsigned char c : code)
        if (c < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    return true;
}

CompanyPlan planCompany(const std::string& root, std::string_view code,
                        const std::string& templateFolder, const std::vector<std::string>& aFiles) {
    CompanyPlan plan;
    plan.folder = companyFolderOf(root, code);
    if (!safeCompanyCode(code)) {
        plan.blockers.push_back(
            "el c\xF3"
            "digo de empresa \"" +
            std::string(code) + "\" no da un nombre de carpeta v\xE1lido");
        return plan;
    }
    size_t longest = std::string(kNicName).size();
    for (const std::string& name : aFiles) longest = std::max(longest, name.size());
    size_t pathLength = plan.folder.size() + 1 + longest;  // the backup name: "_" + name
    if (pathLength > os::maxPathLength()) {
        plan.blockers.push_back("la ruta de la carpeta " + plan.folder + " es demasiado larga (" +
                                std::to_string(pathLength) +
                                " caracteres con sus ficheros; el m\xE1ximo es " +
                                std::to_string(os::maxPathLength()) + ")");
        return plan;
    }
    if (!os::folderExists(plan.folder)) {
        plan.blockers.push_back("no existe la carpeta " + plan.folder);
        return plan;
    }
    if (os::isReadOnly(plan.folder)) {
        plan.blockers.push_back("la carpeta " + plan.folder +
                                " es de solo lectura: no se pueden hacer las copias de seguridad");
        return plan;
    }
    RecordRead found = readRecord(plan.folder, recordableTables(aFiles));
    if (found.state == RecordRead::State::Unreadable) {
        plan.blockers.push_back(std::string("el registro de la actualizaci\xF3n anterior ") +
                                kRecordName + " " + found.why +
                                ": se deja la empresa como est\xE1");
    } else if (found.state == RecordRead::State::Read) {
        planFromRecord(found.record, templateFolder, aFiles, plan);
    } else {
        for (const std::string& name : aFiles) planTable(name, name, templateFolder, false, plan);
        planTable(kNicName, kNicTemplate, templateFolder, true, plan);
    }
    findCaseTwins(namesTouched(aFiles), plan);
    for (const TablePlan& t : plan.tables) {
        if (t.action == TableAction::Erase) continue;  // a backup it cannot erase is named after
        if (!setWritable(tableFiles(plan.folder, t.name), plan)) break;
        if (t.action == TableAction::Resume && !setWritable(backupFiles(plan.folder, t.name), plan))
            break;
    }
    if (!plan.proceeds()) plan.tables.clear();
    return plan;
}

}  // namespace updater
