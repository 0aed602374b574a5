// The rule that decides which journal rows get their L340 mark: a row with a
// counterpart account that is not a year-end regularisation, an invoice or
// ticket number, a document and a series among A, B, C, R, Z.
#pragma once

#include <string>
#include <string_view>

#include "runtime/codepage.h"

namespace updater {

// The fields of one journal row as the rule reads them. The rule asks for a
// field only when every earlier condition held, so an implementation may read
// lazily (a table without L340 never has its other fields read).
class L340Row {
public:
    virtual ~L340Row() = default;
    virtual bool hasL340() = 0;  // the table has a field named "l340"
    // CONTRA, as stored (trailing blanks kept); valid until the next call.
    virtual std::string_view contra() = 0;
    virtual bool facturaZero() = 0;        // FACTURA == 0
    virtual bool nfactickZero() = 0;       // NFACTICK == 0, read only when FACTURA is 0
    virtual bool documentoEmpty() = 0;     // EMPTY(DOCUMENTO), whatever its type
    virtual std::string_view serie() = 0;  // SERIE, as stored; valid until the next call
};

// True when all six conditions hold for `row`, tested left to right and
// stopping at the first that fails. The template serves a row type known
// where it is called (a block copy's, record after record) without a
// virtual call per field.
template <class Row>
bool l340HoldsFor(Row& row);
bool L340Holds(L340Row& row);

// ALLTRIM(contra) != "REGULARIZACI" with exact comparison off: false exactly
// when the trimmed text begins with those twelve capital letters.
bool notRegularizacion(std::string_view contra);
// With exact comparison off the left operand only has to begin with the
// right one to compare equal; letters compare with their case, so
// "Regularizacion" is a different text. Trailing blanks cannot change
// whether the trimmed text begins with those letters: only the leading ones
// are skipped.
inline bool beginsRegularizacion(std::string_view trimmedStart) {
    return trimmedStart.starts_with("REGULARIZACI");
}
// RAT(ALLTRIM(serie), "ABCRZ") != 0.
bool serieQualifies(std::string_view serie);

template <class Row>
bool l340HoldsFor(Row& row) {
    if (!row.hasL340()) return false;
    // One scan for both tests: a blank CONTRA has nothing left once its
    // leading blanks are skipped.
    std::string_view contra = runtime::trimLeadingWhite(row.contra());
    if (contra.empty() || beginsRegularizacion(contra)) return false;
    if (row.facturaZero() && row.nfactickZero()) return false;
    if (row.documentoEmpty()) return false;
    return serieQualifies(row.serie());
}

}  // namespace updater
