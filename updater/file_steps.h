// The file step of the migration: the file copy primitive, and the moves,
// copies and erasures of a company's table files together with their memo
// and index companions (COPIAEMP), in the folders of installation_paths.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "updater/installation_paths.h"

namespace updater {

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
