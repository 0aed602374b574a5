// _ALERT and its wrappers, and the console and recording boxes.
#include "runtime/alert.h"

#include <cstdio>

#include "runtime/codepage.h"
#include "runtime/console_text.h"
#include "runtime/strings.h"

namespace runtime {
namespace {

constexpr size_t kMaxButtons = 5;
constexpr int kMaxTimeoutSeconds = 24 * 3600;

// A number argument as an int within [lo, hi] (NaN gives lo).
int clampToInt(double v, int lo, int hi) {
    if (!(v >= lo)) return lo;
    if (v > hi) return hi;
    return static_cast<int>(v);
}

ConsoleAlertUi& consoleUi() {
    static ConsoleAlertUi ui;
    return ui;
}

AlertUi* g_ui = nullptr;

// A caption as the user reads it: without the accelerator mark, upper case.
std::string plainCaption(std::string_view caption) {
    std::string out;
    for (char c : caption) {
        if (c != '&') out.push_back(c);
    }
    return UPPER(ALLTRIM(out));
}

std::string replaceAll(std::string s, std::string_view from, std::string_view to) {
    size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

std::string messageText(const Value& v) {
    return v.isText() ? v.text() : CVALTOCHAR(v);
}

std::string titleOr(const Value& title, std::string_view fallback) {
    return title.isText() ? title.text() : std::string(fallback);
}

// The wrappers' shared call: one box with the given captions.
int showWrapped(const Value& message, const Value& title, std::string_view defaultTitle,
                std::vector<std::string> captions, int kind) {
    Array buttons;
    for (auto& c : captions) buttons.emplace_back(std::move(c));
    return _ALERT(messageText(message), Value::newArray(std::move(buttons)),
                  titleOr(title, defaultTitle), kind);
}

}  // namespace

AlertUi* setAlertUi(AlertUi* ui) {
    AlertUi* old = &alertUi();
    g_ui = ui;
    return old == &consoleUi() ? nullptr : old;
}

AlertUi& alertUi() {
    return g_ui ? *g_ui : consoleUi();
}

int ConsoleAlertUi::answerFor(const AlertRequest& request) {
    if (request.timeoutSeconds > 0 || request.buttons.empty()) return 0;
    if (request.kind != kAlertQuestion) return 1;
    for (size_t i = 0; i < request.buttons.size(); ++i) {
        const std::string c = plainCaption(request.buttons[i]);
        if (c == "NO" || c == "CANCELAR") return static_cast<int>(i) + 1;
    }
    return static_cast<int>(request.buttons.size());
}

int ConsoleAlertUi::show(const AlertRequest& request) {
    const int answer = answerFor(request);
    std::string text =
        "[" + request.title + "] " + replaceAll(request.message, "\r\n", "\n ") + "\n ";
    for (size_t i = 0; i < request.buttons.size(); ++i) {
        const bool chosen = static_cast<int>(i) + 1 == answer;
        text += (chosen ? " (" : " [") + request.buttons[i] + (chosen ? ")" : "]");
    }
    if (request.timeoutSeconds > 0) text += " (" + std::to_string(request.timeoutSeconds) + " s)";
    text += "\n";
    consoleWrite(out_ ? out_ : stderr, text);
    std::fflush(out_ ? out_ : stderr);
    return answer;
}

int RecordingAlertUi::show(const AlertRequest& request) {
    shown.push_back(request);
    if (answers.empty()) return defaultAnswer;
    const int a = answers.front();
    answers.pop_front();
    return a;
}

std::string normalizeAlertMessage(std::string_view message) {
    return replaceAll(replaceAll(std::string(message), "\n\r", "\r\n"), ";", "\r\n");
}

int _ALERT(const Value& message, const Value& buttons, const Value& title, const Value& kind) {
    AlertRequest r;
    r.message = normalizeAlertMessage(message.isNil() ? std::string(" ") : messageText(message));
    r.title = titleOr(title, "Atenci\xF3n");
    if (buttons.isNumber()) {
        r.buttons = {"&Aceptar"};
        r.timeoutSeconds = clampToInt(buttons.num(), 1, kMaxTimeoutSeconds);
    } else if (buttons.isArray()) {
        for (const Value& b : *buttons.array()) {
            if (r.buttons.size() == kMaxButtons) break;
            r.buttons.push_back(messageText(b));
        }
        if (r.buttons.empty()) return 0;
    } else {
        r.buttons = {"&Aceptar"};
    }
    const bool several = buttons.isArray() && buttons.array()->size() > 1;
    r.kind =
        kind.isNumber() ? clampToInt(kind.num(), 0, 5) : (several ? kAlertQuestion : kAlertStop);
    if (r.kind < kAlertStop || r.kind > kAlertInformation) r.kind = kAlertStop;
    const int answer = alertUi().show(r);
    return answer >= 0 && answer <= static_cast<int>(r.buttons.size()) ? answer : 0;
}

void MSGINFO(const Value& message, const Value& title) {
    showWrapped(message, title, "Informaci\xF3n", {"Aceptar"}, kAlertInformation);
}

int MSGSTOP(const Value& message, const Value& title) {
    return showWrapped(message, title, "Informaci\xF3n", {"Aceptar"}, kAlertStop);
}

int MSGALERT(const Value& message, const Value& title) {
    return showWrapped(message, title, "Informaci\xF3n", {"Aceptar"}, kAlertExclamation);
}

bool MSGYESNO(const Value& message, const Value& title) {
    return showWrapped(message, title, "Informaci\xF3n", {"&S\xED", "&No"}, kAlertQuestion) == 1;
}

bool MSGNOYES(const Value& message, const Value& title) {
    return showWrapped(message, title, "Atenci\xF3n", {"&No", "&S\xED"}, kAlertQuestion) == 1;
}

bool MSGRETRYCANCEL(const Value& message, const Value& title) {
    return showWrapped(message, title, "Atenci\xF3n", {"&Reintentar", "Cancelar"},
                       kAlertQuestion) == 1;
}

void MSGDEBUG(const Value& message, const Value& title) {
    MSGINFO(message.isNil() ? Value(".") : message, title.isNil() ? Value(".") : title);
}

}  // namespace runtime
