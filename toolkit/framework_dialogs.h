// The family's small dialogs as windows: the lock question, the delete
// confirmation and the integrity check's confirmation (tables/dialogs.h
// describes each; its template comes from the resource module), and the
// working-date dialog with its date picker (startup/date_dialog.h).
#pragma once

#include <windows.h>

#include <optional>

#include "runtime/value.h"
#include "startup/date_dialog.h"
#include "tables/dialogs.h"

namespace toolkit {

// Shows a described dialog from its template: the lines in their colours
// (bold lines in the default face made bold, NFONTHSIZE() + delta high),
// the picture drawn transparently, the buttons with their captions. Returns
// the id of the button pressed, 0 when closed without one.
class WindowDialogUi : public tables::DialogUi {
public:
    int run(const tables::DialogLayout& def) override;
};

// The working-date dialog, built in memory from the layout. The window
// objects given as parent are the toolkit's (TWindow); the status bar
// calls do nothing, this program's windows having none.
class WindowWorkingDateUi : public startup::WorkingDateUi {
public:
    std::optional<runtime::Date> run(startup::WindowRef parent,
                                     const startup::WorkingDateLayout& layout,
                                     runtime::Date date) override;
    void setIndicators(startup::WindowRef, unsigned, bool) override {}
    void refreshStatusBar(startup::WindowRef) override {}
};

// KW_MSGDATE(dDate, cTitle): a calendar to pick a date in, starting at
// dDate (today when empty), over the active window. Returns the date
// chosen, nothing when the picker was cancelled or closed.
std::optional<runtime::Date> KW_MSGDATE(runtime::Date dDate, const std::string& cTitle);

}  // namespace toolkit
