// Bitmaps on a real display: the shared cache behind bitmap controls,
// masked drawing (pixel checks), the strip's slots and pictures, the
// transparent control over the dialog's background, and the release calls.
#include <gtest/gtest.h>

#include "resources/controls_test_ids.h"
#include "toolkit/bitmap.h"
#include "toolkit/dialog.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/strip.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using runtime::Value;

constexpr COLORREF kMagenta = RGB(255, 0, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kModernPane = 0xCAD3D7;

// A memory DC over a bitmap of w x h filled with one colour.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill)
        : screen_(nullptr),
          dc_(screen_.get()),
          bitmap_(CreateCompatibleBitmap(screen_.get(), w, h)),
          selected_(dc_.get(), bitmap_.get()) {
        GdiObject brush(CreateSolidBrush(fill));
        const RECT all{0, 0, w, h};
        FillRect(dc_.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    HDC dc() const { return dc_.get(); }
    COLORREF at(int x, int y) const { return GetPixel(dc_.get(), x, y); }

private:
    // Released in the reverse order: the selection put back, the bitmap
    // deleted, then the DC.
    WindowDC screen_;
    MemoryDC dc_;
    GdiObject bitmap_;
    SelectedObject selected_;
};

std::shared_ptr<TBitmap> bitmapFor(const std::shared_ptr<TDialog>& dialog, int id,
                                   const std::string& name, bool transparent = false) {
    BitmapRedefine b;
    b.nId = id;
    b.cResName = name;
    b.oWnd = dialog;
    b.lTransparent = transparent;
    return TBitmap::ReDefine(b);
}

std::shared_ptr<TDialog> bitmapsDialog() {
    DialogNew args;
    args.cResName = Value(IDD_CT_BITMAPS);
    return TDialog::New(args);
}

TEST(BitmapTest, MaskedDrawingLeavesTheTargetWhereTheCornerColourWas) {
    GdiObject picture(loadBitmapByKey(Value("TKMASK")));
    ASSERT_NE(picture.get(), nullptr);
    Canvas canvas(40, 30, kGreen);
    DRAWMASKED(canvas.dc(), static_cast<HBITMAP>(picture.get()), 5, 10);  // row 5, column 10
    EXPECT_EQ(canvas.at(10, 5), kGreen) << "the corner colour is transparent";
    EXPECT_EQ(canvas.at(10 + 15, 5 + 13), kGreen);
    EXPECT_EQ(canvas.at(10 + 4, 5 + 3), kRed);
    EXPECT_EQ(canvas.at(10 + 7, 5 + 7), kBlue);
    EXPECT_EQ(canvas.at(10 + 8, 5 + 4), kGreen) << "the same colour inside is lost too";
    EXPECT_EQ(canvas.at(9, 5 + 3), kGreen) << "nothing outside the picture";
    EXPECT_EQ(canvas.at(2, 2), kGreen);

    Canvas plain(40, 30, kGreen);
    DRAWBITMAP(plain.dc(), static_cast<HBITMAP>(picture.get()), 0, 0);
    EXPECT_EQ(plain.at(0, 0), kMagenta) << "a plain copy keeps every pixel";
    Canvas stretched(40, 30, kGreen);
    DRAWBITMAP(stretched.dc(), static_cast<HBITMAP>(picture.get()), 0, 0, 32, 28);
    EXPECT_EQ(stretched.at(31, 27), kMagenta);
    EXPECT_EQ(stretched.at(8, 6), kRed) << "(4, 3) doubled";
}

TEST(BitmapTest, TwoControlsShareOneHandleFreedBySecondRelease) {
    auto dialog = bitmapsDialog();
    auto first = bitmapFor(dialog, IDC_CT_BITMAP1, "TKWIDE");
    auto second = bitmapFor(dialog, IDC_CT_BITMAP2, "tkwide");
    ASSERT_NE(first->hBitmap, nullptr);
    EXPECT_EQ(first->hBitmap, second->hBitmap);
    const HBITMAP shared = first->hBitmap;
    EXPECT_EQ(bitmapUsers(shared), 2);
    EXPECT_EQ(first->nWidth(), 40);
    EXPECT_EQ(first->nHeight(), 20);

    EXPECT_TRUE(first->SetBMP("TKMASK"));
    EXPECT_EQ(bitmapUsers(shared), 1);
    EXPECT_NE(GetObjectType(shared), 0u) << "still held by the second";
    EXPECT_TRUE(second->SetBMP("TKMASK"));
    EXPECT_EQ(GetObjectType(shared), 0u) << "freed by its last user";

    const HBITMAP mask = first->hBitmap;
    EXPECT_EQ(bitmapUsers(mask), 2);
    EXPECT_TRUE(second->SetBMP("TKMASK")) << "the frame already shown";
    EXPECT_EQ(bitmapUsers(second->hBitmap), 2) << "released, then taken again";

    EXPECT_FALSE(first->SetBMP(""));
    EXPECT_EQ(first->hBitmap, nullptr);
    EXPECT_EQ(bitmapUsers(mask), 1);
}

TEST(BitmapTest, MissingResourceLeavesNoBitmapAndPaintsOnlyTheHook) {
    auto dialog = bitmapsDialog();
    auto missing = bitmapFor(dialog, IDC_CT_BITMAP1, "NOEXISTE");
    EXPECT_EQ(missing->hBitmap, nullptr);
    EXPECT_EQ(missing->nWidth(), 0);
    int hooked = 0;
    missing->bPainted = [&](HDC, const PAINTSTRUCT&, TWindow&) {
        ++hooked;
        return Value();
    };
    bool ran = false;
    dialog->bStart = [&] {
        ran = true;
        RedrawWindow(missing->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        dialog->End(1);
    };
    dialog->Activate();
    EXPECT_TRUE(ran);
    EXPECT_GE(hooked, 1);
}

TEST(BitmapTest, ControlsPaintPlainAndTransparentPictures) {
    auto dialog = bitmapsDialog();
    auto plain = bitmapFor(dialog, IDC_CT_BITMAP1, "TKMASK");
    auto transparent = bitmapFor(dialog, IDC_CT_BITMAP2, "TKMASK", true);
    auto stretched = bitmapFor(dialog, IDC_CT_BITMAP3, "TKWIDE");
    stretched->lStretch = true;
    EXPECT_FALSE(transparent->lFondo);
    bool ran = false;
    dialog->bStart = [&] {
        ran = true;
        test::pumpFor(100);
        test::saveScreenshot(dialog->hWnd, "bitmaps");
        const test::ClientImage a = test::clientImage(plain->hWnd);
        EXPECT_EQ(a.at(0, 0), kMagenta) << "copied as it is";
        EXPECT_EQ(a.at(a.width - 1, a.height - 1), GetSysColor(COLOR_WINDOW)) << "erased around it";
        const test::ClientImage b = test::clientImage(transparent->hWnd);
        EXPECT_EQ(b.at(0, 0), kModernPane) << "the dialog shows through";
        EXPECT_EQ(b.at(8, 4), kModernPane) << "also inside the picture";
        EXPECT_EQ(b.at(4, 3), kRed);
        EXPECT_EQ(b.at(b.width - 1, b.height - 1), kModernPane) << "and around it";
        const test::ClientImage c = test::clientImage(stretched->hWnd);
        EXPECT_EQ(c.at(0, 0), RGB(0, 0, 0));
        EXPECT_EQ(c.at(c.width - 1, c.height - 1), RGB(0, 0, 0)) << "stretched to the window";
        EXPECT_EQ(c.at(c.width / 2, c.height / 2), RGB(255, 255, 0));
        dialog->End(1);
    };
    dialog->Activate();
    EXPECT_TRUE(ran);
    EXPECT_EQ(plain->hBitmap, nullptr) << "released with its window";
}

// Scaled to a control larger than itself, a picture with a transparent
// colour is laid on the dialog's brush first: its ground and its edges show
// the dialog, never the transparent colour.
TEST(BitmapTest, TransparentPictureScaledToItsControlShowsNoTransparentColour) {
    auto dialog = bitmapsDialog();
    auto scaled = bitmapFor(dialog, IDC_CT_BITMAP1, "TKMASK", true);
    scaled->lStretch = true;
    bool ran = false;
    dialog->bStart = [&] {
        ran = true;
        test::pumpFor(100);
        const test::ClientImage img = test::clientImage(scaled->hWnd);
        ASSERT_GT(img.width, 16 * 2) << "the control is larger than the picture";
        const RECT all{0, 0, img.width, img.height};
        EXPECT_EQ(img.count(all, kMagenta), 0);
        EXPECT_EQ(img.at(0, 0), kModernPane);
        EXPECT_EQ(img.at(img.width - 1, img.height - 1), kModernPane);
        EXPECT_GT(img.count(all, kRed), 16 * 14 / 2) << "the red square, enlarged";
        dialog->End(1);
    };
    dialog->Activate();
    EXPECT_TRUE(ran);
}

TEST(BitmapTest, TransparentPictureOfTheBackgroundSetIsMarked) {
    auto dialog = bitmapsDialog();
    auto fondo = bitmapFor(dialog, IDC_CT_BITMAP1, "l12", true);
    EXPECT_TRUE(fondo->lFondo);
    EXPECT_TRUE(bitmapFor(dialog, IDC_CT_BITMAP2, "L1", true)->lFondo);
    EXPECT_FALSE(bitmapFor(dialog, IDC_CT_BITMAP3, "LOGO", true)->lFondo);
}

class StripTest : public ::testing::Test {
protected:
    void SetUp() override { DELBMPBRW(); }
    void TearDown() override { DELBMPBRW(); }
    COLORREF stripPixel(int x, int y) {
        WindowDC screen(nullptr);
        MemoryDC dc(screen.get());
        SelectedObject s(dc.get(), stripBitmap());
        return GetPixel(dc.get(), x, y);
    }
};

TEST_F(StripTest, PicturesTakeSlotsOnceAndAreStoredMasked) {
    const StripSlot mask = XLOADBITMAP(nullptr, Value("TKMASK"));
    EXPECT_EQ(mask, (StripSlot{1, 16, 14}));
    EXPECT_EQ(XLOADBITMAP(nullptr, Value("TKMASK")), mask) << "the same name, the same slot";
    EXPECT_EQ(XLOADBITMAP(nullptr, Value(IDB_CT_SOLID)), (StripSlot{2, 8, 6}));
    EXPECT_EQ(XLOADBITMAP(nullptr, Value("NOEXISTE")), (StripSlot{3, 0, 0}))
        << "a picture that cannot be loaded still takes a slot";

    const int x1 = stripSlotLeft(1);
    EXPECT_EQ(stripPixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(stripPixel(x1, 0), RGB(255, 255, 255)) << "the corner colour shows the white strip";
    EXPECT_EQ(stripPixel(x1 + 4, 3), kRed);
    EXPECT_EQ(stripPixel(x1 + 8, 4), RGB(255, 255, 255));
    EXPECT_EQ(stripPixel(stripSlotLeft(2) + 2, 2), RGB(255, 255, 255))
        << "a solid picture is all corner colour";
    EXPECT_EQ(stripPixel(stripSlotLeft(3) + 2, 2), RGB(255, 255, 255));
}

TEST_F(StripTest, UnmaskedKeyIsCopiedAsItIs) {
    // "BMPNOCHK" is no resource of the tests: its slot stays white, but it
    // is taken; a file of that name would be copied unchanged.
    EXPECT_EQ(XLOADBITMAP(nullptr, Value("BMPNOCHK")).k, 1);
}

TEST_F(StripTest, StripIsMadeAgainAfterItsRelease) {
    XLOADBITMAP(nullptr, Value("TKMASK"));
    EXPECT_TRUE(stripExists());
    XRESALLFREE();
    EXPECT_FALSE(stripExists());
    EXPECT_EQ(XLOADBITMAP(nullptr, Value(IDB_CT_SOLID)).k, 1) << "slots start again";
}

TEST(ReleaseTest, DeleteObjectTakesOnlyLiveGraphicObjects) {
    HBITMAP h = LOADBITMAP(GetModuleHandleA(nullptr), Value("TKMASK"));
    ASSERT_NE(h, nullptr);
    const Value handle(static_cast<double>(reinterpret_cast<intptr_t>(h)));
    EXPECT_FALSE(DELETEOBJECT(stripSlotValue(StripSlot{1, 16, 14})));
    EXPECT_FALSE(DELETEOBJECT(Value(0)));
    EXPECT_TRUE(DELETEOBJECT(handle));
    EXPECT_FALSE(DELETEOBJECT(handle)) << "a stale handle";
}

TEST(ReleaseTest, ReleaseAllFreesOnlyWhatTheTrackerRecorded) {
    HBITMAP untracked = LOADBITMAP(GetModuleHandleA(nullptr), Value("TKMASK"));
    const bool before = setResourceTracking(true);
    HBITMAP tracked = LOADBITMAP(GetModuleHandleA(nullptr), Value(IDB_CT_SOLID));
    setResourceTracking(before);
    RESALLFREE();
    EXPECT_EQ(GetObjectType(tracked), 0u);
    EXPECT_NE(GetObjectType(untracked), 0u) << "the tracker was off when it was loaded";
    DeleteObject(untracked);
}

}  // namespace
}  // namespace toolkit
