// The run state, the animation tick and the meter counters.
#include "updater/run_state.h"

#include <chrono>

#include "os/status.h"
#include "runtime/codepage.h"
#include "runtime/error.h"

namespace updater {
namespace {

constexpr uint32_t kFrameMs = 400;
constexpr int kFrames = 10;

RunState gState;
TickSource gTickSource = nullptr;

uint32_t systemTick() {
    using namespace std::chrono;
    // Truncated to 32 bits on purpose: the pacing must hold across the wrap.
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

}  // namespace

RunState& runState() {
    return gState;
}

void resetRunState() {
    gState = RunState{};
}

void noteProblem(const std::string& text) {
    gState.report.problems.push_back(text);
    gState.problems.push_back(gState.report.code + ": " + text);
    if (gState.exitCode == 0) gState.exitCode = 2;
}

std::string heldJournalText(const std::string& journal) {
    return "el diario " + journal +
           " est\xE1 en uso por otro programa: sus filas no se han marcado; "
           "vuelva a ejecutar la actualizaci\xF3n cuando est\xE9 libre";
}

std::string unwritableJournalText(const std::string& journal, uint32_t osCode) {
    if (osCode == os::kErrSharingViolation || osCode == os::kErrLockViolation)
        return heldJournalText(journal);
    std::string cause = osCode == os::kErrAccessDenied
                            ? "no se puede escribir (acceso denegado o de solo lectura)"
                            : "no se pudo abrir para escribir (c\xF3"
                              "digo " +
                                  std::to_string(osCode) + ")";
    return "el diario " + journal + " " + cause +
           ": sus filas no se han marcado; vuelva a ejecutar la actualizaci\xF3n cuando se "
           "pueda escribir en \xE9l";
}

void noteStop() {
    gState.stopRun = true;
    gState.exitCode = 1;
}

void raiseRunError(RunError error, const std::string& file, const std::string& detail,
                   uint32_t osCode) {
    static constexpr struct {
        RunError error;
        int genCode;
    } kGen[] = {{RunError::kOpen, runtime::gen::kOpen},
                {RunError::kCopy, runtime::gen::kCreate},
                {RunError::kDataWidth, runtime::gen::kDataWidth},
                {RunError::kMove, runtime::gen::kWrite},
                {RunError::kErase, runtime::gen::kWrite},
                {RunError::kCheck, runtime::gen::kCorruption},
                {RunError::kRegister, runtime::gen::kCorruption},
                {RunError::kInstallation, runtime::gen::kOpen}};
    int genCode = runtime::gen::kWrite;
    for (const auto& g : kGen)
        if (g.error == error) genCode = g.genCode;
    noteStop();
    runtime::ErrorFields def;
    // The description names the kind of failure, but an open or create
    // failure keeps no generic code: the handler answers those silently when
    // the cause is a missing file or a denied access (the calling code tests
    // NETERR), and the run's own error must reach the log and the dialog.
    const bool softKind = genCode == runtime::gen::kOpen || genCode == runtime::gen::kCreate;
    def.genCode = softKind ? 0 : genCode;
    def.subCode = static_cast<int>(error);
    def.subSystem = "ACTUA";
    def.fileName = file;
    def.osCode = static_cast<int>(osCode);
    def.canDefault = true;
    def.description = std::string(runtime::genCodeDescription(genCode)) + " (" + detail + ")";
    runtime::launchError(runtime::makeError(def));
}

Progress* OWND() {
    return gState.dialog;
}

void setTickSource(TickSource source) {
    gTickSource = source;
}

uint32_t tickNow() {
    return gTickSource ? gTickSource() : systemTick();
}

bool tickDue(uint32_t lastMs, uint32_t nowMs) {
    return static_cast<uint32_t>(nowMs - lastMs) >= kFrameMs;
}

bool LCAMBIAICO() {
    RunState& s = gState;
    uint32_t now = tickNow();
    if (tickDue(s.lastTickMs, now)) {
        s.lastTickMs = now;
        if (s.frame == kFrames) s.frame = 0;
        if (s.hasPicture && s.dialog) s.dialog->showFrame(s.frame);
        ++s.frame;
    }
    if (s.dialog) s.dialog->pump();
    return true;
}

bool companyReached(std::string_view code, std::string_view currentCode) {
    return runtime::textRelation(code, runtime::CompareOp::LessEqual, currentCode);
}

void setMeter(Meter meter, long value) {
    gState.meterCounters[static_cast<int>(meter)] = value;
    if (gState.dialog) gState.dialog->setValue(meter, value);
}

}  // namespace updater
