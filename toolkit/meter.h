// TMeter: a horizontal progress bar with an optional caption and a
// percentage, centred over the whole control. The value is not kept by the
// meter: it lives in the caller's variable, reached through the accessor
// block bSetGet (no argument: read; one argument: store).
//
// A dialog template places a meter as a custom control of class "TMETER";
// the class is registered by ReDefine and New.
#pragma once

#include <optional>
#include <string>

#include "toolkit/control.h"

namespace toolkit {

// The caption that counts as none: one zero byte.
inline const std::string kNoMeterCaption(1, '\0');

// The arguments of TMeter::ReDefine. Fill member by member.
struct MeterRedefine {
    int nId = 0;
    runtime::Block bSetGet;
    double nTotal = 10;
    std::shared_ptr<TWindow> oWnd;  // default: the default window
    bool lUpdate = false;
    std::shared_ptr<TFont> oFont;  // default: the owner's font
    std::string cText = kNoMeterCaption;
    bool lNoPercentage = false;
    std::optional<COLORREF> nClrPane;  // default: the owner's pane colour
    std::optional<COLORREF> nClrText;  // default: the owner's text colour
    COLORREF nClrBar = 0xFF0000;
    COLORREF nClrBText = 0xFFFFFF;
};

// The arguments of TMeter::New. Position in rows (14 pixels) and columns
// (8 pixels) unless lPixel.
struct MeterNew {
    int nRow = 0, nCol = 0;
    runtime::Block bSetGet;
    double nTotal = 10;
    std::shared_ptr<TWindow> oWnd;  // default: the default window
    int nWidth = 300, nHeight = 20;
    bool lPixel = false;
    std::shared_ptr<TFont> oFont;
    std::string cText = kNoMeterCaption;
    bool lNoPercentage = false;
    std::optional<COLORREF> nClrPane, nClrText;
    COLORREF nClrBar = 0xFF0000;
    COLORREF nClrBText = 0xFFFFFF;
    bool lDesign = false;  // design mode: clip siblings, tab stop
};

class TMeter : public TControl {
public:
    static const ClassInfo kClass;
    const ClassInfo& classInfo() const override { return kClass; }

    // `into`, when given, is the object to fill (a subclass's); otherwise a
    // new TMeter is made.
    static std::shared_ptr<TMeter> ReDefine(const MeterRedefine& a,
                                            std::shared_ptr<TMeter> into = nullptr);
    // Creates the window at once when the owner has one (error 6 and
    // nullptr when it cannot be made); otherwise records the meter with the
    // owner's DefControl, to be bound when the dialog initialises.
    static std::shared_ptr<TMeter> New(const MeterNew& a, std::shared_ptr<TMeter> into = nullptr);

    double nTotal = 10;             // the value that means 100 %
    double nRefresh = 0;            // sum of the percentages that repainted in Set
    COLORREF nClrBar = 0xFF0000;    // filled part's background
    COLORREF nClrBText = 0xFFFFFF;  // text over the filled part
    std::string cText = kNoMeterCaption;
    bool lPercentage = true;

    bool Initiate(HWND hDlg) override;
    // Stores 0 through the accessor when it yields nothing, takes the
    // owner's font when the meter has none of its own, grows the window
    // when it is lower than that font's cell and its frame (the caption
    // would lose the accents of its capitals), and sets the colours
    // (nClrText, nClrPane), which also makes the erase brush.
    void Default();
    Value Display() override;  // WM_PAINT: begin, Paint, end; answers 0
    Value Paint() override;    // METERPAINT with the accessor's value
    Value EraseBkGnd(HDC hDCErase) override;
    // Clamps the value (or the accessor's current one) to 0..nTotal, stores
    // it, and repaints through the pump only when it is at least one
    // hundredth of the total.
    void Set(std::optional<double> nValue = std::nullopt);
    void SetTotal(double nNewTotal);

    // The value the accessor yields (0 when it yields no number).
    double value() const;

private:
    bool ownFont_ = false;  // a font was given to ReDefine/New
    void store(const MeterRedefine& a, const std::shared_ptr<TWindow>& owner);
    void fitToFont();
};

// METERPAINT: paints a meter into hDC from the values given (nValue and
// nTotal are accepted but not used): the filled part with the text in the
// bar colours, a sunken frame, and the empty part with the text in the pane
// colours. hFont 0: the DC's font. Returns 0.
int METERPAINT(HWND hWnd, HDC hDC, double nValue, double nTotal, double nPercent,
               const std::string& cText, bool lPercentage, COLORREF nClrPane, COLORREF nClrText,
               COLORREF nClrBar, COLORREF nClrBText, HFONT hFont);

}  // namespace toolkit
