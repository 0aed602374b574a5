// The window message box: the real implementation of the runtime's message
// box interface (runtime/alert.h). A self-sizing modal dialog with the
// message word-wrapped beside a stock icon and one to five buttons at the
// bottom right; it answers the number of the button pressed, 0 when closed
// without one or when its seconds ran out.
#pragma once

#include "runtime/alert.h"

namespace toolkit {

class WindowAlertUi : public runtime::AlertUi {
public:
    int show(const runtime::AlertRequest& request) override;
};

// The font face of every box.
inline constexpr const char* kAlertFontFace = "Ms Sans Serif";

}  // namespace toolkit
