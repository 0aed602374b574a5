// Scripted error dialog for tests.
#include "errors/scripted_dialog.h"

namespace errors {

DialogAnswer ScriptedDialog::show(const DialogRequest& request) {
    shown_.push_back(request);
    if (whileShown_) whileShown_();
    if (script_.empty()) return fallback_;
    DialogAnswer answer = script_.front();
    script_.pop_front();
    return answer;
}

}  // namespace errors
