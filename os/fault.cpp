// Process-wide write-fault injection (see fault.h).
#include "os/fault.h"

#include <mutex>

namespace os {
namespace {

std::mutex gMutex;
uint64_t gCalls = 0;      // counted calls since start
uint32_t gCountdown = 0;  // 0 = disarmed; 1 = the next call fails
uint32_t gCode = kErrWriteFault;
bool gPersistent = false;
bool gTripped = false;  // persistent fault already reached
uint32_t gInjected = 0;
std::function<void(const char*, const std::string&)> gObserver;
uint64_t gOpens = 0;          // opens with write access since start
uint32_t gOpenCountdown = 0;  // 0 = disarmed; 1 = the next one fails
uint32_t gOpenCode = kErrAccessDenied;

}  // namespace

void armWriteFault(uint32_t nth, uint32_t code, bool persistent) {
    std::lock_guard<std::mutex> guard(gMutex);
    gCountdown = nth;
    gCode = code;
    gPersistent = persistent;
    gTripped = false;
    gInjected = 0;
}

void disarmWriteFault() {
    std::lock_guard<std::mutex> guard(gMutex);
    gCountdown = 0;
    gTripped = false;
}

uint32_t injectedFaultCount() {
    std::lock_guard<std::mutex> guard(gMutex);
    return gInjected;
}

uint64_t writeCallCount() {
    std::lock_guard<std::mutex> guard(gMutex);
    return gCalls;
}

void armOpenFault(uint32_t nth, uint32_t code) {
    std::lock_guard<std::mutex> guard(gMutex);
    gOpenCountdown = nth;
    gOpenCode = code;
}

uint64_t writeOpenCount() {
    std::lock_guard<std::mutex> guard(gMutex);
    return gOpens;
}

Status checkOpenFault(const std::string& path) {
    std::lock_guard<std::mutex> guard(gMutex);
    ++gOpens;
    if (gOpenCountdown == 0 || --gOpenCountdown != 0) return Status();
    return Status(gOpenCode, "open " + path + " (injected fault)");
}

void setWriteCallObserver(std::function<void(const char*, const std::string&)> observer) {
    std::lock_guard<std::mutex> guard(gMutex);
    gObserver = std::move(observer);
}

Status checkWriteFault(const char* operation, const std::string& path) {
    std::lock_guard<std::mutex> guard(gMutex);
    ++gCalls;
    if (gObserver) gObserver(operation, path);
    bool fail = gTripped;
    if (!fail && gCountdown > 0 && --gCountdown == 0) {
        fail = true;
        gTripped = gPersistent;
    }
    if (!fail) return Status();
    ++gInjected;
    return Status(gCode, std::string(operation) + " " + path + " (injected fault)");
}

}  // namespace os
