// The per-thread stack of call frames.
#include "runtime/frames.h"

#include <cassert>

namespace runtime {
namespace {
thread_local std::vector<const Frame*> t_frames;
}  // namespace

Frame::Frame(std::string name, int line) : info_{std::move(name), line, {}, {}} {
    t_frames.push_back(this);
}

Frame::~Frame() {
    // Frames live on the stack, so they leave in reverse order of entry.
    assert(!t_frames.empty() && t_frames.back() == this);
    t_frames.pop_back();
}

Frame& Frame::param(std::string name, Value v) {
    info_.params.push_back({std::move(name), std::move(v)});
    return *this;
}

Frame& Frame::local(std::string_view name, Value v) {
    for (auto& l : info_.locals) {
        if (sameName(l.name, name)) {
            l.value = std::move(v);
            return *this;
        }
    }
    info_.locals.push_back({std::string(name), std::move(v)});
    return *this;
}

int frameDepth() {
    return static_cast<int>(t_frames.size());
}

const FrameInfo* frameAt(int level) {
    if (level < 0 || level >= frameDepth()) return nullptr;
    return &t_frames[t_frames.size() - 1 - static_cast<size_t>(level)]->info();
}

std::string PROCNAME(int level) {
    const FrameInfo* f = frameAt(level);
    return f ? f->name : std::string();
}

int PROCLINE(int level) {
    const FrameInfo* f = frameAt(level);
    return f ? f->line : 0;
}

std::vector<FrameInfo> callStack() {
    std::vector<FrameInfo> out;
    out.reserve(t_frames.size());
    for (size_t i = t_frames.size(); i-- > 0;) out.push_back(t_frames[i]->info());
    return out;
}

}  // namespace runtime
