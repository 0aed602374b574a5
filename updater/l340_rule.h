// The rule that decides which journal rows get their L340 mark: a row with a
// counterpart account that is not a year-end regularisation, an invoice or
// ticket number, a document and a series among A, B, C, R, Z.
#pragma once

#include <string>
#include <string_view>

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
    virtual double factura() = 0;          // FACTURA
    virtual double nfactick() = 0;         // NFACTICK, read only when FACTURA is 0
    virtual bool documentoEmpty() = 0;     // EMPTY(DOCUMENTO), whatever its type
    virtual std::string_view serie() = 0;  // SERIE, as stored; valid until the next call
};

// True when all six conditions hold for `row`, tested left to right and
// stopping at the first that fails.
bool L340Holds(L340Row& row);

// ALLTRIM(contra) != "REGULARIZACI" with exact comparison off: false exactly
// when the trimmed text begins with those twelve capital letters.
bool notRegularizacion(std::string_view contra);
// RAT(ALLTRIM(serie), "ABCRZ") != 0.
bool serieQualifies(std::string_view serie);

}  // namespace updater
