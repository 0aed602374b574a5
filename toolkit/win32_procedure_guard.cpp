// What a procedure does with an exception it must not let through.
#include "errors/gen_error.h"
#include "toolkit/dialog.h"
#include "toolkit/procedure_guard.h"

namespace toolkit {
namespace {

std::exception_ptr& pendingTransfer() {
    static std::exception_ptr p;
    return p;
}

}  // namespace

void reportProcedureFault(const std::string& what) noexcept {
    try {
        errors::_QXGENERROR(errors::toolkit_error::kGpf, "\r\nException: " + what);
    } catch (...) {
        // The handler ended the program (or failed): carry that out later.
        deferTransfer(std::current_exception());
    }
}

void deferTransfer(std::exception_ptr transfer) noexcept {
    if (!pendingTransfer()) pendingTransfer() = std::move(transfer);
    endModalDialogs();
}

void rethrowDeferred() {
    if (!pendingTransfer()) return;
    std::exception_ptr transfer = std::exchange(pendingTransfer(), nullptr);
    std::rethrow_exception(transfer);
}

}  // namespace toolkit
