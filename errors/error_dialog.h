// The error dialog as an interface: what the handler shows and what the user
// answered. The window toolkit implements it with its resource dialog; the
// console and the tests have their own implementations (console_dialog.h,
// scripted_dialog.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace errors {

// What the handler asks the dialog to show.
struct DialogRequest {
    // The file and the cause in the user's words (errorHeadline), shown
    // before the description; empty when the error has none.
    std::string headline;
    std::string description;             // " Descripción del error: " + message
    std::vector<std::string> callStack;  // " Llamado desde NAME(LINE)" lines
    bool offerRetry = false;             // "&Reintentar" is shown
    bool ntFamily = false;               // taller layout on NT-family systems
};

// How the dialog was closed. Exit covers "&Salir" and the close control.
enum class DialogAnswer { Exit, Retry, Default };

class ErrorDialog {
public:
    virtual ~ErrorDialog() = default;
    // Shows the dialog modally and returns the user's answer. Never offers
    // Retry unless request.offerRetry is set; an implementation that gets
    // Retry back without offering it must treat it as Exit.
    virtual DialogAnswer show(const DialogRequest& request) = 0;
};

// The dialog the handler uses. Until one is installed the console dialog
// serves. Returns the previous one.
std::shared_ptr<ErrorDialog> setErrorDialog(std::shared_ptr<ErrorDialog> dialog);
ErrorDialog& errorDialog();

// One button of the dialog, in the toolkit's dialog coordinates.
struct DialogButton {
    std::string caption;  // "&Reintentar", "&Salir", "&Defecto"
    int top = 0;
    int left = 0;
    bool isDefault = false;  // the default push button
};

// The buttons in creation order for an error that can (or cannot) be retried,
// on an NT-family system or not. Width 30, height 12 for every button.
std::vector<DialogButton> dialogButtons(bool canRetry, bool ntFamily);

// The caption and pixel size of the dialog window.
inline constexpr const char* kDialogCaption =
    "Norvento: Librer\xED"
    "a para Windows";
inline constexpr int kDialogWidth = 300;
int dialogHeight(bool ntFamily);

}  // namespace errors
