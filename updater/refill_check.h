// The check made before a backup is erased: the refilled table is read back
// from the disk and compared with its backup, record by record, on the
// fields they share. Every visible record of the backup must be there once,
// in the backup's order, with the same values (memo texts included), and
// nothing else; only L340 may have gone from false to true, since marking
// is the refill's own change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace updater {

// How the refill matched the fields of the two layouts.
enum class FieldMatch {
    ByPosition,  // the journal work tables: field i of the backup into field i
    ByName,      // TDiaNic: each field from the backup's field of the same name
};

struct RefillComparison {
    bool same = false;
    std::string why;       // the first difference, or why a table could not be read
    uint32_t osCode = 0;   // the operating system's code when a file could not be read
    uint32_t records = 0;  // records compared
};

// Compares the table file `table` with the backup file `backup` (both closed,
// read here through the engine, read only). `progress` is called every few
// hundred records with the backup's records walked and its total.
RefillComparison compareWithBackup(
    const std::string& backup, const std::string& table, FieldMatch match,
    const std::function<void(uint32_t done, uint32_t total)>& progress = {});

}  // namespace updater
