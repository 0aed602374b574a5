// The boundary between Windows and our code. No C++ exception may cross a
// window or dialog procedure (Windows' own frames cannot be unwound), so
// every procedure body runs inside guardProcedure():
//   - a failure (any other exception) becomes the toolkit's runtime error
//     "GPF occurred" for the installed handler, and the procedure answers 0;
//   - a transfer of control that must reach our caller (the program end,
//     runtime::ProgramExit, or leaving a protected block, runtime::Break) is
//     kept, every modal dialog being created or shown is ended, and the
//     transfer is thrown again by rethrowDeferred() once control is back in
//     our own code: after the modal call of Activate returns, and after each
//     message the pump dispatches.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace toolkit {

// Reports a failure inside a procedure as the toolkit's error 5.
void reportProcedureFault(const std::string& what) noexcept;
// Keeps a transfer of control for rethrowDeferred() and ends the modal
// dialogs so that their loops return.
void deferTransfer(std::exception_ptr transfer) noexcept;
// Throws the kept transfer, if any (the first one kept wins).
void rethrowDeferred();

template <class Body>
LRESULT guardProcedure(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        try {
            throw;
        } catch (const std::exception& e) {
            reportProcedureFault(e.what());
        } catch (...) {
            // ProgramExit, Break and anything that is not a std::exception.
            deferTransfer(std::current_exception());
        }
    }
    return 0;
}

}  // namespace toolkit
