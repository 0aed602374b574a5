// The error dialog on a real display: its size, its buttons by the error's
// retry rule (positions, the default button) and the answer of each way of
// closing it.
#include <gtest/gtest.h>

#include <cstring>

#include "toolkit/error_window.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/win_handles.h"

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

// The text of each line the edit box shows, as it wrapped it.
std::vector<std::string> boxLines(HWND box) {
    std::vector<std::string> lines;
    const LRESULT n = SendMessageA(box, EM_GETLINECOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        char buffer[512] = {};
        *reinterpret_cast<WORD*>(buffer) = sizeof buffer - 1;
        const LRESULT got =
            SendMessageA(box, EM_GETLINE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
        lines.emplace_back(buffer, static_cast<size_t>(got));
    }
    return lines;
}

// A missing file deep in a long path, with a long technical description:
// the file and the cause are the box's first line, and the rest is all
// there, wrapped at words, to be scrolled to.
TEST(ErrorWindowTest, FileAndCauseComeFirstAndALongDescriptionIsReadWhole) {
    errors::DialogRequest r = request(false);
    r.headline =
        "Claves.dbf: no se encuentra el fichero\r\nCarpeta: C:\\Archivos de programa\\"
        "Norvento\\Facturacion\\Instalaciones\\Principal\\DBF001\\";
    r.description =
        " Descripci\xF3n del error: (Error DOS 2) ACTUA/1001 Open error (no se pudo abrir la "
        "tabla (c\xF3"
        "digo 2)): C:\\Archivos de programa\\Norvento\\Facturacion\\"
        "Instalaciones\\Principal\\DBF001\\Claves.dbf";
    std::string text;
    std::vector<std::string> lines;
    int visible = 0;
    test::whenWindowShows(errors::kDialogCaption, [&](HWND h) {
        const HWND box = GetDlgItem(h, kErrorDescriptionId);
        text = test::windowText(box);
        lines = boxLines(box);
        TEXTMETRICA tm{};
        {
            WindowDC dc(box);
            SelectedObject font(dc.get(),
                                reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
            GetTextMetricsA(dc.get(), &tm);
        }
        RECT c{};
        GetClientRect(box, &c);
        visible = tm.tmHeight > 0 ? c.bottom / tm.tmHeight : 0;
        test::saveScreenshot(h, "error_dialog_long");
        PostMessageA(GetDlgItem(h, kErrorDefaultId), BM_CLICK, 0, 0);
    });
    WindowErrorDialog dialog;
    EXPECT_EQ(dialog.show(r), DialogAnswer::Default);
    EXPECT_EQ(text, r.headline + "\r\n" + r.description) << "nothing cut";
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Claves.dbf: no se encuentra el fichero");
    EXPECT_GE(visible, 2) << "the file, the cause and the start of the folder at first sight";
    EXPECT_GT(static_cast<int>(lines.size()), visible) << "the rest is there to scroll to";
    // Joined again (a hard break where the text has CR LF), the lines give
    // the whole text back; a soft break falls at a blank, at a separator of
    // a path, or inside a word too long for a line.
    std::string joined;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        joined += lines[i];
        if (text.compare(joined.size(), 2, "\r\n") == 0) {
            joined += "\r\n";
            continue;
        }
        const bool afterBlank = !lines[i].empty() && std::strchr(" \\", lines[i].back()) != nullptr;
        const bool atBlank = text.compare(joined.size(), 1, " ") == 0;
        const bool atSeparator = text.compare(joined.size(), 1, "\\") == 0;
        const bool longWord = lines[i].find(' ') == std::string::npos;
        EXPECT_TRUE(afterBlank || atBlank || atSeparator || longWord)
            << "a word cut after: " << lines[i];
        if (atBlank) joined += " ";
    }
    joined += lines.back();
    EXPECT_EQ(joined, text);
}

}  // namespace
}  // namespace toolkit
