// Call frames: each routine that wants to appear in the error log's call
// stack enters a Frame (an RAII guard) with its name, the line it is at and
// the variables it holds. A frame costs a few stores and no allocation, so
// the table commands that run millions of times a refill can keep one.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "runtime/value.h"

namespace runtime {

struct FrameVar {
    std::string name;
    Value value;
};

// A frame as the error report lists it, its variables read at that moment.
struct FrameInfo {
    std::string name;  // routine name; "CLASS:METHOD" for a method
    int line = 0;      // current source line, 0 when unknown
    std::vector<FrameVar> params;
    std::vector<FrameVar> locals;
};

// How a variable of the program reads as a runtime value when the stack is
// listed. Numbers, logicals, texts, optional values, lists of texts and
// runtime values are supported.
Value frameValue(const Value& v);
Value frameValue(bool b);
Value frameValue(const std::string& s);
Value frameValue(std::string_view s);
Value frameValue(const char* s);
Value frameValue(const std::vector<std::string>& list);
template <class T>
requires(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) Value frameValue(T n) {
    if constexpr (std::is_integral_v<T>)
        return Value(static_cast<long long>(n));
    else
        return Value(static_cast<double>(n));
}
template <class T>
Value frameValue(const std::optional<T>& v) {
    return v ? frameValue(*v) : Value();
}

// Pushes a frame on construction and pops it on destruction. Frames nest
// strictly (stack objects only). The program runs one thread, and so does
// the call stack: frames are entered and left by the main thread only.
//   Frame frame("COPIAEMP");                 // line of this statement
//   frame.param("cRoot", cRoot).param("cCode", cCode);
//   ...
//   frame.here();                            // now at this line
//   COPIAFICH(...);
//
// Variables are kept by reference and read only when the stack is listed,
// so the log shows their values at the moment of the error.
// REQUIRES: a variable passed to param() or local() lives at least as long
// as the frame: a parameter of the routine, something a parameter refers
// to, process-wide state, or a local declared before the frame. Values of
// anything shorter-lived go through localValue(), which keeps a copy.
class Frame {
public:
    // `name` must have static storage (a string literal).
    explicit Frame(const char* name, std::source_location where = std::source_location::current())
        : Frame(name, static_cast<int>(where.line())) {}
    Frame(const char* name, int line) : name_(name ? name : ""), line_(line), caller_(top_) {
        top_ = this;
    }
    ~Frame() {  // frames leave in reverse order of entry
        top_ = caller_;
        if (copies_) deleteCopies();
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    void setLine(int line) { line_ = line; }
    // The routine is now at the line of this call.
    void here(std::source_location where = std::source_location::current()) {
        line_ = static_cast<int>(where.line());
    }

    // A parameter (in call order) or a local variable, by reference.
    template <class T>
    Frame& param(const char* name, const T& var) {
        return add(name, &var, &readAs<T>, true);
    }
    template <class T>
    Frame& local(const char* name, const T& var) {
        return add(name, &var, &readAs<T>, false);
    }
    // A temporary would be gone before the stack is listed.
    template <class T>
    Frame& param(const char*, const T&&) = delete;
    template <class T>
    Frame& local(const char*, const T&&) = delete;

    // Sets a local variable to a copy of `v`, adding it the first time its
    // name is seen (names compared without regard to case).
    Frame& localValue(const char* name, Value v);

    // The frame with its variables read now.
    FrameInfo info() const;
    // The frame `level` steps out from the innermost; nullptr beyond the outermost.
    static const Frame* at(int level);
    static int depth();
    const char* name() const { return name_; }
    const Frame* caller() const { return caller_; }
    int line() const { return line_; }

private:
    using Reader = Value (*)(const void*);
    template <class T>
    static Value readAs(const void* p) {
        return frameValue(*static_cast<const T*>(p));
    }
    static Value readCopy(const void* p) { return *static_cast<const Value*>(p); }

    // The innermost frame; each frame links to its caller's.
    static inline const Frame* top_ = nullptr;

    Frame& add(const char* name, const void* var, Reader read, bool isParam);
    void deleteCopies();

    // Enough for every routine of the program; more are dropped.
    static constexpr int kMaxVars = 12;
    struct Var {
        const char* name;
        const void* var;
        Reader read;
        bool isParam;
    };

    const char* name_;
    int line_;
    const Frame* caller_;
    int varCount_ = 0;
    Var vars_[kMaxVars];
    // What localValue() keeps, owned, made on first use; a list keeps
    // addresses. A plain pointer keeps the destructor small enough to inline.
    std::list<Value>* copies_ = nullptr;
};

// Number of frames on the stack.
int frameDepth();
// The frame `level` steps out from the innermost (0 = innermost); nothing
// beyond the outermost.
std::optional<FrameInfo> frameAt(int level);
// PROCNAME(level) / PROCLINE(level): name and line of that frame; "" and 0
// beyond the outermost.
std::string PROCNAME(int level = 0);
int PROCLINE(int level = 0);
// A copy of the whole stack, innermost first.
std::vector<FrameInfo> callStack();

}  // namespace runtime
