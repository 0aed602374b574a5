// Process-wide state behind the public API (open tables by handle, the last
// error, settings) and the helpers every API file uses. Internal.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/table.h"

namespace engine {

inline constexpr size_t kMaxErrorText = 600;

struct State {
    std::vector<std::unique_ptr<Table>> tables;  // handle h at tables[h-1]
    Result lastCode = kOk;
    std::string lastText;
    std::string dateFormat = "MM/DD/YY";
    int epoch = 1900;
    std::string searchPath;
    std::string defaultFolder;
};

extern State gState;  // defined in engine.cpp
inline State& state() {
    return gState;
}

// Every call starts here: the last error describes the latest call only.
inline void begin() {
    state().lastCode = kOk;
}

inline Result setError(Result code, std::string text) {
    if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
    state().lastCode = code;
    state().lastText = std::move(text);
    return code;
}

inline Result report(Result r, Table* t) {
    if (r != kOk) setError(r, t->errorText());
    return r;
}

inline Table* findTable(Handle h) {
    auto& v = state().tables;
    if (h == 0 || h > v.size()) return nullptr;
    return v[h - 1].get();
}

#define TABLE_OR_FAIL(h, t)  \
    begin();                 \
    Table* t = findTable(h); \
    if (!t) return setError(kInvalidHandle, "invalid table handle " + std::to_string(h))

inline Result badField(int field) {
    return setError(kFieldNotFound, "no field number " + std::to_string(field));
}

inline bool fieldOk(Table* t, int field) {
    return field >= 1 && field <= t->fieldCount();
}

}  // namespace engine
