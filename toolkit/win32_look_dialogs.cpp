// The dialogs "Colores" and "Estilo de listas".
#include <windows.h>

// After <windows.h>, which it needs.
#include <commdlg.h>

#include <cmath>

#include "os/fs.h"
#include "resources/look_dialogs_ids.h"
#include "startup/settings_record.h"
#include "toolkit/browse.h"
#include "toolkit/brush.h"
#include "toolkit/dialog.h"
#include "toolkit/look_dialogs.h"
#include "toolkit/look_tables.h"
#include "toolkit/pump.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

// Asks the user for a colour starting from `colour`; false when cancelled.
bool chooseColour(HWND owner, Colour& colour) {
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = colour;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&cc)) return false;
    colour = cc.rgbResult;
    return true;
}

// Asks for a font; `colour`, when given, is edited with it.
bool chooseFont(HWND owner, UserFont& font, Colour* colour) {
    LOGFONTA lf{};
    lstrcpynA(lf.lfFaceName, font.cFaceName.c_str(), LF_FACESIZE);
    lf.lfHeight = font.nHeight;
    lf.lfWidth = static_cast<LONG>(font.nWidth);
    lf.lfWeight = font.lBold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.lItalic;
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | (colour ? CF_EFFECTS : 0);
    cf.rgbColors = colour ? *colour : 0;
    if (!ChooseFontA(&cf)) return false;
    font = UserFont{lf.lfFaceName, -std::fabs(static_cast<double>(lf.lfWidth)),
                    -std::abs(static_cast<int>(lf.lfHeight)), lf.lfWeight >= FW_BOLD,
                    lf.lfItalic != 0};
    if (colour) *colour = cf.rgbColors;
    return true;
}

int screenPixelsPerInch() {
    WindowDC dc(nullptr);
    return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

// A dialog that paints some items in colours of its own: swatches, sample
// fields and labels. Brushes are made per paint and kept until the next.
class SwatchDialog : public TDialog {
public:
    Value CtlColor(HWND hWndCtl, HDC hDCCtl) override {
        const int id = GetDlgCtrlID(hWndCtl);
        Colour text = 0, back = 0;
        if (!coloursOf(id, text, back)) return TDialog::CtlColor(hWndCtl, hDCCtl);
        SetTextColor(hDCCtl, text);
        SetBkColor(hDCCtl, back);
        brushes_.emplace_back(CreateSolidBrush(back));
        if (brushes_.size() > 32) brushes_.erase(brushes_.begin());
        return handleValue(brushes_.back().get());
    }
    // The colours of an item painted by the dialog itself; false for others.
    virtual bool coloursOf(int id, Colour& text, Colour& back) const = 0;

protected:
    void repaintItems() {
        if (hWnd)
            RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }

private:
    std::vector<GdiObject> brushes_;
};

// ---- Estilo de listas --------------------------------------------------------

struct ColourButton {
    int button;
    int swatch;
    Colour LookValues::*value;
};

constexpr ColourButton kBrowseColours[] = {
    {IDC_CB_LINE, 240, &LookValues::clrLine},     {IDC_CB_FOREHD, 241, &LookValues::clrForeHd},
    {IDC_CB_BACKHD, 242, &LookValues::clrBackHd}, {IDC_CB_TEXT, 243, &LookValues::clrText},
    {IDC_CB_PANE, 244, &LookValues::clrPane},     {IDC_CB_TFOCUS, 245, &LookValues::clrTFocus},
    {IDC_CB_PFOCUS, 246, &LookValues::clrPFocus}, {IDC_CB_TROW1, 247, &LookValues::clrTRow1},
    {IDC_CB_PROW1, 248, &LookValues::clrPRow1},   {IDC_CB_TROW2, 249, &LookValues::clrTRow2},
    {IDC_CB_PROW2, 250, &LookValues::clrPRow2},
};

class ConfigBrwDialog : public SwatchDialog {
public:
    LookValues values = currentLookValues();

    bool coloursOf(int id, Colour& text, Colour& back) const override {
        for (const ColourButton& c : kBrowseColours)
            if (c.swatch == id) {
                text = back = values.*c.value;
                return true;
            }
        return false;
    }
    // At WM_INITDIALOG (the dialog's bInit).
    void setUp(HWND hDlg) {
        const int radio = values.lineStyle == 4   ? IDC_CB_DOTTED
                          : values.lineStyle == 5 ? IDC_CB_SOLID
                                                  : IDC_CB_NOLINES;
        CheckRadioButton(hDlg, IDC_CB_NOLINES, IDC_CB_SOLID, radio);
        CheckDlgButton(hDlg, IDC_CB_ALTER, values.alterClr ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hDlg, IDC_CB_CLASSIC, values.classLook ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemInt(hDlg, IDC_CB_HLINE, static_cast<UINT>(values.hLine), FALSE);
        SendDlgItemMessageA(hDlg, IDC_CB_HLINE, EM_LIMITTEXT, 2, 0);  // picture "99"
    }
    Value Command(WPARAM wParam, LPARAM lParam) override {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) == BN_CLICKED) {
            for (const ColourButton& c : kBrowseColours)
                if (c.button == id) {
                    if (chooseColour(hWnd, values.*c.value)) repaintItems();
                    return Value(0);
                }
            if (id == IDOK) collect();
        }
        return TDialog::Command(wParam, lParam);
    }

private:
    void collect() {
        values.lineStyle = IsDlgButtonChecked(hWnd, IDC_CB_DOTTED) == BST_CHECKED  ? 4
                           : IsDlgButtonChecked(hWnd, IDC_CB_SOLID) == BST_CHECKED ? 5
                                                                                   : 0;
        values.alterClr = IsDlgButtonChecked(hWnd, IDC_CB_ALTER) == BST_CHECKED;
        values.classLook = IsDlgButtonChecked(hWnd, IDC_CB_CLASSIC) == BST_CHECKED;
        BOOL ok = FALSE;
        const UINT h = GetDlgItemInt(hWnd, IDC_CB_HLINE, &ok, FALSE);
        if (ok) values.hLine = static_cast<int>(std::min<UINT>(h, 40));
    }
};

// ---- Colores -------------------------------------------------------------------

constexpr ColourButton kScreenColours[] = {
    {IDC_CL_DESKTOP, IDC_CL_DESKTOP_SWATCH, &LookValues::desktop},
    {IDC_CL_ENA1, 0, &LookValues::enable1},
    {IDC_CL_ENA2, 0, &LookValues::enable2},
    {IDC_CL_DISA1, 0, &LookValues::disable1},
    {IDC_CL_DISA2, 0, &LookValues::disable2},
    {IDC_CL_SAY, 0, &LookValues::say},
};

struct ListFontButton {
    int button;
    int LookValues::*number;
    Colour LookValues::*colour;
};

constexpr ListFontButton kListFonts[] = {
    {IDC_CL_FTITULO, &LookValues::titulo, &LookValues::clrTitulo},
    {IDC_CL_FLINEA, &LookValues::linea, &LookValues::clrLinea},
    {IDC_CL_FSTOTAL, &LookValues::sTotal, &LookValues::clrSTotal},
    {IDC_CL_FTOTAL, &LookValues::total, &LookValues::clrTotal},
};

constexpr int kSampleRows = 7;

class ColoresDialog : public SwatchDialog {
public:
    LookValues values = currentLookValues();
    std::shared_ptr<TWBrowse> sample;
    int sampleRow = 1;  // the sample browse's current row

    void makeSample(const std::shared_ptr<TDialog>& self) {
        BrowseRedefine b;
        b.nId = IDC_CL_BROWSE;
        b.oWnd = self;
        b.cAlias = "";
        b.aHeaders = {"Campo1", "Campo2", "Campo3"};
        b.aColSizes = {70, 70, 70};
        b.bLine = runtime::Block([](std::span<const Value>) {
            return Value::newArray({Value("Dato1"), Value("Dato2"), Value("Dato3")});
        });
        sample = TWBrowse::ReDefine(b);
        // Seven rows of sample data instead of a work area.
        sample->bLogicLen = [] { return uint32_t{kSampleRows}; };
        sample->bGoTop = [this] { sampleRow = 1; };
        sample->bGoBottom = [this] { sampleRow = kSampleRows; };
        sample->bSkip = [this](int64_t n) {
            const int64_t to = std::clamp<int64_t>(sampleRow + n, 1, kSampleRows);
            const int64_t moved = to - sampleRow;
            sampleRow = static_cast<int>(to);
            return moved;
        };
        sample->nLen = kSampleRows;
    }
    bool coloursOf(int id, Colour& text, Colour& back) const override {
        switch (id) {
            case IDC_CL_DESKTOP_SWATCH:
                text = back = values.desktop;
                return true;
            case IDC_CL_ACTIVE_SAMPLE:
                text = values.enable1;
                back = values.enable2;
                return true;
            case IDC_CL_INACTIVE_SAMPLE:
                text = values.disable1;
                back = values.disable2;
                return true;
            case IDC_CL_SAY_SAMPLE:
                text = values.say;
                back = nClrPane.value_or(0xCAD3D7);
                return true;
            default:
                return false;
        }
    }
    // At WM_INITDIALOG (the dialog's bInit).
    void setUp(HWND hDlg) {
        SetDlgItemTextA(hDlg, IDC_CL_ACTIVE_SAMPLE, "Campo activo");
        SetDlgItemTextA(hDlg, IDC_CL_INACTIVE_SAMPLE, "Campo inactivo");
        const bool fonts = os::fileExists(startup::CPATHINFORME().value_or("") + "Fonts.dbf");
        for (const ListFontButton& f : kListFonts) EnableWindow(GetDlgItem(hDlg, f.button), fonts);
        showFontSample();
    }
    Value Command(WPARAM wParam, LPARAM lParam) override {
        if (HIWORD(wParam) == BN_CLICKED && clicked(LOWORD(wParam))) return Value(0);
        return TDialog::Command(wParam, lParam);
    }

private:
    bool clicked(int id) {
        for (const ColourButton& c : kScreenColours)
            if (c.button == id) {
                if (chooseColour(hWnd, values.*c.value)) repaintItems();
                return true;
            }
        for (const ListFontButton& f : kListFonts)
            if (f.button == id) {
                UserFont face = values.font;
                chooseFont(hWnd, face, &(values.*f.colour));
                return true;
            }
        switch (id) {
            case IDC_CL_SCREENFONT:
                if (chooseFont(hWnd, values.font, nullptr)) showFontSample();
                return true;
            case IDC_CL_CONFIGBRW:
                if (CONFIGBRW()) takeBrowseLook();
                return true;
            case IDC_CL_REST_COLORS:
                restoreDefaultValues(values);
                applyBrowseLook(values);
                takeBrowseLook();
                return true;
            case IDC_CL_REST_FONTS:
                for (const ListFontButton& f : kListFonts) {
                    values.*f.number = 1;
                    values.*f.colour = 0;
                }
                return true;
            case IDC_CL_REST_BROWSE:
                NLINESTYLE(5);
                NXCLRLINE(6842472);
                takeBrowseLook();
                return true;
            case IDC_CL_HELP:
                PostMessageA(hWnd, WM_KEYDOWN, VK_F1, 0);
                return true;
            default:
                return false;
        }
    }
    // The browse settings live in the accessors: the working copy and the
    // sample take them from there.
    void takeBrowseLook() {
        copyBrowsePart(values, currentLookValues());
        if (sample) {
            sample->LoadLook();
            sample->Refresh();
        }
        repaintItems();
    }
    void showFontSample() {
        if (hWnd)
            SetDlgItemTextA(hWnd, IDC_CL_FONT_SAMPLE,
                            fontSampleText(values.font, screenPixelsPerInch()).c_str());
    }
};

template <class D>
std::shared_ptr<D> templateDialog(int id, const std::string& caption) {
    auto d = std::make_shared<D>();
    DialogNew args;
    args.cResName = Value(id);
    args.cCaption = caption;
    args.nHelpId = 999000005;
    d->initFrom(args);
    return d;
}

// Runs the dialog modally with its setUp at initialisation.
template <class D>
void run(const std::shared_ptr<D>& d) {
    DialogActivate a;
    a.lCentered = true;
    D* raw = d.get();  // the dialog holds its hook: no owning capture
    a.bInit = [raw](TWindow& w) {
        raw->setUp(w.hWnd);
        return Value(true);
    };
    d->Activate(a);
}

}  // namespace

std::string fontSampleText(const UserFont& f, int nPixelsPerInch) {
    const int points = static_cast<int>(NSIZE(f.nHeight, nPixelsPerInch));
    std::string s = f.cFaceName + ", " + std::to_string(points) + "\n\r";
    if (f.lBold) s += "Negrita ";
    if (f.lItalic) s += "Cursiva";
    return s;
}

std::shared_ptr<TFont> OUSERFONT(std::optional<UserFont> aFont, bool lCreate) {
    const auto stored = userFontDescription(std::move(aFont));
    if (!lCreate || !stored) return nullptr;
    const UserFont f = userFontForCreation(*stored);
    FontNew args;
    args.cFaceName = f.cFaceName;
    args.nWidth = static_cast<int>(f.nWidth);
    args.nHeight = f.nHeight;
    args.lBold = f.lBold;
    args.lItalic = f.lItalic;
    return TFont::New(args);
}

bool CONFIGBRW() {
    auto d = templateDialog<ConfigBrwDialog>(IDD_CONFIGBRW, "Estilo de listas");
    run(d);
    const bool accepted = d->nResult.numOr(0) == IDOK;
    if (accepted) applyBrowseLook(d->values);
    return accepted;
}

bool COLORES() {
    CARGACOLORES();
    auto d = templateDialog<ColoresDialog>(IDD_COLORES, "Colores");
    d->makeSample(d);
    run(d);
    const bool accepted = d->nResult.numOr(0) == IDOK;
    if (accepted) SAVECOLORS(d->values);
    // Whichever way it closed: the main window takes the desktop colour and
    // every setting is read again, dropping what was not accepted.
    if (HWND main = mainWindowHandle()) InvalidateRect(main, nullptr, TRUE);
    CARGACOLORES();
    return accepted;
}

}  // namespace toolkit
