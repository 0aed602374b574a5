// The refill of a company's fresh journal work tables from their backups:
// by field position with the rows marked by the rule, and TDiaNic by field
// name; each checked on disk after its close.
#pragma once

#include <string>

namespace updater {

class ErrorWatch;
struct TableReport;

// Refills `name` from its backup by field position, marking rows by the
// rule. True when every record was carried over and the table, its memo and
// its index are on disk: closed without a failure and holding in its header
// exactly the records written. `t` gets the counts; a failure is the run's
// error (or one `watch` saw).
bool refill(const std::string& name, TableReport& t, const ErrorWatch& watch);

// Rebuilds TDiaNic on the TempDia layout from its backup, by field name:
// true when its header on disk counts every visible record of the backup.
bool rebuildNic(TableReport& t, const ErrorWatch& watch);

}  // namespace updater
