// The marking rule's rows over a work area and over block copies, and the mark.
#include "updater/l340_marker.h"

#include <cstring>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "runtime/codepage.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"
#include "updater/l340_rule.h"

namespace updater {
namespace {

using runtime::Value;

// The current record of the current area as the rule reads it: text and
// number fields straight from the record's stored bytes when the driver
// keeps them, any other field (and a NULL) as its value. A field the table
// lacks is read by name, which raises the runtime's error for it.
class AreaRow : public L340Row {
public:
    AreaRow(int l340, const int* pos, const char* types)
        : area_(tables::currentTable()), l340_(l340), pos_(pos), types_(types) {}
    bool hasL340() override { return l340_ != 0; }
    std::string_view contra() override {
        std::string_view b;
        return stored(0, "C", &b) ? b : std::string_view(text_ = get(0, "CONTRA").textOr());
    }
    bool facturaZero() override { return zero(1, "FACTURA"); }
    bool nfactickZero() override { return zero(2, "NFACTICK"); }
    bool documentoEmpty() override {
        std::string_view b;
        if (stored(3, "C", &b)) return runtime::emptyText(b);
        if (stored(3, "NF", &b)) return engine::storedNumberIsZero(b);
        return runtime::EMPTY(get(3, "DOCUMENTO"));
    }
    std::string_view serie() override {
        std::string_view b;
        return stored(4, "C", &b) ? b : std::string_view(text_ = get(4, "SERIE").textOr());
    }

private:
    bool stored(int i, const char* types, std::string_view* bytes) const {
        return pos_[i] && area_ && types_[i] != 0 && std::strchr(types, types_[i]) &&
               area_->storedBytes(pos_[i], bytes);
    }
    bool zero(int i, const char* name) const {
        std::string_view b;
        return stored(i, "NF", &b) ? engine::storedNumberIsZero(b) : get(i, name).numOr() == 0;
    }
    Value get(int i, const char* name) const {
        return pos_[i] ? tables::FIELDGET(pos_[i]) : tables::fieldValue(name);
    }
    tables::AreaDriver* area_;
    int l340_;
    const int* pos_;
    const char* types_;  // type letter of each field read, 0 when absent
    std::string text_;   // a text read as a value
};

// A record a block copy has just made, as the rule reads it: every field
// from its stored bytes, which L340Marker::readsStored() vouches for. A
// NULL reads as a blank text, a zero or an empty value, as its value would.
// The rule reads it through l340HoldsFor, without virtual calls.
class BlockL340Row {
public:
    BlockL340Row(tables::BlockRow& row, int l340, const int* pos, const char* types)
        : row_(row), l340_(l340), pos_(pos), types_(types) {}
    bool hasL340() const { return l340_ != 0; }
    std::string_view contra() const { return bytes(0); }
    bool facturaZero() const { return zero(1); }
    bool nfactickZero() const { return zero(2); }
    bool documentoEmpty() const {
        std::string_view b = bytes(3);
        if (b.empty()) return true;
        return types_[3] == 'C' ? runtime::emptyText(b) : engine::storedNumberIsZero(b);
    }
    std::string_view serie() const { return bytes(4); }

private:
    std::string_view bytes(int i) const {
        std::string_view b;
        return row_.storedBytes(pos_[i], &b) ? b : std::string_view();
    }
    bool zero(int i) const {
        std::string_view b = bytes(i);
        return b.empty() || engine::storedNumberIsZero(b);
    }
    tables::BlockRow& row_;
    int l340_;
    const int* pos_;
    const char* types_;
};

}  // namespace

L340Marker::L340Marker()
    : l340_(tables::FIELDPOS("l340")),
      contra_(tables::FIELDPOS("CONTRA")),
      factura_(tables::FIELDPOS("FACTURA")),
      nfactick_(tables::FIELDPOS("NFACTICK")),
      documento_(tables::FIELDPOS("DOCUMENTO")),
      serie_(tables::FIELDPOS("SERIE")) {
    const int pos[] = {contra_, factura_, nfactick_, documento_, serie_};
    const tables::AreaDriver* area = tables::currentTable();
    auto typeOf = [area](int p) {
        return area && p > 0 && p <= static_cast<int>(area->fields().size())
                   ? area->fields()[static_cast<size_t>(p - 1)].type
                   : '\0';
    };
    for (size_t i = 0; i < 5; ++i) types_[i] = typeOf(pos[i]);
    l340Type_ = typeOf(l340_);
}

bool L340Marker::readsStored() const {
    if (l340_ == 0) return true;  // the rule stops there
    auto is = [](char type, const char* types) { return type != 0 && std::strchr(types, type); };
    return l340Type_ == 'L' && is(types_[0], "C") && is(types_[1], "NF") && is(types_[2], "NF") &&
           is(types_[3], "CNF") && is(types_[4], "C");
}

bool L340Marker::apply(tables::BlockRow& copied) {
    const int pos[] = {contra_, factura_, nfactick_, documento_, serie_};
    BlockL340Row row(copied, l340_, pos, types_);
    if (!l340HoldsFor(row)) return false;
    copied.setLogical(l340_, true);
    return true;
}

bool L340Marker::apply() {
    const int pos[] = {contra_, factura_, nfactick_, documento_, serie_};
    AreaRow row(l340_, pos, types_);
    if (!L340Holds(row)) return false;
    tables::FIELDPUT(l340_, Value(true));
    return true;
}

}  // namespace updater
