// The record step of the migration (TABLAS): marking the linked accounting
// journals, refilling the fresh journal work tables from their backups,
// rebuilding TDiaNic by field name, and erasing the backups that were fully
// carried over.
#pragma once

#include <string>
#include <vector>

namespace tables {
class BlockRow;
}

namespace updater {

// The record step for the company whose folder COPIAEMP has just set. A
// backup is erased only when its table was refilled to the end in this call
// with no runtime error raised meanwhile; otherwise it stays for the next
// run, which resumes from it. Returns true.
bool TABLAS(const std::vector<std::string>& aFiles);

// Sets L340 on every visible row of the current area that satisfies the
// rule; returns how many rows qualified.
long markPass();

// Applies the rule to the current record of the current area and sets its
// L340 when it holds. Field positions are looked up once per table.
class L340Marker {
public:
    L340Marker();  // for the table in the current area
    bool apply();  // true when the row qualified (and was marked)
    // Whether the rule can read every field it needs from stored bytes, so
    // that apply(BlockRow&) decides as apply() would.
    bool readsStored() const;
    // The rule over a record a block copy has just made, in this table's
    // layout; marks it when it qualifies.
    bool apply(tables::BlockRow& row);

private:
    int l340_, contra_, factura_, nfactick_, documento_, serie_;
    char types_[6] = {};  // type letters of CONTRA ... SERIE (0: no such field)
    char l340Type_ = 0;
};

}  // namespace updater
