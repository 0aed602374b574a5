// Locking and appending with retries (LNETRECLOCK, FILLOCK, LNETRECADD) and
// the lock question asked between attempts (LNETQSTLOCK, LGOQUESTION).
#include "runtime/alert.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/dialogs.h"
#include "tables/netuse.h"
#include "tables/wait.h"

namespace tables {

namespace {

const char kTitleDenied[] = "Acceso denegado";
MessagePump g_pump = nullptr;

void pumpMessages() {
    if (g_pump) g_pump();
}

}  // namespace

MessagePump setMessagePump(MessagePump pump) {
    MessagePump previous = g_pump;
    g_pump = pump;
    return previous;
}

bool LNETRECLOCK(double nSeconds) {
    runtime::Frame frame("LNETRECLOCK", __LINE__);
    if (RLOCK()) return true;
    bool keepTrying = nSeconds == 0;
    while (keepTrying || nSeconds > 0) {
        if (RLOCK()) return true;
        pumpMessages();
        waitSeconds(0.5);
        nSeconds -= 0.5;
    }
    runtime::MSGALERT("El registro que se intenta procesar est\xE1 bloqueado", kTitleDenied);
    return false;
}

bool FILLOCK(double nSeconds) {
    runtime::Frame frame("FILLOCK", __LINE__);
    if (FLOCK()) return true;
    bool keepTrying = nSeconds == 0;
    while (keepTrying || nSeconds > 0) {
        waitSeconds(0.5);
        nSeconds -= 0.5;
        if (FLOCK()) return true;
    }
    runtime::MSGALERT("El fichero que se intenta procesar est\xE1 bloqueado", kTitleDenied);
    return false;
}

bool LNETRECADD(double nSeconds) {
    runtime::Frame frame("LNETRECADD", __LINE__);
    DBAPPEND(true);
    RLOCK();
    if (!NETERR()) return true;
    bool keepTrying = nSeconds == 0;
    while (keepTrying || nSeconds > 0) {
        DBAPPEND(true);
        RLOCK();
        if (!NETERR()) return true;
        waitSeconds(0.5);
        nSeconds -= 0.5;
    }
    return false;
}

bool LNETQSTLOCK(const std::vector<std::string>& aLines) {
    runtime::Frame frame("LNETQSTLOCK", __LINE__);
    if (RLOCK()) return true;
    for (;;) {
        if (RLOCK()) return true;
        if (LGOQUESTION(aLines)) return false;
    }
}

bool LGOQUESTION(const std::vector<std::string>& aLines) {
    return dialogUi().run(lockQuestionDialog(aLines)) == kLockGiveUpButton;
}

}  // namespace tables
