// Record copies as field value lists (one value per field, in field order),
// field access by name or position, and saving/restoring an area's order
// and position.
#pragma once

#include <string_view>

#include "runtime/value.h"

namespace tables {

// ACAMPOSLEE(): the field value list of the current record of the current
// area (an empty list without a table).
runtime::Value ACAMPOSLEE();

// ACAMPOSGRABA(aValues): writes entry i into field i of the current record,
// for the entries that have a field at their position (extra entries are
// ignored; extra fields keep their values). A value whose type does not suit
// the field raises "Data type error". Returns true.
bool ACAMPOSGRABA(const runtime::Value& aValues);

// RECCOPY(cAlias): writes the current record of cAlias's area into the
// current record of the current area, by field position (record_copy.h:
// fields stored alike as bytes, the others as values). Returns true.
bool RECCOPY(std::string_view cAlias);

// ACAMPOSBLANK(): a list of blank values for the current area: spaces as
// long as the current value for text and memo fields, 0, false, the empty date.
runtime::Value ACAMPOSBLANK();

// AGETFIELD(xKey, nOrder, cAlias): the field value list of the record found
// under xKey in that order of the aliased area, or the blank list when not
// found. The area keeps its order and record.
runtime::Value AGETFIELD(const runtime::Value& key, int nOrder, std::string_view cAlias);

// UGETCAMPO(cName | nPos): the field's value in the current area (name with
// surrounding blanks ignored); nothing for any other argument.
runtime::Value UGETCAMPO(const runtime::Value& field);
// UPUTCAMPO(cName | nPos, xValue): writes the field of the current record;
// nothing for any other kind of first argument. Returns nothing.
void UPUTCAMPO(const runtime::Value& field, const runtime::Value& value);

// ASETSTATUS(cAlias): {record number, order number} of that area.
runtime::Value ASETSTATUS(std::string_view cAlias);
// GETSTATUS(cAlias, aStatus): puts that order and record back in that area.
void GETSTATUS(std::string_view cAlias, const runtime::Value& aStatus);

}  // namespace tables
