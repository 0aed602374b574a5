// An error dialog for tests: records every request it is shown and answers
// from a script (or with a fixed answer). Other layers' tests install it to
// drive the handler without a window.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "errors/error_dialog.h"

namespace errors {

class ScriptedDialog : public ErrorDialog {
public:
    explicit ScriptedDialog(DialogAnswer fallback = DialogAnswer::Exit) : fallback_(fallback) {}

    // Queues answers, used in order; when the queue is empty the fallback
    // answer is given.
    void queue(DialogAnswer answer) { script_.push_back(answer); }
    // Runs while the dialog is "up", before it answers: lets a test raise a
    // second error from inside the dialog.
    void whileShown(std::function<void()> action) { whileShown_ = std::move(action); }

    DialogAnswer show(const DialogRequest& request) override;

    const std::vector<DialogRequest>& shown() const { return shown_; }

private:
    DialogAnswer fallback_;
    std::deque<DialogAnswer> script_;
    std::function<void()> whileShown_;
    std::vector<DialogRequest> shown_;
};

}  // namespace errors
