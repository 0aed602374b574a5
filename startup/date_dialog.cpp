// The working-date dialog's logic.
#include "startup/date_dialog.h"

#include <utility>

#include "runtime/settings.h"
#include "startup/working_date.h"

namespace startup {

namespace {

WorkingDateUi*& installedUi() {
    static WorkingDateUi* ui = nullptr;
    return ui;
}

MenuRightsCheck& rightsCheck() {
    static MenuRightsCheck check;
    return check;
}

bool mayUse(std::string_view option) {
    return !rightsCheck() || rightsCheck()(option) != "0";
}

void setDateFormat(std::string_view format) {
    runtime::SET(runtime::Set::DateFormat, runtime::Value(format));
}

// Runs the dialog between the two status-bar and date-format switches.
void runDialog(WorkingDateUi* ui, WindowRef window) {
    if (ui) ui->setIndicators(window, kClock | kDate | kKeyboard, false);
    setDateFormat("dd-mm-yyyy");
    if (!ui) return;
    ui->setIndicators(window, kKeyboard | kDate | kClock, true);
    ui->refreshStatusBar(window);
    std::optional<runtime::Date> edited =
        ui->run(window, workingDateLayout(), DSETDATE().value_or(runtime::Date{}));
    if (edited && !edited->empty()) DSETDATE(*edited);
}

}  // namespace

WorkingDateLayout workingDateLayout() {
    using Kind = DateDialogItem::Kind;
    WorkingDateLayout layout;
    layout.items = {
        {Kind::kLabel, "Nueva fecha", 5, 30, 100, 20},
        {Kind::kDateEdit, "99-99-9999", 15, 30, 35, 10},
        {Kind::kCalendarButton, "lupaDate", 14, 70, 12, 12},
        {Kind::kAcceptButton, "&Aceptar", 35, 10, 35, 10},
        {Kind::kCancelButton, "&Cancelar", 35, 55, 35, 10},
    };
    return layout;
}

WorkingDateUi* setWorkingDateUi(WorkingDateUi* ui) {
    return std::exchange(installedUi(), ui);
}

void setMenuRightsCheck(MenuRightsCheck check) {
    rightsCheck() = std::move(check);
}

runtime::Value DGETDATE(std::optional<WindowRef> oWnd) {
    if (!mayUse("dGetDate")) return runtime::Value(false);
    WindowRef window = oWnd ? *oWnd : mainWindow();
    WorkingDateUi* ui = installedUi();
    try {
        runDialog(ui, window);
    } catch (...) {
        setDateFormat("dd-mm-yy");  // never leave the long format behind
        throw;
    }
    if (ui) ui->setIndicators(window, kDate | kKeyboard, false);
    setDateFormat("dd-mm-yy");
    if (ui) {
        ui->setIndicators(window, kDate | kKeyboard, true);
        ui->refreshStatusBar(window);
    }
    std::optional<runtime::Date> date = DSETDATE();
    return date ? runtime::Value(*date) : runtime::Value();
}

}  // namespace startup
