// The stack of call frames: each frame links to its caller's.
#include "runtime/frames.h"

#include <cassert>

namespace runtime {

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
    if (!copies_) copies_ = new std::list<Value>;
    copies_->push_back(std::move(v));
    return add(name, &copies_->back(), &readCopy, false);
}

void Frame::deleteCopies() {
    delete copies_;
    copies_ = nullptr;
}

FrameInfo Frame::info() const {
    FrameInfo info{name_, line_, {}, {}};
    for (int i = 0; i < varCount_; ++i) {
        const Var& var = vars_[i];
        (var.isParam ? info.params : info.locals).push_back({var.name, var.read(var.var)});
    }
    return info;
}

const Frame* Frame::at(int level) {
    if (level < 0) return nullptr;
    const Frame* f = top_;
    for (; f && level > 0; --level) f = f->caller_;
    return f;
}

int Frame::depth() {
    int n = 0;
    for (const Frame* f = top_; f; f = f->caller_) ++n;
    return n;
}

int frameDepth() {
    return Frame::depth();
}

std::optional<FrameInfo> frameAt(int level) {
    const Frame* f = Frame::at(level);
    if (!f) return std::nullopt;
    return f->info();
}

std::string PROCNAME(int level) {
    const Frame* f = Frame::at(level);
    return f ? f->name() : std::string();
}

int PROCLINE(int level) {
    const Frame* f = Frame::at(level);
    return f ? f->line() : 0;
}

std::vector<FrameInfo> callStack() {
    std::vector<FrameInfo> out;
    for (const Frame* f = Frame::at(0); f; f = f->caller()) out.push_back(f->info());
    return out;
}

}  // namespace runtime
