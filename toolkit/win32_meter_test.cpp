// The meter on a real display: painted bars at several percentages checked
// pixel by pixel (filled and empty parts, frame, text present or not), the
// repaint rule of Set counted in paints, and a meter bound to a template.
#include <gtest/gtest.h>

#include "resources/controls_test_ids.h"
#include "toolkit/dialog.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/meter.h"
#include "toolkit/pump.h"

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
    m.nClrPane = kPane;
    m.nClrText = kText;
    m.nClrBar = kBar;
    m.nClrBText = kBarText;
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

}  // namespace
}  // namespace toolkit
