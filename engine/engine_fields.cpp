// The handle API's field reads and writes on the current record, over the
// calls of table_access.h.
#include <algorithm>

#include "engine/dbf_field.h"
#include "engine/engine.h"
#include "engine/engine_state.h"
#include "engine/table_access.h"

namespace engine {

Status getString(Handle h, int field, std::string* value) {
    return onTable(h, [&](Table& t) { return engine::getString(t, field, value); });
}

Status getDouble(Handle h, int field, double* value) {
    return onTable(h, [&](Table& t) { return engine::getDouble(t, field, value); });
}

Status getLogical(Handle h, int field, bool* value) {
    return onTable(h, [&](Table& t) { return engine::getLogical(t, field, value); });
}

Status getDate(Handle h, int field, std::string* yyyymmdd) {
    return onTable(h, [&](Table& t) { return engine::getDate(t, field, yyyymmdd); });
}

Status getMemoLength(Handle h, int field, uint32_t* length) {
    return onTable(h, [&](Table& t) { return engine::getMemoLength(t, field, length); });
}

Status getMemo(Handle h, int field, std::string* value) {
    return onTable(h, [&](Table& t) { return engine::getMemo(t, field, value); });
}

Status isNull(Handle h, int field, bool* null) {
    return onTable(h, [&](Table& t) { return engine::isNull(t, field, null); });
}

Status getStored(Handle h, int field, std::string_view* bytes, bool* null) {
    return onTable(h, [&](Table& t) { return engine::getStored(t, field, bytes, null); });
}

Status getDateTime(Handle h, int field, int32_t* julianDay, int32_t* millis) {
    return onTable(h, [&](Table& t) { return engine::getDateTime(t, field, julianDay, millis); });
}

Status setString(Handle h, int field, std::string_view value) {
    return onTable(h, [&](Table& t) { return engine::setString(t, field, value); });
}

Status setDouble(Handle h, int field, double value) {
    return onTable(h, [&](Table& t) { return engine::setDouble(t, field, value); });
}

Status setLogical(Handle h, int field, bool value) {
    return onTable(h, [&](Table& t) { return engine::setLogical(t, field, value); });
}

Status setDate(Handle h, int field, std::string_view yyyymmdd) {
    return onTable(h, [&](Table& t) { return engine::setDate(t, field, yyyymmdd); });
}

Status setJulian(Handle h, int field, int32_t julianDay) {
    return onTable(h, [&](Table& t) { return engine::setJulian(t, field, julianDay); });
}

Status setDateTime(Handle h, int field, int32_t julianDay, int32_t millis) {
    return onTable(h, [&](Table& t) { return engine::setDateTime(t, field, julianDay, millis); });
}

// As readNumber() reads an N field of these bytes, without making one.
double storedNumber(std::string_view bytes) {
    double v = 0;
    return parseNumberText(bytes.substr(0, 0xFFFF), &v) ? v : 0.0;
}

bool storedNumberIsZero(std::string_view bytes) {
    const char* s = bytes.data();
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n && s[i] == ' ') ++i;
    if (i < n && (s[i] == '-' || s[i] == '+')) ++i;
    int digits = 0;
    bool dot = false, nonZero = false;
    for (; i < n; ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            nonZero |= c != '0';
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    while (i < n && s[i] == ' ') ++i;
    // Blanks, signs and dots around at most 15 digits read as those digits
    // say; anything else (stars, an exponent, more digits that could round
    // to nothing) as storedNumber reads it.
    if (digits > 0 && digits <= 15 && i == n) return !nonZero;
    return storedNumber(bytes) == 0;
}

namespace {

std::vector<std::pair<int, int>> pairsOf(const std::vector<FieldPair>& pairs) {
    std::vector<std::pair<int, int>> list;
    list.reserve(pairs.size());
    for (const FieldPair& p : pairs) list.emplace_back(p.to, p.from);
    return list;
}

}  // namespace

Status copyFields(Handle to, Handle from, const std::vector<FieldPair>& pairs) {
    TABLE_OR_FAIL(to, t);
    Table* f = findTable(from);
    if (!f) return setError(kInvalidHandle, "invalid table handle " + std::to_string(from));
    return report(t->copyFields(*f, pairsOf(pairs)));
}

Status appendCopies(Handle to, Handle from, const std::vector<FieldPair>& pairs, uint32_t limit,
                    const BlockVisit& visit, uint32_t* copied) {
    *copied = 0;
    TABLE_OR_FAIL(to, t);
    Table* f = findTable(from);
    if (!f) return setError(kInvalidHandle, "invalid table handle " + std::to_string(from));
    return report(t->appendCopies(*f, pairsOf(pairs), limit, visit, copied));
}

Status visitRecords(Handle table, uint32_t limit, const BlockVisit& visit, uint32_t* visited) {
    *visited = 0;
    TABLE_OR_FAIL(table, t);
    return report(t->visitRecords(limit, visit, visited));
}

}  // namespace engine
