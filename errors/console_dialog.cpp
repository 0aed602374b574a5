// Console form of the error dialog.
#include "errors/console_dialog.h"

#include "runtime/console_text.h"

namespace errors {

DialogAnswer ConsoleDialog::show(const DialogRequest& request) {
    std::string text = request.description + "\n";
    for (const auto& line : request.callStack) text += line + "\n";
    text += "Vea fichero Error.log\n";
    runtime::consoleWrite(out_, text);
    std::fflush(out_);
    return DialogAnswer::Exit;
}

}  // namespace errors
