// The record a company's migration keeps in the company folder while it
// works: which tables it moved to backups (or took over from a run that
// stopped before there were records), and which phases have ended. It is
// written and flushed before the first file moves, rewritten as each phase
// ends, and erased last, once every backup is gone. The next run follows it
// instead of guessing from which files exist: a backup it does not list is
// never read into a table nor erased, and a table it lists as refilled is
// never refilled again.
//
// The file is plain Windows-1252 text with CRLF line ends:
//
//   ACTUALIZACION DE EMPRESA 1
//   TABLA TDiaNew.Dbf TDiaNew.Dbf        (name, then the template it takes)
//   TABLA TempDia.Dbf TempDia.Dbf
//   COPIAS HECHAS                        (every listed table is under its backup names)
//   PLANTILLAS PUESTAS                   (the templates are in place)
//   DIARIOS MARCADOS                     (the linked journals were all marked)
//   RELLENADA TDiaNew.Dbf                (refilled, on disk, and checked against its backup)
//   FIN
//
// A file that does not follow this exactly (cut short, a line unknown, a
// table the migration does not have, a newer version) is unreadable: the
// company is then left as it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/status.h"

namespace updater {

// The record's file name in the company folder, and the name it is written
// under before it replaces the record.
inline constexpr const char* kRecordName = "_Actualiza.txt";
inline constexpr const char* kRecordScratchName = "_Actualiza.tmp";
// The version this program writes and reads.
inline constexpr int kRecordVersion = 1;

struct RecordedTable {
    std::string name;          // "TDiaNew.Dbf"
    std::string templateName;  // "TempDia.dbf" for TDiaNic
    bool refilled = false;     // refilled, on disk and checked: never refilled again
};

struct MigrationRecord {
    std::vector<RecordedTable> tables;  // in the order they are migrated
    bool moved = false;                 // the backup pass ended
    bool templatesIn = false;           // the template pass ended
    bool journalsMarked = false;        // every linked journal was marked

    // Every listed table is refilled: only the backups remain to be erased.
    bool allRefilled() const;
    RecordedTable* find(std::string_view name);
    const RecordedTable* find(std::string_view name) const;
};

// The record as the text above.
std::string formatRecord(const MigrationRecord& record);

// Reads `text`; `known` holds the {table, template} pairs a record may list
// (names compared without regard to case, and stored as `known` spells
// them). Empty on success, otherwise why the text is not a record this
// program can follow.
std::string parseRecord(std::string_view text,
                        const std::vector<std::pair<std::string, std::string>>& known,
                        MigrationRecord* record);

// What reading a company folder's record found.
struct RecordRead {
    enum class State { None, Read, Unreadable } state = State::None;
    MigrationRecord record;
    std::string why;      // for Unreadable
    uint32_t osCode = 0;  // the operating system's code when the file could not be read
};

// Reads the record in `folder` (shared, read only).
RecordRead readRecord(const std::string& folder,
                      const std::vector<std::pair<std::string, std::string>>& known);

// Writes the record durably: to its scratch name, flushed, then over the
// record in one step, and the folder's names flushed. On failure the record
// on disk is the previous one (or none), or the new one when only the
// folder's flush failed; never a mixture, and the scratch file is gone.
os::Status writeRecord(const std::string& folder, const MigrationRecord& record);

// Erases the record and flushes the folder's names. A record already gone is
// no failure.
os::Status eraseRecord(const std::string& folder);

}  // namespace updater
