// The per-thread stack of call frames.
#include "runtime/frames.h"

#include <cassert>

namespace runtime {
namespace {
thread_local std::vector<const Frame*> t_frames;
}  // namespace

Value frameValue(const Value& v) {
    return v;
}
Value frameValue(bool b) {
    return Value(b);
}
Value frameValue(const std::string& s) {
    return Value(s);
}
Value frameValue(std::string_view s) {
    return Value(s);
}
Value frameValue(const char* s) {
    return s ? Value(s) : Value();
}

Value frameValue(const std::vector<std::string>& list) {
    Array items;
    items.reserve(list.size());
    for (const std::string& s : list) items.emplace_back(s);
    return Value::newArray(std::move(items));
}

Frame::Frame(const char* name, int line) : name_(name ? name : ""), line_(line) {
    t_frames.push_back(this);
}

Frame::~Frame() {
    // Frames live on the stack, so they leave in reverse order of entry.
    assert(!t_frames.empty() && t_frames.back() == this);
    t_frames.pop_back();
}

Frame& Frame::add(const char* name, const void* var, Reader read, bool isParam) {
    assert(varCount_ < kMaxVars);
    if (varCount_ < kMaxVars) vars_[varCount_++] = {name, var, read, isParam};
    return *this;
}

Frame& Frame::localValue(const char* name, Value v) {
    for (int i = 0; i < varCount_; ++i) {
        const Var& var = vars_[i];
        if (var.read == &readCopy && sameName(var.name, name)) {
            *const_cast<Value*>(static_cast<const Value*>(var.var)) = std::move(v);
            return *this;
        }
    }
    if (varCount_ >= kMaxVars) return *this;
    copies_.push_back(std::move(v));
    return add(name, &copies_.back(), &readCopy, false);
}

FrameInfo Frame::info() const {
    FrameInfo info{name_, line_, {}, {}};
    for (int i = 0; i < varCount_; ++i) {
        const Var& var = vars_[i];
        (var.isParam ? info.params : info.locals).push_back({var.name, var.read(var.var)});
    }
    return info;
}

int frameDepth() {
    return static_cast<int>(t_frames.size());
}

std::optional<FrameInfo> frameAt(int level) {
    if (level < 0 || level >= frameDepth()) return std::nullopt;
    return t_frames[t_frames.size() - 1 - static_cast<size_t>(level)]->info();
}

std::string PROCNAME(int level) {
    if (level < 0 || level >= frameDepth()) return {};
    return t_frames[t_frames.size() - 1 - static_cast<size_t>(level)]->name();
}

int PROCLINE(int level) {
    if (level < 0 || level >= frameDepth()) return 0;
    return t_frames[t_frames.size() - 1 - static_cast<size_t>(level)]->line();
}

std::vector<FrameInfo> callStack() {
    std::vector<FrameInfo> out;
    out.reserve(t_frames.size());
    for (size_t i = t_frames.size(); i-- > 0;) out.push_back(t_frames[i]->info());
    return out;
}

}  // namespace runtime
