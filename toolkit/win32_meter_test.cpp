// The meter on a real display: painted bars at several percentages checked
// pixel by pixel (filled and empty parts, frame, text present or not), the
// repaint rule of Set counted in paints, and a meter bound to a template.
#include <gtest/gtest.h>

#include "resources/controls_test_ids.h"
#include "toolkit/dialog.h"
#include "toolkit/font.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/meter.h"
#include "toolkit/meter_layout.h"
#include "toolkit/pump.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using runtime::Value;

constexpr COLORREF kPane = 0xC0C0C0, kText = 0x808080, kBar = 0xFF0000, kBarText = 0x00FFFF;
constexpr int kWidth = 300, kHeight = 20;

// A meter that counts its paints.
class CountingMeter : public TMeter {
public:
    Value Paint() override {
        ++paints;
        return TMeter::Paint();
    }
    int paints = 0;
};

// The meters' template, or an empty one for meters made in code (a
// template's meters need the class registered by ReDefine first).
std::shared_ptr<TDialog> meterDialog(int id = IDD_CT_PLAIN) {
    DialogNew args;
    args.cResName = Value(id);
    return TDialog::New(args);
}

// An accessor block over a variable of the test.
runtime::Block accessor(Value& slot) {
    return runtime::Block([&slot](std::span<const Value> a) {
        if (!a.empty()) slot = a[0];
        return slot;
    });
}

// The colours of the program's meters, for MeterNew or MeterRedefine.
template <class Args>
void programColours(Args& a) {
    a.nClrPane = kPane;
    a.nClrText = kText;
    a.nClrBar = kBar;
    a.nClrBText = kBarText;
}

// A 300 x 20 pixel meter with the colours of the program's meters, made in
// code on a dialog that is on the screen.
std::shared_ptr<CountingMeter> meterOn(const std::shared_ptr<TDialog>& dialog, Value& slot, int row,
                                       std::string caption = kNoMeterCaption,
                                       bool noPercentage = false) {
    MeterNew m;
    m.nRow = row;
    m.nCol = 10;
    m.lPixel = true;
    m.bSetGet = accessor(slot);
    m.nTotal = 100;
    m.oWnd = dialog;
    m.nWidth = kWidth;
    m.nHeight = kHeight;
    m.cText = std::move(caption);
    m.lNoPercentage = noPercentage;
    programColours(m);
    auto meter = std::make_shared<CountingMeter>();
    TMeter::New(m, meter);
    return meter;
}

void runDialog(const std::shared_ptr<TDialog>& dialog, std::function<void()> body) {
    bool ran = false;
    dialog->bStart = [dialog, body, &ran] {
        ran = true;
        body();
        dialog->End(1);
    };
    dialog->Activate();
    EXPECT_TRUE(ran) << "the dialog was not shown";
}

// Paints the meter afresh (erase included) and reads its pixels.
test::ClientImage paintedAt(TMeter& meter, Value& slot, double v) {
    slot = Value(v);
    RedrawWindow(meter.hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return test::clientImage(meter.hWnd);
}

// The filled part ends before column fill; the empty part starts after it.
void expectBar(const test::ClientImage& img, int fill, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(img.width, kWidth);
    ASSERT_EQ(img.height, kHeight);
    // Frame: shadow on the left and top, highlight on the right and bottom.
    EXPECT_EQ(img.at(0, kHeight / 2), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(img.at(kWidth / 2, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(img.at(kWidth - 1, kHeight / 2), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(img.at(kWidth / 2, kHeight - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    // Away from the centred text: bar colour up to fill - 1, pane after.
    if (fill > 1) {
        EXPECT_EQ(img.at(1, 2), kBar);
        EXPECT_EQ(img.at(fill - 1, 2), kBar);
    }
    if (fill < kWidth - 2) {
        EXPECT_EQ(img.at(fill + 1, 2), kPane);
        EXPECT_EQ(img.at(kWidth - 2, kHeight - 3), kPane);
    }
}

TEST(MeterTest, PaintedBarsAtZeroFiveFortyTwoAndHundredPercent) {
    auto dialog = meterDialog();
    Value slot;
    runDialog(dialog, [&] {
        auto meter = meterOn(dialog, slot, 10);
        ASSERT_NE(meter->hWnd, nullptr);
        EXPECT_EQ(slot.numOr(-1), 0) << "Default stored 0 for an empty accessor";
        const RECT inside{1, 1, kWidth - 1, kHeight - 1};

        test::ClientImage img = paintedAt(*meter, slot, 0);
        expectBar(img, 0, "0 %");
        EXPECT_EQ(img.count(inside, kBar), 0);
        EXPECT_GT(img.countOther(inside, {kPane}), 0) << "the text '  0%' is drawn";

        img = paintedAt(*meter, slot, 5);
        expectBar(img, 14, "5 %");  // (299 * 5) / 100
        EXPECT_EQ(img.at(14, 2), kPane) << "the uncovered column keeps the erase colour";

        img = paintedAt(*meter, slot, 42);
        expectBar(img, 125, "42 %");
        // " 42%" is centred, so it lies over the empty part in pane colours.
        EXPECT_GT(img.countOther(RECT{126, 1, kWidth - 1, kHeight - 1}, {kPane}), 0);
        EXPECT_EQ(img.countOther(RECT{1, 1, 125, kHeight - 1}, {kBar}), 0);
        test::saveScreenshot(dialog->hWnd, "meter_42");

        img = paintedAt(*meter, slot, 100);
        expectBar(img, 299, "100 %");
        EXPECT_EQ(img.count(RECT{1, 1, 299, kHeight - 1}, kPane), 0) << "no empty part";
        EXPECT_GT(img.countOther(RECT{1, 1, 299, kHeight - 1}, {kBar}), 0) << "'100%' in bar text";
    });
}

TEST(MeterTest, TextOverTheBarTakesTheBarColours) {
    auto dialog = meterDialog();
    Value slot;
    runDialog(dialog, [&] {
        auto meter = meterOn(dialog, slot, 10);
        const test::ClientImage img = paintedAt(*meter, slot, 60);  // fill 179, text at ~140..160
        const RECT filled{1, 1, 179, kHeight - 1};
        EXPECT_GT(img.countOther(filled, {kBar}), 0);
        EXPECT_EQ(img.count(filled, kText), 0) << "no pane text colour over the bar";
        EXPECT_EQ(img.count(filled, kPane), 0);
    });
}

TEST(MeterTest, CaptionWiderThanTheBarShowsNoTextAtAll) {
    auto dialog = meterDialog();
    Value slot;
    runDialog(dialog, [&] {
        auto meter = meterOn(dialog, slot, 10, std::string(70, 'W'));
        const test::ClientImage img = paintedAt(*meter, slot, 42);
        expectBar(img, 125, "wide caption");
        EXPECT_EQ(img.countOther(RECT{1, 1, 125, kHeight - 1}, {kBar}), 0);
        EXPECT_EQ(img.countOther(RECT{126, 1, kWidth - 1, kHeight - 1}, {kPane}), 0);
    });
}

TEST(MeterTest, WithoutPercentageOrCaptionOnlyTheTwoParts) {
    auto dialog = meterDialog();
    Value slot;
    runDialog(dialog, [&] {
        auto meter = meterOn(dialog, slot, 10, kNoMeterCaption, true);
        const test::ClientImage img = paintedAt(*meter, slot, 42);
        expectBar(img, 125, "no text");
        EXPECT_EQ(img.countOther(RECT{1, 1, 125, kHeight - 1}, {kBar}), 0);
        EXPECT_EQ(img.countOther(RECT{126, 1, kWidth - 1, kHeight - 1}, {kPane}), 0);

        auto captioned = meterOn(dialog, slot, 40, "COPIANDO", true);
        const test::ClientImage withCaption = paintedAt(*captioned, slot, 42);
        EXPECT_GT(withCaption.countOther(RECT{126, 1, kWidth - 1, kHeight - 1}, {kPane}), 0)
            << "the caption alone is still drawn";
        test::saveScreenshot(dialog->hWnd, "meter_captions");
    });
}

TEST(MeterTest, SetBelowOneHundredthOfTheTotalDoesNotRepaint) {
    auto dialog = meterDialog();
    Value slot;
    runDialog(dialog, [&] {
        auto meter = meterOn(dialog, slot, 10);
        meter->nTotal = 1000;
        test::pumpFor(100);
        const int before = meter->paints;

        meter->Set(5);  // half a hundredth
        test::pumpFor(50);
        EXPECT_EQ(meter->paints, before);
        EXPECT_EQ(slot.numOr(-1), 5) << "stored all the same";

        meter->Set(0);
        test::pumpFor(50);
        EXPECT_EQ(meter->paints, before) << "0 is stored without a repaint";

        meter->Set(10);  // one hundredth: repaints inside Set, through the pump
        EXPECT_EQ(meter->paints, before + 1);
        EXPECT_DOUBLE_EQ(meter->nRefresh, 1);

        meter->Set(5000);  // clamped to the total
        EXPECT_EQ(slot.numOr(-1), 1000);
        EXPECT_EQ(meter->paints, before + 2);
        meter->Set(-7);
        EXPECT_EQ(slot.numOr(-1), 0);

        slot = Value(2000.0);  // stored directly, above the total
        meter->Set();          // re-stores the current value, clamped
        EXPECT_EQ(slot.numOr(-1), 1000);

        meter->nTotal = 0;
        const int atZeroTotal = meter->paints;
        meter->Set(1);
        test::pumpFor(50);
        EXPECT_EQ(meter->paints, atZeroTotal) << "a total of 0 never repaints";
        EXPECT_EQ(slot.numOr(-1), 0) << "clamped to the total 0";
    });
}

TEST(MeterTest, MeterFromTheTemplateTakesTheOwnersColoursAndFont) {
    auto dialog = meterDialog(IDD_CT_METER);
    Value first, second;
    MeterRedefine r;
    r.nId = IDC_CT_METER1;
    r.bSetGet = accessor(first);
    r.oWnd = dialog;
    r.nTotal = 100;
    r.cText = "EMPRESA 01";
    auto meter = TMeter::ReDefine(r);
    r.nId = IDC_CT_METER2;
    r.bSetGet = accessor(second);
    r.cText = kNoMeterCaption;
    r.nClrBar = 0x0000FF;
    auto other = TMeter::ReDefine(r);
    EXPECT_EQ(meter->hWnd, nullptr) << "no window before the dialog initialises";
    EXPECT_EQ(dialog->aControls.size(), 2u);
    runDialog(dialog, [&] {
        ASSERT_EQ(meter->hWnd, GetDlgItem(dialog->hWnd, IDC_CT_METER1));
        EXPECT_EQ(first.numOr(-1), 0);
        EXPECT_EQ(meter->nClrPane, dialog->nClrPane);
        EXPECT_EQ(meter->oFont, dialog->oFont) << "the owner's font when none was given";
        meter->Set(30);
        other->Set(75);
        test::pumpFor(100);
        RECT r2{};
        GetClientRect(other->hWnd, &r2);
        EXPECT_EQ(test::clientPixel(other->hWnd, 2, 2), 0x0000FFu);
        EXPECT_EQ(test::clientPixel(other->hWnd, r2.right - 3, 2), *dialog->nClrPane);
        test::saveScreenshot(dialog->hWnd, "meter_template");
    });
}

// Rows of a picture that hold ink (pixels other than the pane colour), from
// the first such row to the last, each as its count of ink pixels; and the
// index of the first one in `firstRow`.
std::vector<int> inkRows(const test::ClientImage& img, RECT r, COLORREF pane, int* firstRow) {
    std::vector<int> rows;
    int first = -1;
    for (int y = r.top; y < r.bottom; ++y) {
        const int n = img.countOther(RECT{r.left, y, r.right, y + 1}, {pane});
        if (n == 0 && first < 0) continue;
        if (first < 0) first = y;
        rows.push_back(n);
    }
    while (!rows.empty() && rows.back() == 0) rows.pop_back();
    if (firstRow) *firstRow = first;
    return rows;
}

// The text drawn with nothing to clip it: in a bitmap far larger than the
// font's cell.
std::vector<int> inkUnclipped(HFONT font, const std::string& text, COLORREF pane, COLORREF ink) {
    constexpr int kW = 600, kH = 60;
    WindowDC screen(nullptr);
    MemoryDC dc(screen.get());
    GdiObject bitmap(CreateCompatibleBitmap(screen.get(), kW, kH));
    test::ClientImage img;
    {
        SelectedObject b(dc.get(), bitmap.get());
        SelectedObject f(dc.get(), font);
        GdiObject brush(CreateSolidBrush(pane));
        const RECT all{0, 0, kW, kH};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
        SetBkColor(dc.get(), pane);
        SetTextColor(dc.get(), ink);
        ExtTextOutA(dc.get(), 10, 20, ETO_OPAQUE, nullptr, text.data(),
                    static_cast<UINT>(text.size()), nullptr);
        img.width = kW;
        img.height = kH;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) img.pixels.push_back(GetPixel(dc.get(), x, y));
    }
    return inkRows(img, RECT{0, 0, kW, kH}, pane, nullptr);
}

// The progress dialog's meters are 9 dialog units high in its Arial 8 and
// paint their caption in Arial 14 pixels high: the meter grows to the
// font's cell, so accented capitals and letters below the line show whole.
TEST(MeterTest, CaptionWithAccentedCapitalsShowsWholeInALowMeter) {
    const std::string accented =
        "\xD1"
        "AND\xDA \xCD\xD1IGO \xC1\xC9\xD3\xDA\xDC";
    const std::string plain = "NANDU INIGO AEOUU";
    FontNew f;
    f.cFaceName = "Arial";
    f.nWidth = 5;
    f.nHeight = 14;
    const auto font = TFont::New(f);
    auto dialog = meterDialog(IDD_CT_LOW_METER);
    Value slot;
    MeterRedefine r;
    r.nId = IDC_CT_LOW_METER;
    r.bSetGet = accessor(slot);
    r.nTotal = 100;
    r.oWnd = dialog;
    r.oFont = font;
    r.cText = accented;
    r.lNoPercentage = true;
    programColours(r);
    auto meter = TMeter::ReDefine(r);
    runDialog(dialog, [&] {
        TEXTMETRICA tm{};
        {
            WindowDC dc(meter->hWnd);
            SelectedObject s(dc.get(), font->hFont);
            GetTextMetricsA(dc.get(), &tm);
        }
        RECT client{};
        GetClientRect(meter->hWnd, &client);
        EXPECT_GE(client.bottom, tm.tmHeight + 2) << "the cell and the frame above and below";
        const RECT inside{1, 1, client.right - 1, client.bottom - 1};

        int accentTop = -1, plainTop = -1;
        const std::vector<int> shown =
            inkRows(paintedAt(*meter, slot, 0), inside, kPane, &accentTop);
        test::saveScreenshot(dialog->hWnd, "meter_accents");
        EXPECT_EQ(shown, inkUnclipped(font->hFont, meterText(accented, false, 0), kPane, kText))
            << "every row of the caption, accents included, as drawn with nothing to clip it";
        meter->cText = plain;
        inkRows(paintedAt(*meter, slot, 0), inside, kPane, &plainTop);
        EXPECT_GE(accentTop, 1);
        EXPECT_LT(accentTop, plainTop) << "the marks rise above the plain capitals";
    });
    font->End();
}

}  // namespace
}  // namespace toolkit
