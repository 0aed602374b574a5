// What the migration will do with one company, decided before any of its
// files moves, by reading headers only: which tables are migrated afresh,
// which are resumed from the backups an interrupted run left, and what makes
// the company be left exactly as it is (an unsafe code, a path too long, a
// backup name taken, live data beside an old backup, a table in use, damaged
// or holding records past its header's count).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dbf_layout.h"
#include "updater/migration_record.h"

namespace updater {

// What one DBF header says, read without opening the table.
using TableLayout = engine::DbfLayout;

// Reads the header of the table file `path` (shared, read only).
TableLayout readLayout(const std::string& path);

// True when both layouts have the same fields: names, types, lengths, decimals.
bool sameFields(const TableLayout& a, const TableLayout& b);

enum class TableAction {
    Migrate,  // the table moves to its backup and is rebuilt from it
    Resume,   // its backup is already there: the table is rebuilt from it
    Erase,    // an earlier run refilled it: only its backup is left to erase
};

struct TablePlan {
    std::string name;          // "TDiaNew.Dbf"
    std::string templateName;  // the template it takes ("TempDia.dbf" for TDiaNic)
    TableAction action = TableAction::Migrate;
};

struct CompanyPlan {
    std::string folder;
    std::vector<TablePlan> tables;  // the migration list's tables, then TDiaNic when rebuilt
    bool interrupted = false;       // an earlier run stopped in this company
    // The migration record the run follows: the one an earlier run left in
    // the folder, or none yet (the run writes one before the first move).
    std::optional<MigrationRecord> record;
    // Why the company is left exactly as it is; empty when it goes ahead.
    std::vector<std::string> blockers;
    // What is left alone without stopping the company.
    std::vector<std::string> notes;

    bool proceeds() const { return blockers.empty(); }
};

// The name of the optional third table and the template it takes.
inline constexpr const char* kNicName = "TDiaNic.dbf";
inline constexpr const char* kNicTemplate = "TempDia.dbf";

// A template every company takes that cannot be read as a table.
struct TemplateFault {
    std::string name;     // "TempDia.Dbf"
    std::string why;      // what reading its header said
    uint32_t osCode = 0;  // the operating system's code, 0 for a damaged header
};

// The templates of the migration list and TDiaNic's, in that order: the
// first that cannot be read, or nothing when all can. Reads only.
std::optional<TemplateFault> findTemplateFault(const std::string& templateFolder,
                                               const std::vector<std::string>& aFiles);

// The {table, template} pairs a company's migration record may list: the
// migration list's tables with themselves, and TDiaNic with its template.
std::vector<std::pair<std::string, std::string>> recordableTables(
    const std::vector<std::string>& aFiles);

// True when a company code gives a plain folder name: no path separators,
// drive colons, wildcard or control characters, no trailing dot.
bool safeCompanyCode(std::string_view code);

// Decides what happens to the company `code` of the installation `root`.
// Where an earlier run left its migration record, the plan follows it: the
// tables it lists are resumed from their backups, or only have their
// backups erased when it says they were refilled; a backup it does not list
// is left alone. A record that cannot be read leaves the company as it is.
// Without a record the plan is decided from the files there. Reads only. A missing template is not
// decided here: it is the run's error.
CompanyPlan planCompany(const std::string& root, std::string_view code,
                        const std::string& templateFolder, const std::vector<std::string>& aFiles);

}  // namespace updater
