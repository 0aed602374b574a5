// Call frames: each routine that wants to appear in the error log's call
// stack enters a Frame (an RAII guard) with its name, its line and, where
// useful, its parameters and locals.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace runtime {

struct FrameVar {
    std::string name;
    Value value;
};

struct FrameInfo {
    std::string name;  // routine name; "CLASS:METHOD" for a method
    int line = 0;      // current source line, 0 when unknown
    std::vector<FrameVar> params;
    std::vector<FrameVar> locals;
};

// Pushes a frame on construction and pops it on destruction. Frames nest
// strictly (stack objects only); the call stack is per thread.
//   Frame f("COPIAEMP", __LINE__);
//   f.param("cCodEmp", code);
//   f.setLine(__LINE__);
class Frame {
public:
    explicit Frame(std::string name, int line = 0);
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    void setLine(int line) { info_.line = line; }
    // Adds a parameter (in call order).
    Frame& param(std::string name, Value v);
    // Sets a local variable, adding it the first time its name is seen.
    Frame& local(std::string_view name, Value v);
    const FrameInfo& info() const { return info_; }

private:
    FrameInfo info_;
};

// Number of frames on the stack.
int frameDepth();
// The frame `level` steps out from the innermost (0 = innermost); nullptr
// beyond the outermost.
const FrameInfo* frameAt(int level);
// PROCNAME(level) / PROCLINE(level): name and line of that frame; "" and 0
// beyond the outermost.
std::string PROCNAME(int level = 0);
int PROCLINE(int level = 0);
// A copy of the whole stack, innermost first.
std::vector<FrameInfo> callStack();

}  // namespace runtime
