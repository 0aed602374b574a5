// Message boxes: the one interface through which every box is shown
// (_ALERT and its wrappers MSGINFO, MSGSTOP, ...), a console implementation
// for runs without windows and a recording one for tests. The window toolkit
// installs its own implementation with setAlertUi().
#pragma once

#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace runtime {

// Icon kinds of a box; any other number is taken as kStop.
constexpr int kAlertStop = 1;         // hand icon
constexpr int kAlertQuestion = 2;     // question icon
constexpr int kAlertExclamation = 3;  // exclamation icon
constexpr int kAlertInformation = 4;  // asterisk icon

// One box to show. message is already normalised: "\n\r" became "\r\n" and
// every ";" became "\r\n". buttons are the captions in order ("&" marks the
// accelerator); with timeoutSeconds > 0 the box closes itself after that
// many seconds (its only button is "&Aceptar").
struct AlertRequest {
    std::string message;
    std::vector<std::string> buttons;
    int timeoutSeconds = 0;
    std::string title;
    int kind = kAlertStop;
};

// Shows a box and waits for the answer: the 1-based number of the button
// pressed, 0 when the box was closed without one (or timed out). show() is
// never called with an empty button list.
class AlertUi {
public:
    virtual ~AlertUi() = default;
    virtual int show(const AlertRequest& request) = 0;
};

// Installs ui as the box for every later call; nullptr puts the console box
// back. Returns the one installed before. The caller keeps ownership and
// must keep ui alive while it is installed.
AlertUi* setAlertUi(AlertUi* ui);
AlertUi& alertUi();

// Installs a box for the lifetime of the guard, then restores the old one.
class ScopedAlertUi {
public:
    explicit ScopedAlertUi(AlertUi& ui) : previous_(setAlertUi(&ui)) {}
    ~ScopedAlertUi() { setAlertUi(previous_); }
    ScopedAlertUi(const ScopedAlertUi&) = delete;
    ScopedAlertUi& operator=(const ScopedAlertUi&) = delete;

private:
    AlertUi* previous_;
};

// The box of a non-interactive run: writes the title, the message and the
// captions to standard error (or `out`) in the console's encoding and
// answers without waiting:
//   - a box that closes itself after some seconds: 0 (as if it timed out);
//   - a question box (kind 2): the button that neither waits nor risks
//     anything: the one captioned "No" or "Cancelar" (ignoring "&" and
//     case), else the last button;
//   - every other box: the first button.
class ConsoleAlertUi : public AlertUi {
public:
    explicit ConsoleAlertUi(std::FILE* out = nullptr) : out_(out) {}  // not owned
    int show(const AlertRequest& request) override;
    // The answer show() gives, without printing anything.
    static int answerFor(const AlertRequest& request);

private:
    std::FILE* out_;  // standard error when null
};

// For tests: records every box and answers from a queue of answers, then
// with defaultAnswer once the queue is empty.
class RecordingAlertUi : public AlertUi {
public:
    int show(const AlertRequest& request) override;
    std::vector<AlertRequest> shown;
    std::deque<int> answers;
    int defaultAnswer = 1;
};

// Normalises line breaks as a box shows them: "\n\r" -> "\r\n", ";" -> "\r\n".
std::string normalizeAlertMessage(std::string_view message);

// _ALERT(cMessage, aButtons, cTitle, nKind) -> number.
//   cMessage: text, default " " (other types are converted with CVALTOCHAR);
//   aButtons: array of captions, default {"&Aceptar"}; at most five are
//             shown; an empty array shows no box and returns 0; a number N
//             shows "&Aceptar" and closes itself after N seconds;
//   cTitle:   default "Atención";
//   nKind:    default 2 when more than one caption is given, else 1.
// Returns the button number, 0 when closed without one.
int _ALERT(const Value& message = {}, const Value& buttons = {}, const Value& title = {},
           const Value& kind = {});

// The wrappers. Messages of any type are turned into text (CVALTOCHAR).
// Console answers (ConsoleAlertUi): MSGINFO/MSGSTOP/MSGALERT press their
// one button; MSGYESNO answers "&No" (false); MSGNOYES answers "&No"
// (true: the first button); MSGRETRYCANCEL answers "Cancelar" (false).
void MSGINFO(const Value& message = {}, const Value& title = {});   // kind 4, "Información"
int MSGSTOP(const Value& message = {}, const Value& title = {});    // kind 1, "Información"
int MSGALERT(const Value& message = {}, const Value& title = {});   // kind 3, "Información"
bool MSGYESNO(const Value& message = {}, const Value& title = {});  // "&Sí","&No"; "Información"
bool MSGNOYES(const Value& message = {}, const Value& title = {});  // "&No","&Sí"; "Atención"
bool MSGRETRYCANCEL(const Value& message = {},
                    const Value& title = {});  // "&Reintentar","Cancelar"; "Atención"
// MSGDEBUG(cMessage, cTitle): an information box, each text "." when absent.
void MSGDEBUG(const Value& message = {}, const Value& title = {});

}  // namespace runtime
