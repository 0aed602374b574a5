// The marking rule (l340_rule.h) over the records of a table: the rows it
// reads from the current record of a work area or from a record a block copy
// has just made, and the L340 mark it sets on those that qualify.
#pragma once

namespace tables {
class BlockRow;
}

namespace updater {

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
