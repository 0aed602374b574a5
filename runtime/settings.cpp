// The process-wide settings table, its defaults and its change hooks.
#include "runtime/settings.h"

#include <array>
#include <string>
#include <vector>

#include "runtime/codepage.h"

namespace runtime {
namespace {

enum class Kind { kLogical, kNumber, kText };

struct SettingDef {
    std::string_view name;
    Kind kind;
    Value initial;
};

// Indexed by setting number - 1.
const std::array<SettingDef, kLastSetting>& definitions() {
    static const std::array<SettingDef, kLastSetting> defs = {{
        {"EXACT", Kind::kLogical, false},
        {"FIXED", Kind::kLogical, false},
        {"DECIMALS", Kind::kNumber, 2},
        {"DATEFORMAT", Kind::kText, "mm/dd/yy"},
        {"EPOCH", Kind::kNumber, 1900},
        {"PATH", Kind::kText, ""},
        {"DEFAULT", Kind::kText, ""},
        {"EXCLUSIVE", Kind::kLogical, true},
        {"SOFTSEEK", Kind::kLogical, false},
        {"UNIQUE", Kind::kLogical, false},
        {"DELETED", Kind::kLogical, false},
        {"CANCEL", Kind::kLogical, true},
        {"DEBUG", Kind::kNumber, 0},
        {"TYPEAHEAD", Kind::kNumber, 50},
        {"COLOR", Kind::kText, "W/N,N/W,N/N,N/N,N/W"},
        {"CURSOR", Kind::kNumber, 1},
        {"CONSOLE", Kind::kLogical, true},
        {"ALTERNATE", Kind::kLogical, false},
        {"ALTFILE", Kind::kText, ""},
        {"DEVICE", Kind::kText, "SCREEN"},
        {"EXTRA", Kind::kLogical, false},
        {"EXTRAFILE", Kind::kText, ""},
        {"PRINTER", Kind::kLogical, false},
        {"PRINTFILE", Kind::kText, ""},
        {"MARGIN", Kind::kNumber, 0},
        {"BELL", Kind::kLogical, false},
        {"CONFIRM", Kind::kLogical, false},
        {"ESCAPE", Kind::kLogical, true},
        {"INSERT", Kind::kLogical, false},
        {"EXIT", Kind::kLogical, false},
        {"INTENSITY", Kind::kLogical, true},
        {"SCOREBOARD", Kind::kLogical, true},
        {"DELIMITERS", Kind::kLogical, false},
        {"DELIMCHARS", Kind::kText, "::"},
        {"WRAP", Kind::kLogical, false},
        {"MESSAGE", Kind::kNumber, 0},
        {"MCENTER", Kind::kLogical, false},
        {"SCROLLBREAK", Kind::kLogical, true},
    }};
    return defs;
}

struct HookEntry {
    int id;
    SettingHook hook;
};

struct SettingsState {
    std::array<Value, kLastSetting> values;
    bool century = false;
    std::vector<HookEntry> hooks;
    int nextHookId = 1;

    SettingsState() { reset(); }
    void reset() {
        for (int i = 0; i < kLastSetting; ++i) values[i] = definitions()[i].initial;
        century = false;
    }
};

SettingsState& state() {
    static SettingsState s;
    return s;
}

int index(Set id) {
    return static_cast<int>(id) - 1;
}

// Converts a value given to SET into the setting's kind; nothing when it
// does not fit.
std::optional<Value> coerce(Kind kind, const Value& v) {
    switch (kind) {
        case Kind::kLogical:
            if (v.isLogical()) return v;
            if (v.isText()) {
                std::string t = UPPER(ALLTRIM(v.text()));
                if (t == "ON") return Value(true);
                if (t == "OFF") return Value(false);
            }
            return std::nullopt;
        case Kind::kNumber:
            if (v.isNumber()) return v;
            return std::nullopt;
        case Kind::kText:
            if (v.isText()) return Value(v.text());
            return std::nullopt;
    }
    return std::nullopt;
}

void callHooks(Set id, const Value& v) {
    // Copy first: a hook may add or remove hooks.
    std::vector<HookEntry> hooks = state().hooks;
    for (const auto& h : hooks) h.hook(id, v);
}

// Replaces the year part of a date format: four-digit years when century
// is on, two-digit otherwise.
std::string withCentury(std::string_view format, bool century) {
    std::string out;
    size_t i = 0;
    while (i < format.size()) {
        char c = format[i];
        if (c == 'y' || c == 'Y') {
            size_t j = i;
            while (j < format.size() && (format[j] == 'y' || format[j] == 'Y')) ++j;
            out.append(century ? 4 : 2, c);
            i = j;
        } else {
            out.push_back(c);
            ++i;
        }
    }
    return out;
}

// The century a date format implies: on when it has four year letters.
std::optional<bool> centuryOf(std::string_view format) {
    std::string up = UPPER(format);
    if (up.find("YYYY") != std::string::npos) return true;
    if (up.find("YY") != std::string::npos) return false;
    return std::nullopt;
}

}  // namespace

std::string_view settingName(Set id) {
    return definitions()[index(id)].name;
}

std::optional<Set> settingByNumber(int number) {
    if (number < kFirstSetting || number > kLastSetting) return std::nullopt;
    return static_cast<Set>(number);
}

std::optional<Set> settingByName(std::string_view name) {
    std::string up = UPPER(ALLTRIM(name));
    if (up == "DATE") return Set::DateFormat;
    for (int i = 0; i < kLastSetting; ++i) {
        if (definitions()[i].name == up) return static_cast<Set>(i + 1);
    }
    return std::nullopt;
}

Value SET(Set id, std::optional<Value> newValue) {
    Value& slot = state().values[index(id)];
    Value old = slot;
    if (!newValue) return old;
    std::optional<Value> v = coerce(definitions()[index(id)].kind, *newValue);
    if (!v) return old;
    slot = *v;
    if (id == Set::DateFormat) {
        if (auto c = centuryOf(slot.text())) state().century = *c;
    }
    callHooks(id, slot);
    return old;
}

Value SET(int number, std::optional<Value> newValue) {
    auto id = settingByNumber(number);
    if (!id) return {};
    return SET(*id, std::move(newValue));
}

bool SETCENTURY(std::optional<bool> on) {
    bool old = state().century;
    if (!on) return old;
    state().century = *on;
    Value& fmt = state().values[index(Set::DateFormat)];
    fmt = Value(withCentury(fmt.text(), *on));
    callHooks(Set::DateFormat, fmt);
    return old;
}

bool isExact() {
    return state().values[index(Set::Exact)].logical();
}
bool isSoftSeek() {
    return state().values[index(Set::SoftSeek)].logical();
}
bool isUnique() {
    return state().values[index(Set::Unique)].logical();
}
bool isDeleted() {
    return state().values[index(Set::Deleted)].logical();
}
bool isExclusive() {
    return state().values[index(Set::Exclusive)].logical();
}
bool isCentury() {
    return state().century;
}
// A number setting as an int within [lo, hi]: a stored value out of range
// must not turn into undefined behaviour when converted.
int clampedNumber(Set id, int lo, int hi) {
    const double v = state().values[index(id)].num();
    if (!(v >= lo)) return lo;
    if (v > hi) return hi;
    return static_cast<int>(v);
}
int decimalsSetting() {
    return clampedNumber(Set::Decimals, 0, 15);
}
int epochYear() {
    return clampedNumber(Set::Epoch, 100, 9900);
}
std::string dateFormat() {
    return state().values[index(Set::DateFormat)].text();
}
std::string defaultFolder() {
    return state().values[index(Set::Default)].text();
}
std::string searchPath() {
    return state().values[index(Set::Path)].text();
}

int addSettingHook(SettingHook hook) {
    int id = state().nextHookId++;
    state().hooks.push_back({id, std::move(hook)});
    return id;
}

void removeSettingHook(int hookId) {
    auto& hooks = state().hooks;
    std::erase_if(hooks, [hookId](const HookEntry& h) { return h.id == hookId; });
}

void resetSettings() {
    state().reset();
}

}  // namespace runtime
