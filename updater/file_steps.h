// The file step of the migration: the installation's paths, the file copy
// primitive, and the moves, copies and erasures of a company's table files
// together with their memo and index companions (COPIAEMP).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updater {

// The migration list: the journal work tables every company has.
const std::vector<std::string>& migrationList();

// The installation root: the first argument without its last four characters
// (nothing when it is shorter).
std::string installRoot(std::string_view cPath);
// root + "\DBF\".
std::string templateFolderOf(const std::string& root);
// root + "\DBF" + code with every blank as "0" + "\". The code is not trimmed.
std::string companyFolderOf(const std::string& root, std::string_view code);
// Copies cSource to cTarget with the platform's file copy, replacing cTarget.
// True on success.
bool KWCOPYFILE(const std::string& cSource, const std::string& cTarget);
// KWCOPYFILE, then one animation tick. Returns the copy's result.
bool COPIAFICH(const std::string& cSource, const std::string& cTarget);

// The file step for one company: the templates checked, the company's plan
// decided (company_plan.h), then the backup pass and the template pass over
// its tables, each a set of table, memo and index (table_files.h), with the
// file meter. A company the plan leaves alone, or whose backup pass is
// refused, keeps every file as it was: the moves already made go back.
// Sets the company folder and the plan in the run state. Returns true.
// Writes the company's migration record (the plan's) durably. A failure is
// the run's error: `beforeMoves` makes a refusal (a file in use, a read-only
// folder) leave the company as it was instead. True when written.
bool keepRecord(bool beforeMoves = false);

// Makes the names in the company folder durable after moves or erasures
// (os::flushFolder); a failure is the run's error. True when flushed.
bool flushNames(const std::string& folder);

bool COPIAEMP(const std::string& cRoot, std::string_view cCode,
              const std::vector<std::string>& aFiles);

}  // namespace updater
