// Error objects, the error block and the launcher that checks its answer.
#include "runtime/error.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "runtime/console_text.h"

namespace runtime {
namespace {

Block g_errorBlock;
int g_handlerDepth = 0;
int g_errorLevel = 0;

// Counts one active launch for as long as it lives, also when the handler
// leaves by an exception.
class DepthGuard {
public:
    DepthGuard() { ++g_handlerDepth; }
    ~DepthGuard() { --g_handlerDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

std::string numberText(const Value& v) {
    if (!v.isNumber()) return "???";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", v.num());
    return buf;
}

// What a program without an error handler prints before it ends.
[[noreturn]] void reportWithoutHandler(const Object& err) {
    std::string line = "Error " + err.get("SubSystem").textOr("???") + "/" +
                       numberText(err.get("SubCode")) + " " + err.get("Description").textOr();
    std::string detail = err.get("FileName").textOr();
    if (detail.empty()) detail = err.get("Operation").textOr();
    if (!detail.empty()) line += ": " + detail;
    std::cerr << consoleText(line) << std::endl;
    ERRORLEVEL(1);
    throw ProgramExit{1};
}

}  // namespace

std::string_view genCodeDescription(int genCode) {
    switch (genCode) {
        case gen::kArg:
            return "Argument error";
        case gen::kBound:
            return "Bound error";
        case gen::kStrOverflow:
            return "String overflow";
        case gen::kNumOverflow:
            return "Numeric overflow";
        case gen::kZeroDiv:
            return "Zero divisor";
        case gen::kNumErr:
            return "Numeric error";
        case gen::kSyntax:
            return "Syntax error";
        case gen::kComplexity:
            return "Operation too complex";
        case gen::kMem:
            return "Memory low";
        case gen::kNoFunc:
            return "Undefined function";
        case gen::kNoMethod:
            return "No exported method";
        case gen::kNoVar:
            return "Variable does not exist";
        case gen::kNoAlias:
            return "Alias does not exist";
        case gen::kNoVarMethod:
            return "No exported variable";
        case gen::kBadAlias:
            return "Illegal characters in alias";
        case gen::kDupAlias:
            return "Alias already in use";
        case gen::kCreate:
            return "Create error";
        case gen::kOpen:
            return "Open error";
        case gen::kClose:
            return "Close error";
        case gen::kRead:
            return "Read error";
        case gen::kWrite:
            return "Write error";
        case gen::kPrint:
            return "Print error";
        case gen::kUnsupported:
            return "Operation not supported";
        case gen::kLimit:
            return "Limit exceeded";
        case gen::kCorruption:
            return "Corruption detected";
        case gen::kDataType:
            return "Data type error";
        case gen::kDataWidth:
            return "Data width error";
        case gen::kNoTable:
            return "Workarea not in use";
        case gen::kNoOrder:
            return "Workarea not indexed";
        case gen::kShared:
            return "Exclusive required";
        case gen::kUnlocked:
            return "Lock required";
        case gen::kReadOnly:
            return "Write not allowed";
        case gen::kAppendLock:
            return "Append lock failed";
        case gen::kLock:
            return "Lock Failure";
        default:
            return "";
    }
}

ObjectPtr ERRORNEW() {
    ObjectPtr e = makeObject("ERROR");
    e->set("Args", 0);
    e->set("CanDefault", false);
    e->set("CanRetry", false);
    e->set("CanSubstitute", false);
    e->set("Cargo", Value());
    e->set("Description", "");
    e->set("FileName", "");
    e->set("GenCode", 0);
    e->set("Operation", "");
    e->set("OsCode", 0);
    e->set("Severity", 0);
    e->set("SubCode", 0);
    e->set("SubSystem", "");
    e->set("Tries", 0);
    return e;
}

ObjectPtr makeError(const ErrorFields& def) {
    ObjectPtr e = ERRORNEW();
    e->set("GenCode", def.genCode);
    e->set("SubCode", def.subCode);
    e->set("SubSystem", def.subSystem);
    e->set("Operation", def.operation);
    e->set("FileName", def.fileName);
    e->set("OsCode", def.osCode);
    e->set("Severity", def.severity);
    e->set("CanRetry", def.canRetry);
    e->set("CanDefault", def.canDefault);
    e->set("CanSubstitute", def.canSubstitute);
    e->set("Description",
           def.description ? *def.description : std::string(genCodeDescription(def.genCode)));
    if (def.args) e->set("Args", Value::newArray(*def.args));
    return e;
}

ObjectPtr makeError(int genCode, int subCode, std::string_view subSystem,
                    std::string_view operation, std::string_view fileName) {
    ErrorFields def;
    def.genCode = genCode;
    def.subCode = subCode;
    def.subSystem = std::string(subSystem);
    def.operation = std::string(operation);
    def.fileName = std::string(fileName);
    return makeError(def);
}

Block ERRORBLOCK(std::optional<Block> bNew) {
    Block old = g_errorBlock;
    if (bNew) g_errorBlock = std::move(*bNew);
    return old;
}

int handlerDepth() {
    return g_handlerDepth;
}

ErrorOutcome launchError(const ObjectPtr& err) {
    if (g_handlerDepth >= kMaxHandlerDepth) {
        unrecoverableError("Too many recursive error handler calls");
    }
    DepthGuard depth;
    if (!g_errorBlock) reportWithoutHandler(*err);
    // Keep the block alive even if the handler installs another one.
    const Block block = g_errorBlock;
    Value answer = block.eval({Value(err)});
    if (answer.isLogical() && answer.logical() && err->get("CanRetry").logicalOr()) {
        err->set("Tries", err->get("Tries").numOr() + 1);
        return {Recovery::Retry, std::move(answer)};
    }
    if (answer.isLogical() && !answer.logical() && err->get("CanDefault").logicalOr()) {
        return {Recovery::Default, std::move(answer)};
    }
    if (err->get("CanSubstitute").logicalOr()) return {Recovery::Substitute, std::move(answer)};
    unrecoverableError("Error recovery failure");
}

int ERRORLEVEL(std::optional<int> nNew) {
    int old = g_errorLevel;
    if (nNew) g_errorLevel = *nNew;
    return old;
}

void __QUIT() {
    throw ProgramExit{g_errorLevel};
}

void quitNow(int code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(code);
}

void unrecoverableError(std::string_view text) {
    std::cerr << "Unrecoverable error: " << consoleText(text) << std::endl;
    ERRORLEVEL(1);
    throw ProgramExit{1};
}

void BREAK(Value value) {
    throw Break{std::move(value)};
}

void DOBREAK() {
    throw Break{};
}

}  // namespace runtime
