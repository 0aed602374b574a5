// The error dialog on a real display: its size, its buttons by the error's
// retry rule (positions, the default button) and the answer of each way of
// closing it.
#include <gtest/gtest.h>

#include "toolkit/error_window.h"
#include "toolkit/gui_testutil.h"

namespace toolkit {
namespace {

using errors::DialogAnswer;

errors::DialogRequest request(bool retry) {
    errors::DialogRequest r;
    r.description = " Descripci\xF3n del error: Error BASE/1003 Variable does not exist: X & Y";
    r.callStack = {" Llamado desde UNO(10)", " Llamado desde DOS(20)", " Llamado desde MAIN(30)"};
    r.offerRetry = retry;
    r.ntFamily = true;
    return r;
}

struct Seen {
    int width = 0, height = 0;
    std::vector<std::string> buttons;  // captions, left to right
    std::string defaultButton;
    std::string description;
    LRESULT lines = 0, selected = -1;
};

// Shows the dialog, records what it shows, then runs `close` on it.
DialogAnswer showAndClose(bool retry, Seen& seen, std::function<void(HWND)> close) {
    test::whenWindowShows(errors::kDialogCaption, [&seen, close](HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        seen.width = r.right - r.left;
        seen.height = r.bottom - r.top;
        std::vector<HWND> buttons = test::childrenOfClass(h, "Button");
        std::sort(buttons.begin(), buttons.end(), [h](HWND a, HWND b) {
            return test::rectIn(a, h).left < test::rectIn(b, h).left;
        });
        for (HWND b : buttons) {
            seen.buttons.push_back(test::windowText(b));
            if ((GetWindowLongA(b, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON)
                seen.defaultButton = test::windowText(b);
        }
        seen.description = test::windowText(GetDlgItem(h, kErrorDescriptionId));
        seen.lines = SendDlgItemMessageA(h, kErrorListId, LB_GETCOUNT, 0, 0);
        seen.selected = SendDlgItemMessageA(h, kErrorListId, LB_GETCURSEL, 0, 0);
        test::saveScreenshot(h, "error_dialog");
        close(h);
    });
    WindowErrorDialog dialog;
    return dialog.show(request(retry));
}

void click(HWND h, int id) {
    PostMessageA(GetDlgItem(h, id), BM_CLICK, 0, 0);
}

TEST(ErrorWindowTest, WithoutRetryTwoButtonsAndNoDefault) {
    Seen seen;
    EXPECT_EQ(showAndClose(false, seen, [](HWND h) { click(h, kErrorDefaultId); }),
              DialogAnswer::Default);
    EXPECT_EQ(seen.width, 300);
    EXPECT_EQ(seen.height, 250);
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"&Salir", "&Defecto"}));
    EXPECT_EQ(seen.defaultButton, "");
    EXPECT_EQ(seen.description, request(false).description) << "\"&\" is shown as itself";
    EXPECT_EQ(seen.lines, 3);
    EXPECT_EQ(seen.selected, 0);
}

TEST(ErrorWindowTest, WithRetryThreeButtonsAndExitIsTheDefault) {
    Seen seen;
    EXPECT_EQ(showAndClose(true, seen, [](HWND h) { click(h, kErrorRetryId); }),
              DialogAnswer::Retry);
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"&Reintentar", "&Salir", "&Defecto"}));
    EXPECT_EQ(seen.defaultButton, "&Salir");
}

TEST(ErrorWindowTest, ExitAndTheCloseControlBothEndAsExit) {
    Seen a, b;
    EXPECT_EQ(showAndClose(true, a, [](HWND h) { click(h, kErrorExitId); }), DialogAnswer::Exit);
    EXPECT_EQ(showAndClose(false, b, [](HWND h) { PostMessageA(h, WM_CLOSE, 0, 0); }),
              DialogAnswer::Exit);
}

}  // namespace
}  // namespace toolkit
