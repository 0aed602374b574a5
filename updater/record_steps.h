// The record step of the migration (TABLAS): marking the linked accounting
// journals (journal_marking.h), refilling the fresh journal work tables from
// their backups and rebuilding TDiaNic by field name (refill.h), reading each
// back against its backup, and erasing the backups that were fully carried
// over.
#pragma once

#include <string>
#include <vector>

namespace updater {

// The record step for the company whose folder COPIAEMP has just set. A
// backup is erased only when its table was refilled to the end in this call
// with no runtime error raised meanwhile; otherwise it stays for the next
// run, which resumes from it. Returns true.
bool TABLAS(const std::vector<std::string>& aFiles);

}  // namespace updater
