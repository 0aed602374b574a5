// The error dialog on a console: prints the description and the call stack
// to standard error and answers as "&Salir". Used in console mode and on
// platforms without the window toolkit.
#pragma once

#include <cstdio>

#include "errors/error_dialog.h"

namespace errors {

class ConsoleDialog : public ErrorDialog {
public:
    explicit ConsoleDialog(std::FILE* out = stderr) : out_(out) {}
    DialogAnswer show(const DialogRequest& request) override;

private:
    std::FILE* out_;  // not owned
};

}  // namespace errors
