// Field value lists (read, write, blank, copy, fetch by key), field access
// by name or position, and saving/restoring an area's order and record.
#include "tables/fieldlist.h"

#include "runtime/codepage.h"
#include "runtime/frames.h"
#include "runtime/strings.h"
#include "tables/dbcmd.h"
#include "tables/record_copy.h"
#include "tables/workarea.h"

namespace tables {

namespace {

// The blank value of a field, shaped after its current value (a NULL field
// reads as nothing: text fields then get blanks as wide as the field).
runtime::Value blankLike(const FieldInfo& f, const runtime::Value& current) {
    switch (f.type) {
        case 'L':
            return runtime::Value(false);
        case 'D':
            return runtime::Value(runtime::Date{});
        case 'T':
            return runtime::Value(runtime::DateTime{});
        case 'N':
        case 'F':
        case 'I':
        case 'B':
        case 'Y':
            return runtime::Value(0);
        default:
            break;
    }
    if (current.isText())
        return runtime::Value(runtime::SPACE(static_cast<int>(current.text().size())));
    bool memo = f.type == 'M' || f.type == 'G' || f.type == 'P' || f.type == 'W';
    return runtime::Value(runtime::SPACE(memo ? 0 : f.length));
}

}  // namespace

runtime::Value ACAMPOSLEE() {
    runtime::Frame frame("ACAMPOSLEE");
    runtime::Value list = runtime::Value::newArray();
    for (int i = 1, n = FCOUNT(); i <= n; ++i) list.array()->push_back(FIELDGET(i));
    return list;
}

bool ACAMPOSGRABA(const runtime::Value& aValues) {
    runtime::Frame frame("ACAMPOSGRABA");
    frame.param("aValues", aValues);
    if (!aValues.isArray()) return true;
    const runtime::Array& values = *aValues.array();
    for (size_t i = 0; i < values.size(); ++i) FIELDPUT(static_cast<int>(i) + 1, values[i]);
    return true;
}

bool RECCOPY(std::string_view cAlias) {
    runtime::Frame frame("RECCOPY");
    frame.param("cAlias", cAlias);
    PositionCopy copy(cAlias);
    frame.here();
    copy.copy();
    return true;
}

runtime::Value ACAMPOSBLANK() {
    runtime::Value list = runtime::Value::newArray();
    AreaDriver* t = currentTable();
    if (!t) return list;
    for (int i = 1, n = FCOUNT(); i <= n; ++i)
        list.array()->push_back(blankLike(t->fields()[i - 1], FIELDGET(i)));
    return list;
}

runtime::Value AGETFIELD(const runtime::Value& key, int nOrder, std::string_view cAlias) {
    runtime::Frame frame("AGETFIELD");
    frame.param("xKey", key).param("nOrder", nOrder).param("cAlias", cAlias);
    return inAlias(cAlias, [&] {
        uint32_t record = RECNO();
        int order = INDEXORD();
        runtime::Value list = ACAMPOSBLANK();
        DBSETORDER(nOrder);
        if (DBSEEK(key)) list = ACAMPOSLEE();
        DBSETORDER(order);
        DBGOTO(record);
        return list;
    });
}

runtime::Value UGETCAMPO(const runtime::Value& field) {
    if (field.isText()) return FIELDGET(FIELDPOS(runtime::ALLTRIM(field.text())));
    if (field.isNumber()) return FIELDGET(static_cast<int>(field.num()));
    return {};
}

void UPUTCAMPO(const runtime::Value& field, const runtime::Value& value) {
    runtime::Frame frame("UPUTCAMPO");
    frame.param("xField", field).param("xValue", value);
    if (field.isText())
        FIELDPUT(FIELDPOS(runtime::ALLTRIM(field.text())), value);
    else if (field.isNumber())
        FIELDPUT(static_cast<int>(field.num()), value);
}

runtime::Value ASETSTATUS(std::string_view cAlias) {
    return inAlias(cAlias, [] {
        return runtime::Value::newArray(
            runtime::Array{runtime::Value(RECNO()), runtime::Value(INDEXORD())});
    });
}

void GETSTATUS(std::string_view cAlias, const runtime::Value& aStatus) {
    if (!aStatus.isArray() || aStatus.array()->size() < 2) return;
    const runtime::Array& status = *aStatus.array();
    inAlias(cAlias, [&] {
        DBSETORDER(status[1]);
        DBGOTO(static_cast<uint32_t>(status[0].numOr(0)));
    });
}

}  // namespace tables
