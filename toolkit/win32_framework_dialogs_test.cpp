// The small shared dialogs on a real display: the lock question's lines in
// maroon with its picture and the button pressed, the delete confirmation
// closed without a button, the integrity check's bold lines, and the
// working date typed, cancelled, refused and picked from the calendar.
#include <windows.h>

// After <windows.h>, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "runtime/dates.h"
#include "tables/dialogs.h"
#include "toolkit/date_field.h"
#include "toolkit/framework_dialogs.h"
#include "toolkit/gui_testutil.h"

namespace toolkit {
namespace {

using runtime::makeDate;

constexpr COLORREF kMaroon = 0x000080;

// Presses the button with that caption once the window with that title shows.
void pressWhenShown(const std::string& title, const std::string& caption,
                    std::function<void(HWND)> before = nullptr) {
    test::whenWindowShows(title, [caption, before](HWND h) {
        if (before) before(h);
        for (HWND b : test::childrenOfClass(h, "Button"))
            if (test::windowText(b) == caption) {
                PostMessageA(b, BM_CLICK, 0, 0);
                return;
            }
        PostMessageA(h, WM_CLOSE, 0, 0);
    });
}

TEST(FrameworkDialogTest, LockQuestionShowsItsLinesAndAnswersTheButtonPressed) {
    WindowDialogUi ui;
    int maroon = 0, picture = 0;
    pressWhenShown("Registro bloqueado", "&Abandonar", [&](HWND h) {
        test::pumpFor(200);
        test::saveScreenshot(h, "lock_question");
        const test::ClientImage img = test::clientImage(h);
        maroon = img.count(test::rectIn(GetDlgItem(h, 100), h), kMaroon);
        picture = img.count(test::rectIn(GetDlgItem(h, 600), h), RGB(204, 24, 30));
        EXPECT_EQ(test::windowText(GetDlgItem(h, 110)), "Otro usuario lo est\xE1 modificando");
        EXPECT_EQ(test::windowText(GetDlgItem(h, 120)), "");
    });
    const int answer = ui.run(tables::lockQuestionDialog(
        {"El registro est\xE1 bloqueado", "Otro usuario lo est\xE1 modificando"}));
    EXPECT_EQ(answer, tables::kLockGiveUpButton);
    EXPECT_GT(maroon, 10) << "the first line is not maroon";
    EXPECT_GT(picture, 50) << "the stop picture is not drawn";
}

TEST(FrameworkDialogTest, DeleteConfirmationClosedWithoutAButtonAnswersNothing) {
    WindowDialogUi ui;
    test::whenWindowShows("Eliminar registro", [](HWND h) {
        test::saveScreenshot(h, "delete_confirmation");
        EXPECT_EQ(test::windowText(GetDlgItem(h, tables::kDeleteConfirmButton)), "&Eliminar");
        PostMessageA(h, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ui.run(tables::deleteConfirmDialog(false)), 0);
    pressWhenShown("Eliminar registro", "&Eliminar");
    EXPECT_EQ(ui.run(tables::deleteConfirmDialog(true)), tables::kDeleteConfirmButton);
}

TEST(FrameworkDialogTest, IntegrityCheckLinesAreBoldAndTaller) {
    WindowDialogUi ui;
    LONG boldWeight = 0, plainHeight = 0, boldHeight = 0;
    pressWhenShown("Comprobaci\xF3n de integridad", "&Cancelar", [&](HWND h) {
        test::saveScreenshot(h, "integrity_check");
        LOGFONTA lf{};
        GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(h, 90, WM_GETFONT, 0, 0)), sizeof lf,
                   &lf);
        boldWeight = lf.lfWeight;
        boldHeight = std::abs(lf.lfHeight);
        GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(h, 400, WM_GETFONT, 0, 0)),
                   sizeof lf, &lf);
        plainHeight = std::abs(lf.lfHeight);
    });
    EXPECT_EQ(ui.run(tables::integrityCheckDialog()), tables::kIntegrityCancelButton);
    EXPECT_GE(boldWeight, FW_BOLD);
    EXPECT_EQ(boldHeight, plainHeight + 2);
}

class WorkingDateDialogTest : public ::testing::Test {
protected:
    // Runs the dialog on `start`, typing `typed` (when given) and pressing `button`.
    std::optional<runtime::Date> run(runtime::Date start, const char* typed, const char* button) {
        const std::string caption = startup::workingDateLayout().caption;
        pressWhenShown(caption, button, [&](HWND h) {
            shown = test::windowText(GetDlgItem(h, 101));
            test::saveScreenshot(h, "working_date");
            if (typed) SetDlgItemTextA(h, 101, typed);
        });
        return ui.run(nullptr, startup::workingDateLayout(), start);
    }
    WindowWorkingDateUi ui;
    std::string shown;
};

TEST_F(WorkingDateDialogTest, TypedDateIsTheAnswer) {
    EXPECT_EQ(run(makeDate(2009, 3, 7), "15-11-2010", "&Aceptar"), makeDate(2010, 11, 15));
    EXPECT_EQ(shown, "07-03-2009");
}

TEST_F(WorkingDateDialogTest, CancelAnswersNothingAndAnInvalidDateIsEmpty) {
    EXPECT_EQ(run(makeDate(2009, 3, 7), "15-11-2010", "&Cancelar"), std::nullopt);
    const auto invalid = run(makeDate(2009, 3, 7), "31-04-2009", "&Aceptar");
    ASSERT_TRUE(invalid.has_value());
    EXPECT_TRUE(invalid->empty()) << "DGETDATE keeps the working date for an empty one";
}

TEST_F(WorkingDateDialogTest, TheCalendarPutsTheDatePickedIntoTheField) {
    std::string afterPick;
    test::whenWindowShows(startup::workingDateLayout().caption, [&](HWND h) {
        // The picker is modal: choose in it once it shows, then accept.
        test::whenWindowShows("Seleccione fecha", [](HWND p) {
            test::saveScreenshot(p, "date_picker");
            SYSTEMTIME st{};
            st.wYear = 2011;
            st.wMonth = 6;
            st.wDay = 20;
            MonthCal_SetCurSel(GetDlgItem(p, 101), &st);
            PostMessageA(GetDlgItem(p, 102), BM_CLICK, 0, 0);
        });
        SendMessageA(GetDlgItem(h, 102), BM_CLICK, 0, 0);
        afterPick = test::windowText(GetDlgItem(h, 101));
        PostMessageA(GetDlgItem(h, 103), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(ui.run(nullptr, startup::workingDateLayout(), makeDate(2009, 3, 7)),
              makeDate(2011, 6, 20));
    EXPECT_EQ(afterPick, "20-06-2011");
}

}  // namespace
}  // namespace toolkit
