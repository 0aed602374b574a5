// The start-up sequence.
#include "startup/arranque.h"

#include "os/fs.h"
#include "runtime/dates.h"
#include "runtime/settings.h"
#include "startup/current_directory.h"
#include "startup/file_names.h"
#include "startup/hand_cursor.h"
#include "startup/settings_record.h"
#include "startup/working_date.h"
#include "tables/maintenance.h"

namespace startup {

void moveToProgramFolder() {
    os::Result<std::string> exe = os::programFileName();
    if (exe.ok()) (void)SETCURRENTDIRECTORY(CFILEPATH(exe.value()));
}

namespace {

// The process-wide settings every later table operation and date
// conversion depends on, in the order they are made.
void applyRuntimeSettings() {
    using runtime::Set;
    using runtime::SET;
    SET(Set::Confirm, runtime::Value("OFF"));
    SET(Set::DateFormat, runtime::Value(runtime::isCentury() ? "dd-mm-yyyy" : "dd-mm-yy"));
    SET(Set::Deleted, runtime::Value("ON"));
    SET(Set::Escape, runtime::Value("ON"));
    SET(Set::Exclusive, runtime::Value("ON"));
    SET(Set::Intensity, runtime::Value("ON"));
    SET(Set::Scoreboard, runtime::Value("OFF"));
    SET(Set::Wrap, runtime::Value("ON"));
    SET(Set::Epoch, runtime::Value(1920));
}

}  // namespace

std::string defaultStartPath(std::string_view curDir) {
    if (curDir.empty()) return ".\\";
    return "\\" + std::string(curDir) + "\\";
}

std::string normaliseStartPath(std::string path) {
    if (path.size() >= 2 && path.ends_with("\\\\")) path.pop_back();
    return path;
}

bool ARRANQUE(std::optional<std::string> cPath, std::optional<bool> lNetwork,
              std::optional<bool> lBasic) {
    int granted = SETHANDLECOUNT(kHandleAllowance);
    initStartupRecord();
    std::string path = cPath ? *cPath : defaultStartPath(CURDIR());
    resetMenuMode();
    moveToProgramFolder();
    NHANDLERS(SETHANDLECOUNT(granted));
    CPATHSTART(normaliseStartPath(path));
    CPATHDBFDELEGACION(std::string());
    tables::setStartPathHook([] { return CPATHSTART().value_or(std::string()); });
    DSETDATE(runtime::DATE());
    applyRuntimeSettings();
    setHandCursor(makeResourceCursor("HAND"));
    LNETWORK(lNetwork.value_or(false));
    LBASICA(lBasic.value_or(false));
    UPDATEPRINTINGOPTIONS();
    return false;
}

}  // namespace startup
