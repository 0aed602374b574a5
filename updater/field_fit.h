// Whether the values of a field of a table's old layout go whole into the
// field that takes them in the new layout: the refill asks it for every
// position, and the check of an installation asks the same before a run.
#pragma once

#include "runtime/value.h"
#include "tables/rdd.h"

namespace updater {

enum class FieldFit {
    Whole,     // every value of `from` fits `to`
    PerValue,  // only some may: each value must be looked at (valueFits)
    Never,     // another kind of value (text, number, logical, date): no value fits
};

// How the values of the field `from` go into the field `to`.
FieldFit fieldFit(const tables::FieldInfo& from, const tables::FieldInfo& to);

// True when `value` goes into the field `to` whole: a text without cutting
// anything but trailing blanks, a number without losing digits or decimals,
// a date and time without losing the time. Nothing (a NULL) fits anywhere.
bool valueFits(const runtime::Value& value, const tables::FieldInfo& to);

// "NAME C(10)", "NAME N(12,2)": a field as people read it.
std::string fieldText(const tables::FieldInfo& field);

}  // namespace updater
