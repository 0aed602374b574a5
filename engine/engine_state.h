// Process-wide state behind the handle API (open tables by handle, the last
// error) and the helpers every API file uses. Internal.
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
    Status last;                                 // the latest call's outcome
};

extern State gState;  // defined in engine.cpp
inline State& state() {
    return gState;
}

// Every call starts here: the last error describes the latest call only.
inline void begin() {
    state().last = Status();
}

// Keeps a failure as the last error (its message cut to the documented
// length); success leaves it as begin() set it.
inline void keep(const Status& s) {
    if (s.ok()) return;
    std::string text = s.message();
    if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
    state().last = Status(s.code(), std::move(text));
}

// keep(), handing `s` back to the caller.
inline Status report(Status s) {
    keep(s);
    return s;
}

inline Status setError(Result code, std::string text) {
    return report(Status(code, std::move(text)));
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

// Runs `call` on the table `h` names and keeps its outcome as the last error.
// Every path ends in the one `r`, so the outcome goes back without a copy.
template <class Call>
Status onTable(Handle h, Call&& call) {
    begin();
    Table* t = findTable(h);
    Status r = t ? call(*t) : Status(kInvalidHandle, "invalid table handle " + std::to_string(h));
    keep(r);
    return r;
}

inline Status badField(int field) {
    return setError(kFieldNotFound, "no field number " + std::to_string(field));
}

inline bool fieldOk(Table* t, int field) {
    return field >= 1 && field <= t->fieldCount();
}

}  // namespace engine
