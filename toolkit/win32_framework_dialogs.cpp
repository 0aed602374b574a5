// The lock question, the delete confirmation, the integrity check's
// confirmation, the working-date dialog and its date picker.
#include "toolkit/framework_dialogs.h"

// After <windows.h>, which the header above includes.
#include <commctrl.h>

#include <algorithm>

#include "runtime/dates.h"
#include "startup/dialog_font.h"
#include "toolkit/bitmap.h"
#include "toolkit/button.h"
#include "toolkit/date_field.h"
#include "toolkit/dialog.h"
#include "toolkit/dialog_template.h"
#include "toolkit/font.h"
#include "toolkit/platform.h"
#include "toolkit/say.h"

namespace toolkit {
namespace {

constexpr int kDateEditId = 101, kCalendarId = 102, kAcceptId = 103, kCancelId = 104;
constexpr int kPickerId = 101, kPickerOkId = 102, kPickerCancelId = 103;
constexpr int kDateFieldWidth = 46;  // dialog units: "dd-mm-yyyy" with its margins

// The id the dialog ended with when it is one of the ids, else 0 (closed
// without a button, or by Escape).
int endedWith(const TDialog& d, const std::vector<int>& ids) {
    const int r = static_cast<int>(d.nResult.numOr(0));
    for (int id : ids)
        if (id == r) return r;
    return 0;
}

// The working-date dialog: draws its calendar button (a picture on a push
// button) and opens the picker from it.
class DateDialog : public TDialog {
public:
    std::string pickerTitle;
    Value DrawItem(WPARAM, LPARAM lParam) override {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!di || static_cast<int>(di->CtlID) != kCalendarId) return {};
        RECT r = di->rcItem;
        const bool pushed = (di->itemState & ODS_SELECTED) != 0;
        DrawFrameControl(di->hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        if (HBITMAP bmp = RegBmp(Value("lupaDate"))) {
            const SIZE s = bitmapSize(bmp);
            DRAWMASKED(di->hDC, bmp, (r.top + r.bottom - s.cy) / 2 + pushed,
                       (r.left + r.right - s.cx) / 2 + pushed);
            DelBmp(bmp);
        }
        return Value(1);
    }
    Value Command(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kCalendarId && HIWORD(wParam) == BN_CLICKED) {
            pick();
            return Value(0);
        }
        if (LOWORD(wParam) == kAcceptId && HIWORD(wParam) == BN_CLICKED) {
            edited = dateFromField(fieldText());
            End(kAcceptId);
            return Value(0);
        }
        if (LOWORD(wParam) == kCancelId && HIWORD(wParam) == BN_CLICKED) {
            End(kCancelId);
            return Value(0);
        }
        return TDialog::Command(wParam, lParam);
    }
    runtime::Date edited;

private:
    std::string fieldText() const {
        char text[32] = {};
        GetDlgItemTextA(hWnd, kDateEditId, text, sizeof text);
        return text;
    }
    void pick() {
        const runtime::Date from = dateFromField(fieldText());
        if (auto d = KW_MSGDATE(from, pickerTitle))
            SetDlgItemTextA(hWnd, kDateEditId, dateFieldText(*d).c_str());
    }
};

DialogTemplate dateTemplate(const startup::WorkingDateLayout& l, runtime::Date date) {
    using Kind = startup::DateDialogItem::Kind;
    DialogTemplate t;
    t.caption = l.caption;
    t.fontFace = startup::CFONTNAME();
    t.fontPoints = pointsOfHeight(startup::NFONTHSIZE());
    t.cx = 120;
    t.cy = 56;
    // The date field is made wide enough for its ten characters in the
    // dialog's font, and the calendar button kept clear of it.
    int fieldEnd = 0;
    for (const startup::DateDialogItem& i : l.items) {
        TemplateItem item{-1, "STATIC", i.text, SS_LEFT, i.col, i.row, i.width, i.height};
        switch (i.kind) {
            case Kind::kLabel:
                item.id = 100;
                break;
            case Kind::kDateEdit:
                item = {kDateEditId,
                        "EDIT",
                        dateFieldText(date),
                        WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                        i.col,
                        i.row,
                        std::max(i.width, kDateFieldWidth),
                        i.height};
                fieldEnd = item.x + item.cx;
                break;
            case Kind::kCalendarButton:
                item = {kCalendarId,
                        "BUTTON",
                        "",
                        WS_TABSTOP | BS_OWNERDRAW,
                        std::max(i.col, fieldEnd + 2),
                        i.row,
                        i.width,
                        i.height};
                break;
            case Kind::kAcceptButton:
                item = {kAcceptId, "BUTTON", i.text,  WS_TABSTOP | BS_DEFPUSHBUTTON,
                        i.col,     i.row,    i.width, i.height};
                break;
            case Kind::kCancelButton:
                item = {kCancelId, "BUTTON", i.text,  WS_TABSTOP | BS_PUSHBUTTON,
                        i.col,     i.row,    i.width, i.height};
                break;
        }
        t.items.push_back(item);
    }
    return t;
}

// The picker: a month calendar with its two buttons.
class PickerDialog : public TDialog {
public:
    runtime::Date chosen;
    Value Command(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kPickerOkId && HIWORD(wParam) == BN_CLICKED) {
            SYSTEMTIME st{};
            if (MonthCal_GetCurSel(GetDlgItem(hWnd, kPickerId), &st))
                chosen = runtime::makeDate(st.wYear, st.wMonth, st.wDay);
            End(kPickerOkId);
            return Value(0);
        }
        if (LOWORD(wParam) == kPickerCancelId && HIWORD(wParam) == BN_CLICKED) {
            End(kPickerCancelId);
            return Value(0);
        }
        return TDialog::Command(wParam, lParam);
    }
};

}  // namespace

int WindowDialogUi::run(const tables::DialogLayout& def) {
    DialogNew d;
    d.cResName = Value(def.resourceId);
    d.nHelpId = def.helpId;
    const auto font = defaultDialogFont();
    if (def.defaultFont) d.oFont = font;
    const auto dialog = TDialog::New(d);
    const auto lineFont = def.boldLines ? defaultDialogFont(true, def.lineHeightDelta) : nullptr;
    for (const tables::DialogLine& line : def.lines) {
        SayRedefine s;
        s.nId = line.id;
        s.bGet = [text = line.text] { return Value(text); };
        s.oWnd = dialog;
        s.nClrText = line.color;
        s.oFont = lineFont;
        TSay::ReDefine(s);
    }
    if (def.bitmapId != 0) {
        BitmapRedefine b;
        b.nId = def.bitmapId;
        b.cResName = def.bitmap;
        b.oWnd = dialog;
        b.lTransparent = true;
        TBitmap::ReDefine(b);
    }
    std::vector<int> ids;
    for (const tables::DialogButton& b : def.buttons) {
        bindEndingButton(dialog, b.id);
        ids.push_back(b.id);
    }
    DialogActivate a;
    a.lCentered = true;
    a.bInit = [&def](TWindow& w) {
        for (const tables::DialogButton& b : def.buttons)
            SetDlgItemTextA(w.hWnd, b.id, b.caption.c_str());
        return Value();
    };
    dialog->Activate(a);
    if (lineFont) lineFont->End();
    font->End();
    return endedWith(*dialog, ids);
}

std::optional<runtime::Date> WindowWorkingDateUi::run(startup::WindowRef parent,
                                                      const startup::WorkingDateLayout& layout,
                                                      runtime::Date date) {
    const auto font = defaultDialogFont();
    DialogNew d;
    d.nTop = layout.top;
    d.nLeft = layout.left;
    d.nBottom = layout.bottom;
    d.nRight = layout.right;
    d.lPixels = true;
    d.nHelpId = static_cast<int>(layout.helpId);
    d.oFont = font;
    if (parent)
        d.oWnd = const_cast<TWindow*>(static_cast<const TWindow*>(parent))->weak_from_this().lock();
    auto dialog = std::make_shared<DateDialog>();
    dialog->initFrom(d);
    dialog->pickerTitle = layout.calendarTitle;
    dialog->cResData = templateBytes(dateTemplate(layout, date));
    SayRedefine label;
    label.nId = 100;
    label.bGet = [text = layout.items.empty() ? std::string() : layout.items.front().text] {
        return Value(text);
    };
    label.oWnd = dialog;
    label.nClrText = layout.labelColor;
    TSay::ReDefine(label);
    DialogActivate a;
    a.bInit = [&layout](TWindow& w) {
        SendDlgItemMessageA(w.hWnd, kDateEditId, EM_LIMITTEXT, 10, 0);  // picture "99-99-9999"
        SetWindowPos(w.hWnd, nullptr, layout.left, layout.top, layout.right - layout.left,
                     layout.bottom - layout.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return Value();
    };
    dialog->Activate(a);
    font->End();
    if (endedWith(*dialog, {kAcceptId}) == 0) return std::nullopt;
    return dialog->edited;
}

std::optional<runtime::Date> KW_MSGDATE(runtime::Date dDate, const std::string& cTitle) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    DialogTemplate t;
    t.caption = cTitle;
    t.fontFace = startup::CFONTNAME();
    t.fontPoints = pointsOfHeight(startup::NFONTHSIZE());
    t.cx = 150;
    t.cy = 136;
    t.items.push_back({kPickerId, MONTHCAL_CLASSA, "", WS_TABSTOP | WS_BORDER, 6, 6, 138, 104});
    t.items.push_back(
        {kPickerOkId, "BUTTON", "&Aceptar", WS_TABSTOP | BS_DEFPUSHBUTTON, 30, 116, 50, 14});
    t.items.push_back(
        {kPickerCancelId, "BUTTON", "&Cancelar", WS_TABSTOP | BS_PUSHBUTTON, 88, 116, 50, 14});
    auto picker = std::make_shared<PickerDialog>();
    DialogNew d;
    picker->initFrom(d);
    picker->cResData = templateBytes(t);
    DialogActivate a;
    a.lCentered = true;
    a.bInit = [dDate](TWindow& w) {
        const runtime::Date from = dDate.empty() ? runtime::DATE() : dDate;
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(runtime::YEAR(from));
        st.wMonth = static_cast<WORD>(runtime::MONTH(from));
        st.wDay = static_cast<WORD>(runtime::DAY(from));
        MonthCal_SetCurSel(GetDlgItem(w.hWnd, kPickerId), &st);
        return Value();
    };
    picker->Activate(a);
    if (endedWith(*picker, {kPickerOkId}) == 0 || picker->chosen.empty()) return std::nullopt;
    return picker->chosen;
}

}  // namespace toolkit
