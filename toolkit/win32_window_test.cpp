// The object model and the pieces around the windows: methods by name, the
// generic dispatch's unpacking and results, fonts, guards, the resource
// module, icons and the tick count.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "resources/toolkit_test_ids.h"
#include "toolkit/brush.h"
#include "toolkit/dialog.h"
#include "toolkit/font.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/icon.h"
#include "toolkit/platform.h"
#include "toolkit/resource_module.h"
#include "toolkit/say.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using runtime::Value;

// A window object that records what the dispatch handed its methods.
class ProbeWindow : public TWindow {
public:
    Value MouseWheel(int nKeys, int nDelta, int nX, int nY) override {
        seen = {nKeys, nDelta, nX, nY};
        return Value(true);
    }
    Value LButtonDown(int nRow, int nCol, int nKeyFlags) override {
        seen = {nRow, nCol, nKeyFlags};
        return {};
    }
    Value Moved(WPARAM, int nX, int nY) override {
        seen = {nX, nY};
        return Value(7);
    }
    std::vector<int> seen;
};

TEST(ObjectModelTest, MethodsAreFoundByNameWithoutRegardToCaseUpTheChain) {
    auto say = std::make_shared<TSay>();
    EXPECT_TRUE(say->isKindOf("tcontrol"));
    EXPECT_TRUE(say->isKindOf("TWINDOW"));
    EXPECT_FALSE(say->isKindOf("TDialog"));
    EXPECT_TRUE(say->hasMethod("click")) << "declared by TControl";
    EXPECT_TRUE(say->hasMethod("KEYCHAR")) << "declared by TWindow";
    EXPECT_TRUE(say->hasMethod("ddeExecute"));
    EXPECT_FALSE(say->hasMethod("NoSuchMethod"));
    EXPECT_TRUE(say->send("NoSuchMethod").isNil());
    auto dialog = TDialog::New();
    EXPECT_EQ(dialog->ClassName(), "TDialog");
    EXPECT_FALSE(dialog->send("eNd", {Value(5)}).logicalOr(true)) << "no window: nothing ends";
}

TEST(ObjectModelTest, GenericDispatchUnpacksTheMessageArguments) {
    ProbeWindow w;
    const Value wheel = w.HandleEvent(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-120)),
                                      MAKELPARAM(static_cast<WORD>(-5), 300));
    EXPECT_EQ(w.seen, (std::vector<int>{MK_SHIFT, -120, -5, 300}));
    EXPECT_EQ(resultToLresult(wheel), 1) << "a logical answers 1";

    w.HandleEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 12));
    EXPECT_EQ(w.seen, (std::vector<int>{12, 40, MK_LBUTTON})) << "row, column, flags";

    EXPECT_EQ(resultToLresult(w.HandleEvent(WM_MOVE, 0, MAKELPARAM(3, 4))), 7);
    EXPECT_EQ(w.seen, (std::vector<int>{3, 4}));

    EXPECT_TRUE(w.HandleEvent(WM_USER + 77, 0, 0).isNil()) << "not in the table: no result";
    EXPECT_EQ(resultToLresult(Value()), 0);
}

TEST(ObjectModelTest, ScriptMessageAndCopyDataAreAnsweredWithoutDispatch) {
    ProbeWindow w;
    EXPECT_EQ(resultToLresult(w.HandleEvent(scriptMessage(), 10000, 0)), 1);
    EXPECT_EQ(w.HandleEvent(WM_COPYDATA, 0, 0).numOr(-1), 0);
    EXPECT_TRUE(w.seen.empty());
}

TEST(FontTest, EqualAttributesShareOneFontUntilTheLastEnd) {
    const size_t before = TFont::cachedCount();
    FontNew args;
    args.cFaceName = "Arial";
    args.nWidth = 5;
    args.nHeight = 14;
    args.lBold = true;
    auto first = TFont::New(args);
    args.cFaceName = "ARIAL";  // the face name is compared without regard to case
    auto second = TFont::New(args);
    ASSERT_EQ(first, second);
    EXPECT_TRUE(first->lDestroy);
    EXPECT_EQ(first->nCount, 2);
    EXPECT_FALSE(second->lNew);
    EXPECT_EQ(first->nWeight, FW_BOLD);
    args.lBold = false;
    auto normal = TFont::New(args);
    EXPECT_NE(normal, first) << "bold is an attribute";
    EXPECT_EQ(TFont::cachedCount(), before + 2);

    const HFONT handle = first->hFont;
    first->End();
    EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT)) << "one user left";
    second->End();
    EXPECT_EQ(GetObjectType(handle), 0u) << "deleted by the last End";
    normal->End();
    EXPECT_EQ(TFont::cachedCount(), before);
}

TEST(FontTest, StockNamesTakeTheStockFontsUncached) {
    const size_t before = TFont::cachedCount();
    FontNew args;
    args.cFaceName = "ANSI_VAR_FONT";
    auto font = TFont::New(args);
    EXPECT_EQ(font->hFont, GetStockObject(ANSI_VAR_FONT));
    EXPECT_FALSE(font->lDestroy);
    EXPECT_EQ(TFont::cachedCount(), before);
    font->End();
    EXPECT_EQ(GetObjectType(GetStockObject(ANSI_VAR_FONT)), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(TFont::New()->hFont, GetStockObject(SYSTEM_FONT)) << "the default face";
}

TEST(FontTest, FailedDeletionIsWrittenToResourcesTxt) {
    const auto folder = std::filesystem::temp_directory_path() / "toolkit_font_test";
    std::filesystem::create_directories(folder);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::filesystem::remove("resources.txt");
    FontNew args;
    args.cFaceName = "Courier New";
    args.nHeight = 23;
    auto font = TFont::New(args);
    DeleteObject(font->hFont);  // behind the cache's back
    font->End();
    std::ifstream in("resources.txt", std::ios::binary);
    std::string line;
    std::getline(in, line);
    std::filesystem::current_path(previous);
    EXPECT_EQ(line.rfind("DeleteObject( ::hFont ) failed from TFont:End() ", 0), 0u) << line;
    EXPECT_NE(line.find(" 0 .T."), std::string::npos) << line;
}

TEST(GuardTest, GdiObjectAndMemoryDCDeleteOnceAndSelectionIsRestored) {
    HGDIOBJ handle = nullptr;
    {
        GdiObject brush(CreateSolidBrush(RGB(1, 2, 3)));
        handle = brush.get();
        GdiObject moved(std::move(brush));
        EXPECT_EQ(brush.get(), nullptr);
        EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(handle), 0u);

    WindowDC screen(nullptr);
    HDC kept = nullptr;
    {
        MemoryDC dc(screen.get());
        kept = dc.get();
        EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_MEMDC));
        const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_FONT);
        {
            SelectedObject selected(dc.get(), GetStockObject(ANSI_FIXED_FONT));
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), GetStockObject(ANSI_FIXED_FONT));
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), original);
    }
    EXPECT_EQ(GetObjectType(kept), 0u) << "the memory DC is deleted with its guard";
}

TEST(ResourceModuleTest, LibrariesServeUntilFreed) {
    EXPECT_EQ(GETRESOURCES(), GetModuleHandleA(nullptr));
    EXPECT_EQ(SETRESOURCES(std::string("no_such_library.dll")), nullptr);
    EXPECT_EQ(GETRESOURCES(), GetModuleHandleA(nullptr)) << "unchanged after a failed load";
    HINSTANCE lib = SETRESOURCES(std::string("shell32.dll"));
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(GETRESOURCES(), lib);
    FREERESOURCES();
    EXPECT_EQ(GETRESOURCES(), GetModuleHandleA(nullptr));
}

TEST(IconTest, ResourceIconBecomesTheDialogsSmallIcon) {
    auto icon = TIcon::New(Value(IDI_TK_ICON));
    ASSERT_NE(icon->hIcon(), nullptr);
    EXPECT_EQ(TIcon::New(Value("NOSUCHICON"))->hIcon(), nullptr);
    DialogNew args;
    args.cResName = Value(IDD_TK_TEST);
    args.oIcon = icon;
    auto dialog = TDialog::New(args);
    HICON shown = nullptr;
    dialog->bStart = [&] {
        shown = reinterpret_cast<HICON>(SendMessageA(dialog->hWnd, WM_GETICON, ICON_SMALL, 0));
        dialog->End(1);
    };
    dialog->Activate();
    EXPECT_EQ(shown, icon->hIcon());
}

TEST(PlatformTest, TickCountIsTheSignedPlatformCount) {
    const int32_t before = static_cast<int32_t>(GetTickCount());
    const int32_t ours = GETTICKCOUNT();
    const int32_t after = static_cast<int32_t>(GetTickCount());
    EXPECT_LE(static_cast<uint32_t>(ours - before), static_cast<uint32_t>(after - before));
}

TEST(PlatformTest, WndCenterCentresOverAnotherWindow) {
    HWND over = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 50, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
    HWND moved = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 101, 51, nullptr, nullptr,
                                 nullptr, nullptr);
    WNDCENTER(moved, over);
    RECT r{};
    GetWindowRect(moved, &r);
    EXPECT_EQ(r.left, 100 + 200 - 50);
    EXPECT_EQ(r.top, 50 + 150 - 25);
    DestroyWindow(moved);
    DestroyWindow(over);
}

}  // namespace
}  // namespace toolkit
