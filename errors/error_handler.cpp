// The process-wide error handler: silent answers, the report and the dialog.
#include "errors/error_handler.h"

#include <exception>
#include <fstream>

#include "errors/error_dialog.h"
#include "errors/error_headline.h"
#include "errors/error_message.h"
#include "errors/report_facts.h"
#include "os/path.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/neterr.h"
#include "tables/ads.h"

namespace errors {
namespace {

constexpr const char* kLogFileName = "Error.log";

struct HandlerState {
    bool lwRunning = false;
    bool dialogUp = false;  // the error dialog is showing
    ResourceReleaser releaser;
    EngineErrorSource engineError;
};

HandlerState& state() {
    static HandlerState s;
    return s;
}

int engineLastError() {
    const auto& source = state().engineError;
    return source ? source() : tables::ADSGETLASTERROR();
}

void releaseResources() {
    if (state().releaser) state().releaser();
}

// Ends the program after "&Salir" (or its equivalents): resources released,
// exit code 1.
[[noreturn]] void endProgram() {
    releaseResources();
    runtime::ERRORLEVEL(1);
    runtime::__QUIT();
}

bool isOneOf(int code, std::initializer_list<int> codes) {
    for (int c : codes)
        if (c == code) return true;
    return false;
}

// The silent cases: table failures that the calling code tests through
// NETERR. Returns true when the error was answered silently.
bool answeredSilently(const runtime::ObjectPtr& err) {
    const int genCode = static_cast<int>(err->get("GenCode").numOr(0));
    const int osCode = static_cast<int>(err->get("OsCode").numOr(0));
    const bool openFailure = genCode == runtime::gen::kOpen && isOneOf(osCode, {32, 5, 4, 2, 3});
    const bool createFailure = genCode == runtime::gen::kCreate && isOneOf(osCode, {3, 4, 5, 2});
    if (openFailure || createFailure) {
        runtime::NETERR(true);
        runtime::NERRORCODE(osCode);
        return true;
    }
    if (genCode == runtime::gen::kAppendLock) {
        runtime::NETERR(true);
        return true;
    }
    return false;
}

// Writes the report in the current folder, replacing any earlier file. Any
// failure, including an error raised meanwhile, is dropped: the error block
// is swapped for one that leaves the protected block.
// Puts the installed error block back when it leaves scope, however it is left.
class ErrorBlockSwap {
public:
    explicit ErrorBlockSwap(runtime::Block temporary)
        : previous_(runtime::ERRORBLOCK(std::move(temporary))) {}
    ~ErrorBlockSwap() { runtime::ERRORBLOCK(previous_); }
    ErrorBlockSwap(const ErrorBlockSwap&) = delete;
    ErrorBlockSwap& operator=(const ErrorBlockSwap&) = delete;

private:
    runtime::Block previous_;
};

void writeReport(const std::string& text) {
    ErrorBlockSwap swap(runtime::Block(
        [](std::span<const runtime::Value>) -> runtime::Value { runtime::DOBREAK(); }));
    runtime::runProtected([&] {
        try {
            std::ofstream out(os::resolvePath(kLogFileName), std::ios::binary | std::ios::trunc);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
        } catch (const std::exception&) {
            // The report is a courtesy; the dialog still names the file.
        }
    });
}

DialogAnswer askUser(const DialogRequest& request) {
    state().dialogUp = true;
    DialogAnswer answer;
    try {
        answer = errorDialog().show(request);
    } catch (...) {
        state().dialogUp = false;
        throw;
    }
    state().dialogUp = false;
    return answer;
}

}  // namespace

runtime::Value ERRORDIALOG(const runtime::ObjectPtr& oError) {
    runtime::Frame frame("ERRORDIALOG", __LINE__);
    if (state().dialogUp) {
        // A second error while the dialog is up: nothing more can be shown.
        releaseResources();
        runtime::quitNow(1);
    }
    // The description is taken before the engine's code is mapped, so it
    // shows the OS code as the raiser set it.
    const std::string description = ERRORMESSAGE(oError);

    if (oError->get("GenCode").numOr(0) == runtime::gen::kZeroDiv) return runtime::Value(0);

    if (auto mapped = tables::osCodeForEngineCode(engineLastError()))
        oError->set("OsCode", *mapped);
    oError->set("CanDefault", true);
    if (answeredSilently(oError)) return runtime::Value(false);

    // Only a reported error gathers the facts: the silent cases arrive in
    // the middle of a table open, where the work areas must not be walked.
    ReportFacts facts = gatherFacts();
    facts.description = description;
    facts.args = oError->get("Args");
    const bool ntFamily = ISWINNT();

    DialogRequest request;
    request.headline = errorHeadline(oError);
    request.description = " Descripci\xF3n del error: " + facts.description;
    request.callStack = callStackLines(facts.frames);
    request.offerRetry = oError->get("CanRetry").logicalOr(false);
    request.ntFamily = ntFamily;

    frame.setLine(__LINE__);
    writeReport(reportFile(facts));

    DialogAnswer answer = askUser(request);
    if (answer == DialogAnswer::Retry && !request.offerRetry) answer = DialogAnswer::Exit;
    if (answer == DialogAnswer::Exit || (answer == DialogAnswer::Retry && !LWRUNNING()))
        endProgram();
    return runtime::Value(answer == DialogAnswer::Retry);
}

void ERRORSYS() {
    runtime::ERRORBLOCK(runtime::Block([](std::span<const runtime::Value> args) -> runtime::Value {
        runtime::Frame frame("(b)ERRORSYS", __LINE__);
        if (args.empty() || !args[0].isObject()) return runtime::Value(false);
        return ERRORDIALOG(args[0].object());
    }));
}

bool LWRUNNING() {
    return state().lwRunning;
}

bool setLwRunning(bool running) {
    return std::exchange(state().lwRunning, running);
}

ResourceReleaser setResourceReleaser(ResourceReleaser releaser) {
    return std::exchange(state().releaser, std::move(releaser));
}

EngineErrorSource setEngineErrorSource(EngineErrorSource source) {
    return std::exchange(state().engineError, std::move(source));
}

}  // namespace errors
