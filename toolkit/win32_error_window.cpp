// The error dialog: made in memory, laid out in dialog units of the default
// dialog font, sized in pixels.
#include "toolkit/error_window.h"

#include <algorithm>

#include "startup/dialog_font.h"
#include "toolkit/dialog.h"
#include "toolkit/dialog_template.h"
#include "toolkit/font.h"
#include "toolkit/platform.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using errors::DialogAnswer;

constexpr int kButtonWidth = 30, kButtonHeight = 12;
constexpr int kListTop = 33, kListLeft = 3, kListWidth = 145;

int buttonId(const std::string& caption) {
    if (caption == "&Reintentar") return kErrorRetryId;
    if (caption == "&Defecto") return kErrorDefaultId;
    return kErrorExitId;
}

// The list ends above the buttons: the shorter layout's list (60 high from
// row 33) would otherwise run under its button row at 87.
int listHeight(bool ntFamily, int buttonRow) {
    return std::min(ntFamily ? 78 : 60, buttonRow - 2 - kListTop);
}

DialogTemplate errorTemplate(const errors::DialogRequest& r) {
    DialogTemplate t;
    t.caption = errors::kDialogCaption;
    t.fontFace = startup::CFONTNAME();
    t.fontPoints = pointsOfHeight(startup::NFONTHSIZE());
    t.cx = 160;
    t.cy = 130;
    t.items.push_back(
        {kErrorDescriptionId, "STATIC", r.description, SS_CENTER | SS_NOPREFIX, 22, 3, 126, 22});
    t.items.push_back({-1, "STATIC", "&Secuencias", SS_LEFT, 6, 24, 60, 8});
    t.items.push_back({-1, "STATIC", "Vea fichero Error.log", SS_LEFT, 90, 24, 80, 8});
    const auto buttons = errors::dialogButtons(r.offerRetry, r.ntFamily);
    const int row = buttons.front().top;
    t.items.push_back({kErrorListId, "LISTBOX", "",
                       WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                       kListLeft, kListTop, kListWidth, listHeight(r.ntFamily, row)});
    for (const errors::DialogButton& b : buttons)
        t.items.push_back(
            {buttonId(b.caption), "BUTTON", b.caption,
             static_cast<DWORD>(WS_TABSTOP | (b.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)),
             b.left, b.top, kButtonWidth, kButtonHeight});
    return t;
}

// Cuts the description's box to the whole lines it holds, so that a long
// description does not show half a line over the labels below it
// ("Error.log" holds all of it).
void wholeLines(HWND label) {
    RECT r{};
    GetClientRect(label, &r);
    TEXTMETRICA tm{};
    {
        WindowDC dc(label);
        SelectedObject font(dc.get(),
                            reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        GetTextMetricsA(dc.get(), &tm);
    }
    if (tm.tmHeight <= 0) return;
    const int lines = std::max<int>(1, r.bottom / tm.tmHeight);
    SetWindowPos(label, nullptr, 0, 0, r.right, lines * tm.tmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Fills the list, selects its first line, gives the window its pixel size
// and centres it.
void setUp(HWND hDlg, const errors::DialogRequest& r) {
    wholeLines(GetDlgItem(hDlg, kErrorDescriptionId));
    const HWND list = GetDlgItem(hDlg, kErrorListId);
    for (const std::string& line : r.callStack)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SetWindowPos(hDlg, nullptr, 0, 0, errors::kDialogWidth, errors::dialogHeight(r.ntFamily),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    WNDCENTER(hDlg);
}

}  // namespace

DialogAnswer WindowErrorDialog::show(const errors::DialogRequest& request) {
    const std::shared_ptr<TFont> font = defaultDialogFont();
    DialogNew d;
    d.oFont = font;
    const auto dialog = TDialog::New(d);
    dialog->cResData = templateBytes(errorTemplate(request));
    // Only the buttons the template holds are bound.
    if (request.offerRetry) bindEndingButton(dialog, kErrorRetryId);
    bindEndingButton(dialog, kErrorExitId);
    bindEndingButton(dialog, kErrorDefaultId);
    DialogActivate a;
    a.lCentered = true;
    a.bInit = [&request](TWindow& w) {
        setUp(w.hWnd, request);
        return Value();
    };
    dialog->Activate(a);
    font->End();
    switch (static_cast<int>(dialog->nResult.numOr(0))) {
        case kErrorRetryId:
            return DialogAnswer::Retry;
        case kErrorDefaultId:
            return DialogAnswer::Default;
        default:
            return DialogAnswer::Exit;
    }
}

}  // namespace toolkit
