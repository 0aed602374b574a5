// The two framework dialogs the table routines show (the lock question and
// the delete confirmation), described as data: resource template, font,
// text lines with their control ids and colours, bitmap, buttons. A
// DialogUi shows such a description and answers with the button pressed.
// The window toolkit installs its own DialogUi; the console one and a
// recording one for tests are here.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tables {

constexpr uint32_t kColorMaroon = 128;    // COLORREF 0x000080
constexpr uint32_t kColorNavy = 8388608;  // COLORREF 0x800000

struct DialogLine {
    int id = 0;          // text control id
    std::string text;    // Windows-1252
    uint32_t color = 0;  // COLORREF of the text
};

struct DialogButton {
    int id = 0;
    std::string caption;  // the implementer's caption ("&" marks the accelerator)
};

struct DialogLayout {
    int resourceId = 0;       // dialog template of the shared resources
    int helpId = 0;           // 0: none
    bool defaultFont = true;  // CFONTNAME()/NFONTVSIZE()/NFONTHSIZE()
    bool boldLines = false;   // the lines in the default face made bold
    int lineHeightDelta = 0;  // added to NFONTHSIZE() for the lines' font
    std::vector<DialogLine> lines;
    int bitmapId = 0;    // bitmap control id
    std::string bitmap;  // bitmap resource name shown in it
    std::vector<DialogButton> buttons;
    int unattendedButton = 0;  // what a run without a user answers
};

// Shows the dialog modally; returns the id of the button that closed it, 0
// when it was closed without a button.
class DialogUi {
public:
    virtual ~DialogUi() = default;
    virtual int run(const DialogLayout& def) = 0;
};

// Installs ui for every later dialog (nullptr: the console one). Returns the
// previous one. The caller keeps ownership.
DialogUi* setDialogUi(DialogUi* ui);
DialogUi& dialogUi();

// Writes the lines to standard error and answers def.unattendedButton
// without waiting.
class ConsoleDialogUi : public DialogUi {
public:
    int run(const DialogLayout& def) override;
};

// For tests: records every dialog, answers from the queue, then defaultAnswer.
class RecordingDialogUi : public DialogUi {
public:
    int run(const DialogLayout& def) override;
    std::vector<DialogLayout> shown;
    std::deque<int> answers;
    int defaultAnswer = 0;
};

// Lock question: template 20048, lines in 100/110/120 (maroon), bitmap 600
// "BMP_STOP", button 555 try again, 556 give up.
constexpr int kLockQuestionTemplate = 20048;
constexpr int kLockRetryButton = 555;
constexpr int kLockGiveUpButton = 556;
DialogLayout lockQuestionDialog(const std::vector<std::string>& lines);

// Delete confirmation: template 20013 (20014 in touch-screen list mode),
// help 999100000, lines 100..103, bitmap 600 "BMP_BOMBA", 552 confirms, 553 closes.
constexpr int kDeleteTemplate = 20013;
constexpr int kDeleteTouchTemplate = 20014;
constexpr int kDeleteConfirmButton = 552;
constexpr int kDeleteCancelButton = 553;
DialogLayout deleteConfirmDialog(bool touchMode);

// Integrity check confirmation: template 20200, six lines in 90..95
// (maroon, bold, height NFONTHSIZE() - 2), 400 accepts, 401 cancels.
constexpr int kIntegrityTemplate = 20200;
constexpr int kIntegrityAcceptButton = 400;
constexpr int kIntegrityCancelButton = 401;
DialogLayout integrityCheckDialog();

}  // namespace tables
