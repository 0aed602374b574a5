// The dialog from a resource template on a real display: binding by id, the
// toolkit's errors, the start hook and the pump inside it, Escape, the
// widening, bWhen, commands and failures inside handlers.
#include <gtest/gtest.h>

#include <stdexcept>

#include "resources/toolkit_test_ids.h"
#include "toolkit/button.h"
#include "toolkit/dialog.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/platform.h"
#include "toolkit/pump.h"
#include "toolkit/say.h"

namespace toolkit {
namespace {

using runtime::Value;

constexpr COLORREF kModernPane = 0xCAD3D7;

std::shared_ptr<TDialog> testDialog() {
    DialogNew args;
    args.cResName = Value(IDD_TK_TEST);
    return TDialog::New(args);
}

std::shared_ptr<TSay> sayFor(const std::shared_ptr<TDialog>& dialog, int id, std::string text) {
    SayRedefine s;
    s.nId = id;
    s.bGet = [text] { return Value(text); };
    s.oWnd = dialog;
    return TSay::ReDefine(s);
}

// Runs the dialog modally; body runs as its start hook, and the dialog is
// ended with 9 afterwards if the body did not end it.
void runWithStartHook(const std::shared_ptr<TDialog>& dialog, std::function<void()> body,
                      DialogActivate activate = DialogActivate()) {
    dialog->bStart = [dialog, body] {
        body();
        dialog->End(9);
    };
    dialog->Activate(activate);
}

TEST(DialogTest, ControlsAreBoundToTheTemplateItemsById) {
    test::ErrorRecorder recorder;
    auto dialog = testDialog();
    auto label = sayFor(dialog, IDC_TK_LABEL, "Hola mundo");
    auto note = sayFor(dialog, IDC_TK_NOTE, "Nota");
    note->bWhen = [](TWindow&) { return Value(false); };
    int clicks = 0;
    ButtonRedefine b;
    b.nId = IDC_TK_BUTTON;
    b.oWnd = dialog;
    std::shared_ptr<TButton> button;
    b.bAction = [&](TWindow&) {
        ++clicks;
        SendMessageA(button->hWnd, BM_CLICK, 0, 0);  // a click while the action runs
        return Value();
    };
    button = TButton::ReDefine(b);
    EXPECT_EQ(label->hWnd, nullptr) << "ReDefine makes no window";

    runWithStartHook(dialog, [&] {
        EXPECT_EQ(label->hWnd, GetDlgItem(dialog->hWnd, IDC_TK_LABEL));
        EXPECT_EQ(test::windowText(label->hWnd), "Hola mundo");
        EXPECT_EQ(linkedObject(label->hWnd), label.get()) << "the item is subclassed";
        EXPECT_EQ(button->hWnd, GetDlgItem(dialog->hWnd, IDC_TK_BUTTON));
        EXPECT_FALSE(IsWindowEnabled(note->hWnd)) << "its bWhen said no at Activate";
        EXPECT_TRUE(IsWindowEnabled(label->hWnd));
        // A click goes dialog -> Command -> the button object's Click; the
        // click the action itself causes is ignored.
        SendMessageA(button->hWnd, BM_CLICK, 0, 0);
        EXPECT_EQ(clicks, 1);
        test::saveScreenshot(dialog->hWnd, "dialog_bound");
        // The non-classic background, away from every item.
        RECT client{};
        GetClientRect(dialog->hWnd, &client);
        EXPECT_EQ(test::clientPixel(dialog->hWnd, client.right - 4, 4), kModernPane);
        // The label's background is the dialog's (transparent statics).
        const RECT item = test::rectIn(label->hWnd, dialog->hWnd);
        EXPECT_EQ(test::clientPixel(dialog->hWnd, item.right - 2, item.bottom - 2), kModernPane);
    });
    EXPECT_TRUE(recorder.errors.empty());
    EXPECT_EQ(dialog->nResult.numOr(-1), 9);
    EXPECT_EQ(dialog->hWnd, nullptr);
    EXPECT_EQ(label->hWnd, nullptr) << "the item's window went with the dialog";
    EXPECT_FALSE(label->linked());
}

TEST(DialogTest, UndefinedIdIsRaisedDuringInitialisationBeforeTheDialogShows) {
    test::ErrorRecorder recorder;
    auto dialog = testDialog();
    sayFor(dialog, IDC_TK_LABEL, "uno");
    sayFor(dialog, IDC_TK_MISSING, "dos");
    bool visibleAtError = true;
    recorder.onError = [&](const runtime::ObjectPtr&) {
        visibleAtError = dialog->hWnd && IsWindowVisible(dialog->hWnd);
    };
    bool started = false;
    runWithStartHook(dialog, [&] { started = true; });
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.field(0, "SubSystem").textOr(), "Tellurn");
    EXPECT_EQ(recorder.field(0, "SubCode").numOr(0), 1);
    EXPECT_EQ(recorder.field(0, "Description").textOr(), "Non defined Id");
    EXPECT_EQ(recorder.field(0, "Operation").textOr(), "No:    199");
    EXPECT_EQ(recorder.field(0, "Severity").numOr(0), 3);
    EXPECT_FALSE(visibleAtError);
    EXPECT_TRUE(started) << "the handler answered; the dialog went on";
}

TEST(DialogTest, SecondControlWithTheSameIdIsDuplicated) {
    test::ErrorRecorder recorder;
    auto dialog = testDialog();
    sayFor(dialog, IDC_TK_LABEL, "uno");
    EXPECT_TRUE(recorder.errors.empty());
    sayFor(dialog, IDC_TK_LABEL, "dos");
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.field(0, "Description").textOr(), "Duplicated Id");
    EXPECT_EQ(recorder.field(0, "SubCode").numOr(0), 2);
    EXPECT_EQ(recorder.field(0, "Operation").textOr(), "No:    100");
    EXPECT_EQ(dialog->aControls.size(), 1u);
}

TEST(DialogTest, ControlsWithoutIdGetNewIdsFrom101) {
    TControl::nInitID.reset();
    auto dialog = testDialog();
    auto first = sayFor(dialog, 0, "a");
    auto second = sayFor(dialog, 0, "b");
    EXPECT_EQ(first->nId, 101);
    EXPECT_EQ(second->nId, 102);
}

TEST(DialogTest, StartHookRunsOnceWhileThePumpRepaints) {
    auto dialog = testDialog();
    int starts = 0;
    int paints = 0;
    DialogActivate activate;
    activate.bPainted = [&](HDC, const PAINTSTRUCT&, TWindow&) {
        ++paints;
        return Value();
    };
    EXPECT_FALSE(LWRUNNING());
    runWithStartHook(
        dialog,
        [&] {
            EXPECT_TRUE(LWRUNNING()) << "a modal loop runs";
            ++starts;
            for (int i = 0; i < 5; ++i) {
                InvalidateRect(dialog->hWnd, nullptr, TRUE);
                EXPECT_TRUE(SYSREFRESH());
            }
        },
        activate);
    EXPECT_EQ(starts, 1);
    EXPECT_GE(paints, 6) << "the first paint and one per pump";
    EXPECT_FALSE(LWRUNNING()) << "the earlier value is back";
}

TEST(DialogTest, EscapeDuringTheStartHookEndsWith2AndTheHooksEndChangesNothing) {
    auto dialog = testDialog();
    bool hookFinished = false;
    bool hookEnd = true;
    HWND afterEscape = reinterpret_cast<HWND>(1);
    dialog->bStart = [&] {
        const HWND h = dialog->hWnd;
        PostMessageA(h, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(h, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
        SYSREFRESH();
        afterEscape = dialog->hWnd;
        EXPECT_TRUE(IsWindow(h)) << "the window stays until the paint handler returns";
        hookEnd = dialog->End(5);
        hookFinished = true;
    };
    dialog->Activate();
    EXPECT_EQ(afterEscape, nullptr);
    EXPECT_FALSE(hookEnd);
    EXPECT_TRUE(hookFinished);
    EXPECT_EQ(dialog->nResult.numOr(-1), 2);
    EXPECT_EQ(LASTKEY(), VK_ESCAPE);
}

// Records the geometry of the dialog and of its items while the controls
// are bound, which is before the widening.
class GeometryProbe : public TControl {
public:
    bool Initiate(HWND hDlg) override {
        RECT r{};
        GetWindowRect(hDlg, &r);
        dialogWidth = r.right - r.left;
        dialogHeight = r.bottom - r.top;
        for (HWND c = GetWindow(hDlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            items.push_back({c, test::rectIn(c, hDlg)});
        return TControl::Initiate(hDlg);
    }
    int dialogWidth = 0;
    int dialogHeight = 0;
    std::vector<std::pair<HWND, RECT>> items;
};

TEST(DialogTest, DialogFromAResourceIsWidenedWithItsItems) {
    auto dialog = testDialog();
    auto probe = std::make_shared<GeometryProbe>();
    probe->nId = IDC_TK_FRAME;
    probe->oWnd = dialog;
    dialog->DefControl(probe);
    runWithStartHook(dialog, [&] {
        RECT r{};
        GetWindowRect(dialog->hWnd, &r);
        EXPECT_EQ(r.right - r.left, static_cast<int>(probe->dialogWidth * kResourceWidening));
        EXPECT_EQ(r.bottom - r.top, probe->dialogHeight);
        ASSERT_EQ(probe->items.size(), 4u);
        for (const auto& [item, before] : probe->items) {
            const RECT after = test::rectIn(item, dialog->hWnd);
            EXPECT_EQ(after.left, static_cast<int>(before.left * kResourceWidening));
            EXPECT_EQ(after.right - after.left,
                      static_cast<int>((before.right - before.left) * kResourceWidening));
            EXPECT_EQ(after.top, before.top);
            EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
        }
        test::saveScreenshot(dialog->hWnd, "dialog_widened");
    });
}

TEST(DialogTest, CentredDialogSitsInTheMiddleOfTheDesktop) {
    auto dialog = testDialog();
    DialogActivate activate;
    activate.lCentered = true;
    runWithStartHook(
        dialog,
        [&] {
            RECT r{}, desk{};
            GetWindowRect(dialog->hWnd, &r);
            GetWindowRect(GetDesktopWindow(), &desk);
            EXPECT_EQ(r.left, desk.left + (desk.right - desk.left) / 2 - (r.right - r.left) / 2);
            EXPECT_EQ(r.top, desk.top + (desk.bottom - desk.top) / 2 - (r.bottom - r.top) / 2);
        },
        activate);
}

TEST(DialogTest, WhenFalseCreatesNoWindowAndLeaves2) {
    auto dialog = testDialog();
    bool initialised = false;
    DialogActivate activate;
    activate.bWhen = [](TWindow&) { return Value(false); };
    activate.bInit = [&](TWindow&) {
        initialised = true;
        return Value();
    };
    dialog->Activate(activate);
    EXPECT_FALSE(initialised);
    EXPECT_EQ(dialog->nResult.numOr(-1), 2);
    EXPECT_FALSE(dialog->lVisible);
    EXPECT_EQ(dialogNesting(), 0);
}

TEST(DialogTest, InitHookAnsweringFalseAndCaptionAndHelpStyle) {
    DialogNew args;
    args.cResName = Value(IDD_TK_TEST);
    args.cCaption = "Otro t\xEDtulo";
    auto dialog = TDialog::New(args);
    DialogActivate activate;
    activate.bInit = [](TWindow&) { return Value(false); };
    runWithStartHook(
        dialog,
        [&] {
            EXPECT_EQ(test::windowText(dialog->hWnd), "Otro t\xEDtulo");
            EXPECT_NE(GetWindowLongPtrA(dialog->hWnd, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
            EXPECT_EQ(dialog->lHelpIcon, std::optional<bool>(true));
        },
        activate);
}

TEST(DialogTest, MissingTemplateRaisesCannotCreateDialog) {
    test::ErrorRecorder recorder;
    DialogNew args;
    args.cResName = Value("NOSUCHDLG");
    auto dialog = TDialog::New(args);
    dialog->Activate();
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.field(0, "Description").textOr(), "Cannot create Dialog Box");
    EXPECT_EQ(recorder.field(0, "SubCode").numOr(0), 3);
    EXPECT_EQ(recorder.field(0, "Operation").textOr(), "\r\nResource: NOSUCHDLG");
    EXPECT_FALSE(dialog->lVisible);
    EXPECT_EQ(dialogNesting(), 0);
}

TEST(DialogTest, TemplatesThePlatformCannotBeGivenAreNotCreated) {
    test::ErrorRecorder recorder;
    DialogNew args;
    args.cResName = Value(70000 + IDD_TK_TEST);  // no resource number: beyond 16 bits
    TDialog::New(args)->Activate();
    auto inMemory = TDialog::New();
    inMemory->cCaption = "Corta";
    inMemory->cResData = {1, 2, 3};  // shorter than a template's header
    inMemory->Activate();
    ASSERT_EQ(recorder.errors.size(), 2u);
    EXPECT_EQ(recorder.field(0, "Operation").textOr(), "\r\nResource: 71001");
    EXPECT_EQ(recorder.field(1, "Operation").textOr(), "\r\nTitle: Corta");
    EXPECT_EQ(dialogNesting(), 0);
}

TEST(DialogTest, DialogBuiltInMemoryTakesItsPixelPlace) {
    DialogNew args;
    args.cCaption = "En memoria";
    args.lPixels = true;
    args.nTop = 40;
    args.nLeft = 60;
    args.nBottom = 200;
    args.nRight = 360;
    auto dialog = TDialog::New(args);
    runWithStartHook(dialog, [&] {
        RECT r{};
        GetWindowRect(dialog->hWnd, &r);
        EXPECT_EQ(r.left, 60);
        EXPECT_EQ(r.top, 40);
        EXPECT_EQ(test::windowText(dialog->hWnd), "En memoria");
    });
    EXPECT_EQ(dialog->nResult.numOr(-1), 9);
}

TEST(DialogTest, FailureInsideAHandlerBecomesARuntimeError) {
    test::ErrorRecorder recorder;
    auto dialog = testDialog();
    dialog->bStart = [&] {
        dialog->End(3);
        throw std::runtime_error("boom");
    };
    dialog->Activate();
    EXPECT_EQ(dialog->nResult.numOr(-1), 3);
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.field(0, "Description").textOr(), "GPF occurred");
    EXPECT_NE(recorder.field(0, "Operation").textOr().find("boom"), std::string::npos);
}

TEST(DialogTest, ProgramEndInsideAHandlerReachesTheCallerOfActivate) {
    auto dialog = testDialog();
    dialog->bStart = [] { throw runtime::ProgramExit{1}; };
    EXPECT_THROW(dialog->Activate(), runtime::ProgramExit);
    EXPECT_EQ(dialog->hWnd, nullptr);
    EXPECT_EQ(dialogNesting(), 0);
}

// A dialog whose timer handler ends the program.
class EndsOnTimer : public TDialog {
public:
    Value Timer(WPARAM, LPARAM) override { throw runtime::ProgramExit{4}; }
};

TEST(DialogTest, ProgramEndInAHandlerThatThePumpDispatchesLeavesTheStartHook) {
    auto dialog = std::make_shared<EndsOnTimer>();
    DialogNew args;
    args.cResName = Value(IDD_TK_TEST);
    dialog->initFrom(args);
    bool afterPump = false;
    dialog->bStart = [&] {
        PostMessageA(dialog->hWnd, WM_TIMER, 77, 0);
        SYSREFRESH();
        afterPump = true;
    };
    try {
        dialog->Activate();
        ADD_FAILURE() << "Activate returned";
    } catch (const runtime::ProgramExit& e) {
        EXPECT_EQ(e.code, 4);
    }
    EXPECT_FALSE(afterPump);
    EXPECT_EQ(dialogNesting(), 0);
}

}  // namespace
}  // namespace toolkit
