// The window message box: a dialog made in memory, laid out by
// alert_layout.h with its own font, with buttons made in code.
#include "startup/dialog_font.h"
#include "toolkit/alert_box.h"
#include "toolkit/alert_layout.h"
#include "toolkit/button.h"
#include "toolkit/dialog.h"
#include "toolkit/font.h"
#include "toolkit/platform.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

constexpr UINT_PTR kCloseTimerId = 1;

struct KindLook {
    LPCSTR icon;
    UINT sound;
};

KindLook lookFor(int kind) {
    switch (kind) {
        case runtime::kAlertQuestion:
            return {IDI_QUESTION, MB_ICONQUESTION};
        case runtime::kAlertExclamation:
            return {IDI_EXCLAMATION, MB_ICONASTERISK};
        case runtime::kAlertInformation:
            return {IDI_ASTERISK, 0};
        default:
            return {IDI_HAND, MB_ICONEXCLAMATION};
    }
}

// Measures with the box's font selected into a DC of the box.
class DcMeasure : public TextMeasure {
public:
    explicit DcMeasure(HDC dc) : dc_(dc) {}
    int lineWidth(std::string_view line) const override {
        SIZE size{};
        GetTextExtentPoint32A(dc_, line.data(), static_cast<int>(line.size()), &size);
        return size.cx;
    }
    int captionWidth(std::string_view caption) const override {
        RECT r{0, 0, 0, 0};
        DrawTextA(dc_, caption.data(), static_cast<int>(caption.size()), &r,
                  DT_CALCRECT | DT_SINGLELINE);
        return r.right - r.left;
    }
    int wrappedHeight(std::string_view text, int width) const override {
        RECT r{0, 0, width, 0};
        DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return r.bottom - r.top;
    }

private:
    HDC dc_;
};

// One box on the screen: the dialog, what it shows and what was pressed.
class AlertDialog : public TDialog {
public:
    AlertDialog(const runtime::AlertRequest& request, std::shared_ptr<TFont> font, HICON icon)
        : request_(request), font_(std::move(font)), icon_(icon) {}

    void run() {
        DialogNew args;
        args.cCaption = request_.title;
        args.lPixels = true;
        args.nBottom = 100;
        args.nRight = 300;
        args.oFont = font_;
        initFrom(args);
        lHelpIcon = false;
        DialogActivate activate;
        activate.bInit = [this](TWindow&) { return Value(layOut()); };
        activate.bPainted = [this](HDC dc, const PAINTSTRUCT&, TWindow&) {
            paintMessage(dc);
            return Value();
        };
        Activate(activate);
    }

    int result() const { return result_; }

    Value Timer(WPARAM nTimerId, LPARAM lParam) override {
        if (nTimerId != kCloseTimerId) return TDialog::Timer(nTimerId, lParam);
        timer_.kill();
        End();
        return Value(0);
    }

private:
    // Steps of the layout, at the box's initialisation; the answer tells
    // the dialog manager whether to choose the focus itself.
    bool layOut() {
        MessageBeep(lookFor(request_.kind).sound);
        {
            WindowDC dc(hWnd);
            SelectedObject selected(dc.get(), font_->hFont);
            TEXTMETRICA tm{};
            GetTextMetricsA(dc.get(), &tm);
            layout_ = layoutAlert(request_.message, request_.buttons, tm.tmHeight,
                                  GetSystemMetrics(SM_CYCAPTION), DcMeasure(dc.get()));
        }
        SetWindowPos(hWnd, nullptr, 0, 0, layout_.width, layout_.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        WNDCENTER(hWnd);
        std::shared_ptr<TButton> first;
        for (size_t i = 0; i < layout_.buttons.size(); ++i) {
            const Rect& r = layout_.buttons[i];
            ButtonNew b;
            b.nTop = r.top;
            b.nLeft = r.left;
            b.nWidth = r.width();
            b.nHeight = r.height();
            b.cCaption = request_.buttons[i];
            b.oWnd = shared_from_this();
            b.oFont = font_;
            b.lDefault = i == 0;
            const int number = static_cast<int>(i) + 1;
            b.bAction = [this, number](TWindow&) {
                result_ = number;
                timer_.kill();
                End();
                return Value();
            };
            auto button = TButton::New(b);
            if (!first) first = button;
        }
        if (first) SendMessageA(hWnd, DM_SETDEFID, static_cast<WPARAM>(first->nId), 0);
        if (request_.timeoutSeconds > 0)
            timer_.start(hWnd, kCloseTimerId, static_cast<UINT>(request_.timeoutSeconds) * 1000u);
        if (layout_.buttons.size() == 1 && first) {
            SetFocus(first->hWnd);
            return false;
        }
        return true;
    }

    void paintMessage(HDC dc) {
        if (!dc) return;
        SelectedObject selected(dc, font_->hFont);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, nClrText);
        RECT r{layout_.text.left, layout_.text.top, layout_.text.right, layout_.text.bottom};
        DrawTextA(dc, request_.message.c_str(), static_cast<int>(request_.message.size()), &r,
                  DT_WORDBREAK | DT_NOPREFIX);
        if (icon_) DrawIcon(dc, layout_.iconLeft, layout_.iconTop, icon_);
    }

    const runtime::AlertRequest& request_;
    std::shared_ptr<TFont> font_;
    HICON icon_;
    AlertLayout layout_;
    WindowTimer timer_;
    int result_ = 0;
};

}  // namespace

int WindowAlertUi::show(const runtime::AlertRequest& request) {
    FontNew args;
    args.cFaceName = kAlertFontFace;
    args.nWidth = startup::NFONTVSIZE();
    args.nHeight = startup::NFONTHSIZE();
    std::shared_ptr<TFont> font = TFont::New(args);
    OwnedIcon icon(CopyIcon(LoadIconA(nullptr, lookFor(request.kind).icon)));
    struct FontRelease {
        std::shared_ptr<TFont>& font;
        ~FontRelease() { font->End(); }
    } release{font};
    auto box = std::make_shared<AlertDialog>(request, font, icon.get());
    box->run();
    return box->result();
}

}  // namespace toolkit
