// Installation point of the error dialog and the layout rules shared by
// every implementation.
#include "errors/error_dialog.h"

#include "errors/console_dialog.h"

namespace errors {
namespace {

std::shared_ptr<ErrorDialog>& installed() {
    static std::shared_ptr<ErrorDialog> dialog = std::make_shared<ConsoleDialog>();
    return dialog;
}

}  // namespace

std::shared_ptr<ErrorDialog> setErrorDialog(std::shared_ptr<ErrorDialog> dialog) {
    if (!dialog) dialog = std::make_shared<ConsoleDialog>();
    auto previous = installed();
    installed() = std::move(dialog);
    return previous;
}

ErrorDialog& errorDialog() {
    return *installed();
}

std::vector<DialogButton> dialogButtons(bool canRetry, bool ntFamily) {
    const int row = ntFamily ? 111 : 87;
    std::vector<DialogButton> buttons;
    if (canRetry) {
        buttons.push_back({"&Reintentar", row, 13, false});
        buttons.push_back({"&Salir", row, 60, true});
    } else {
        buttons.push_back({"&Salir", row, 37, false});
    }
    buttons.push_back({"&Defecto", row, 108, false});
    return buttons;
}

int dialogHeight(bool ntFamily) {
    return ntFamily ? 250 : 200;
}

}  // namespace errors
