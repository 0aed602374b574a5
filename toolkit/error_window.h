// The error dialog as a window: the real implementation of errors/'s
// ErrorDialog. A modal dialog of 300 x 200 pixels (250 on NT-family
// systems) with the error's description, the call sequence in a list and
// two or three buttons, every control in the default dialog font.
#pragma once

#include "errors/error_dialog.h"

namespace toolkit {

class WindowErrorDialog : public errors::ErrorDialog {
public:
    errors::DialogAnswer show(const errors::DialogRequest& request) override;
};

// Ids of the dialog's controls.
inline constexpr int kErrorDescriptionId = 100;
inline constexpr int kErrorListId = 110;
inline constexpr int kErrorRetryId = 121;
inline constexpr int kErrorExitId = 122;
inline constexpr int kErrorDefaultId = 123;

}  // namespace toolkit
