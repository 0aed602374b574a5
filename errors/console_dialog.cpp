// Console form of the error dialog.
#include "errors/console_dialog.h"

namespace errors {

DialogAnswer ConsoleDialog::show(const DialogRequest& request) {
    std::fprintf(out_, "%s\n", request.description.c_str());
    for (const auto& line : request.callStack) std::fprintf(out_, "%s\n", line.c_str());
    std::fprintf(out_, "Vea fichero Error.log\n");
    std::fflush(out_);
    return DialogAnswer::Exit;
}

}  // namespace errors
