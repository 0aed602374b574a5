// Runtime error objects (class "ERROR"), the installed error block, the
// launcher that hands an error to it and checks the answer, protected blocks
// (BREAK) and the ways to end the program from deep inside.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace runtime {

// Generic error codes (the error object's GenCode) and their descriptions.
namespace gen {
constexpr int kArg = 1;           // "Argument error"
constexpr int kBound = 2;         // "Bound error"
constexpr int kStrOverflow = 3;   // "String overflow"
constexpr int kNumOverflow = 4;   // "Numeric overflow"
constexpr int kZeroDiv = 5;       // "Zero divisor"
constexpr int kNumErr = 6;        // "Numeric error"
constexpr int kSyntax = 7;        // "Syntax error"
constexpr int kComplexity = 8;    // "Operation too complex"
constexpr int kMem = 11;          // "Memory low"
constexpr int kNoFunc = 12;       // "Undefined function"
constexpr int kNoMethod = 13;     // "No exported method"
constexpr int kNoVar = 14;        // "Variable does not exist"
constexpr int kNoAlias = 15;      // "Alias does not exist"
constexpr int kNoVarMethod = 16;  // "No exported variable"
constexpr int kBadAlias = 17;     // "Illegal characters in alias"
constexpr int kDupAlias = 18;     // "Alias already in use"
constexpr int kCreate = 20;       // "Create error"
constexpr int kOpen = 21;         // "Open error"
constexpr int kClose = 22;        // "Close error"
constexpr int kRead = 23;         // "Read error"
constexpr int kWrite = 24;        // "Write error"
constexpr int kPrint = 25;        // "Print error"
constexpr int kUnsupported = 30;  // "Operation not supported"
constexpr int kLimit = 31;        // "Limit exceeded"
constexpr int kCorruption = 32;   // "Corruption detected"
constexpr int kDataType = 33;     // "Data type error"
constexpr int kDataWidth = 34;    // "Data width error"
constexpr int kNoTable = 35;      // "Workarea not in use"
constexpr int kNoOrder = 36;      // "Workarea not indexed"
constexpr int kShared = 37;       // "Exclusive required"
constexpr int kUnlocked = 38;     // "Lock required"
constexpr int kReadOnly = 39;     // "Write not allowed"
constexpr int kAppendLock = 40;   // "Append lock failed"
constexpr int kLock = 41;         // "Lock Failure"
}  // namespace gen

// The runtime's description of a generic code; "" for an unknown code.
std::string_view genCodeDescription(int genCode);

// ERRORNEW(): a new object of class "ERROR" with the fields Args (0),
// CanDefault, CanRetry, CanSubstitute (false), Cargo (nothing),
// Description, FileName (""), GenCode (0), Operation (""), OsCode (0),
// Severity (0), SubCode (0), SubSystem ("") and Tries (0).
ObjectPtr ERRORNEW();

// Severity values.
constexpr int kSeverityWarning = 1;
constexpr int kSeverityError = 2;
constexpr int kSeverityCatastrophic = 3;

// Everything a raiser usually fills in; makeError() turns it into an error
// object whose Description is genCodeDescription(genCode) unless given.
// Fill it member by member: designated initialisers that leave members out
// warn under -Wextra with the compilers we use.
struct ErrorFields {
    int genCode = 0;
    int subCode = 0;
    std::string subSystem;
    std::string operation;
    std::string fileName;
    int osCode = 0;
    int severity = kSeverityError;
    bool canRetry = false;
    bool canDefault = false;
    bool canSubstitute = false;
    std::optional<std::string> description;  // default: from genCode
    std::optional<Array> args;               // Args stays 0 when absent
};
ObjectPtr makeError(const ErrorFields& def);
// The common case: severity 2 (error), no retry/default/substitute, no OS
// code; set further fields on the returned object.
ObjectPtr makeError(int genCode, int subCode, std::string_view subSystem,
                    std::string_view operation = {}, std::string_view fileName = {});

// ERRORBLOCK([bNew]): the installed error block (called with the error
// object as its one argument). With an argument, installs it. Returns the
// block installed before the call. No block is installed at program start.
Block ERRORBLOCK(std::optional<Block> bNew = std::nullopt);

// What the failed operation does next, as decided by the launcher.
enum class Recovery {
    Retry,       // the handler answered true; Tries was raised by one
    Default,     // the handler answered false: give up with the default result
    Substitute,  // the handler's answer is the operation's result (value)
};
struct ErrorOutcome {
    Recovery action = Recovery::Default;
    Value value;  // the handler's answer
};

// Hands err to the installed error block and checks its answer, in order:
//   - answer true and CanRetry true: Retry (Tries += 1);
//   - answer false and CanDefault true: Default;
//   - CanSubstitute true: the answer, whatever it is, is the Substitute;
//   - anything else ends the program with the unrecoverable error
//     "Error recovery failure" (exit code 1).
// At most kMaxHandlerDepth launches may be active at once (an error raised
// while the handler runs nests); one more ends the program with "Too many
// recursive error handler calls". Without an installed block the error is
// written to standard error and the program ends with exit code 1.
// Throws: ProgramExit (program end), and whatever the block throws
// (Break, ProgramExit).
constexpr int kMaxHandlerDepth = 8;
ErrorOutcome launchError(const ObjectPtr& err);
int handlerDepth();  // launches active now

// Thrown to end the program cleanly with an exit code: main() catches it and
// returns code. Deliberately not a std::exception, so that generic catch
// clauses for failures do not swallow a program end. A window or dialog
// procedure that catches it must end its loop and rethrow it once it is
// back outside the platform's call.
struct ProgramExit {
    int code = 0;
};

// ERRORLEVEL([nNew]): the exit code the program ends with; returns the code
// before the call. 0 at program start.
int ERRORLEVEL(std::optional<int> nNew = std::nullopt);

// __QUIT(): ends the program with the ERRORLEVEL code (throws ProgramExit).
[[noreturn]] void __QUIT();

// Ends the process at once with the exit code: flushes the standard streams
// and exits without unwinding. For a second fatal error while the error
// dialog is up, when unwinding through the dialog is not safe.
[[noreturn]] void quitNow(int code);

// Writes "Unrecoverable error: <text>" to standard error and throws
// ProgramExit{1}.
[[noreturn]] void unrecoverableError(std::string_view text);

// BREAK(value): leaves the innermost protected block; the value becomes the
// block's result. DOBREAK() is BREAK with nothing, used as a temporary error
// block while a report is written so that any failure is dropped.
struct Break {
    Value value;
};
[[noreturn]] void BREAK(Value value = {});
[[noreturn]] void DOBREAK();

// Runs body inside a protected block: returns nothing when body completes,
// or the value passed to BREAK when it leaves through BREAK.
template <class F>
std::optional<Value> runProtected(F&& body) {
    try {
        body();
        return std::nullopt;
    } catch (const Break& b) {
        return b.value;
    }
}

}  // namespace runtime
