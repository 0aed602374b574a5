// DGETDATE: the dialog in which the user changes the working date, reduced
// to its logic. The window layer draws the dialog and the status bar through
// WorkingDateUi; this file decides when the dialog may open, what it starts
// from, how the date format changes around it and what the answer does.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"
#include "startup/product_hooks.h"

namespace startup {

// One item of the dialog; positions as row and column, sizes as width and
// height, in the units of the toolkit's control constructors.
struct DateDialogItem {
    enum class Kind { kLabel, kDateEdit, kCalendarButton, kAcceptButton, kCancelButton };
    Kind kind;
    std::string text;  // caption; the picture of the edit; the bitmap of the calendar button
    int row, col, width, height;
};

// What the dialog looks like: a modal dialog with a caption bar, a system
// menu and a modal frame, in the default dialog font (CFONTNAME,
// NFONTVSIZE, NFONTHSIZE).
struct WorkingDateLayout {
    int top = 100, left = 150, bottom = 200, right = 350;  // pixels
    std::string caption = " Cambio fecha de trabajo";
    uint32_t helpId = 999001001;
    uint32_t labelColor = 8388608;  // navy
    int editTextSysColor = 8;       // window text
    int editBackSysColor = 5;       // window background
    std::string calendarTooltip = "Calendario";
    std::string calendarTitle = "Seleccione fecha";  // title of the date picker
    std::vector<DateDialogItem> items;
};

// The dialog's layout, items in creation order.
WorkingDateLayout workingDateLayout();

// Indicators of a window's status bar.
enum StatusIndicator : unsigned { kClock = 1, kDate = 2, kKeyboard = 4 };

// The window layer's side of the dialog.
class WorkingDateUi {
public:
    virtual ~WorkingDateUi() = default;
    // Runs the dialog modally over `parent`, its edit field holding `date`
    // (the calendar button opens a date picker on it). Returns the edited
    // date when the user accepted, nothing when the dialog was cancelled or
    // closed.
    virtual std::optional<runtime::Date> run(WindowRef parent, const WorkingDateLayout& layout,
                                             runtime::Date date) = 0;
    // Switches indicators of the window's status bar on or off, and
    // redraws the bar; a window without a status bar ignores both.
    virtual void setIndicators(WindowRef window, unsigned indicators, bool on) = 0;
    virtual void refreshStatusBar(WindowRef window) = 0;
};

// Installs the window layer's dialog; nullptr (the default) runs without
// windows, where the dialog counts as cancelled. Returns the one before.
WorkingDateUi* setWorkingDateUi(WorkingDateUi* ui);

// The framework's menu-rights check: the access code of a menu option for
// the current user, "0" when the user may not use it. Without a check
// installed every option is granted.
using MenuRightsCheck = std::function<std::string(std::string_view option)>;
void setMenuRightsCheck(MenuRightsCheck check);

// DGETDATE([oWnd]): when the rights check allows the option "dGetDate",
// shows the dialog over oWnd (default: the main window, OWND) with the date
// format "dd-mm-yyyy", and makes an accepted, non-empty date the working
// date. Afterwards the date format is "dd-mm-yy". Returns the working date
// (nothing if none was ever set), or false, without showing anything, when
// the user may not use the option.
runtime::Value DGETDATE(std::optional<WindowRef> oWnd = std::nullopt);

}  // namespace startup
