// The shared open, lock and append routines: open a table with a bounded
// number of attempts and tell the user why it failed, lock a record or the
// table waiting for a number of seconds, append and lock, ask the user
// whether to keep waiting for a lock.
//
// Messages go through the message box interface (runtime/alert.h); the lock
// question goes through the dialog interface of tables/dialogs.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"
#include "tables/workarea.h"

namespace tables {

// SEGUNDOS(nSeconds): busy-waits that long (fractions allowed) on a clock
// that never runs backwards, without processing window messages.
void SEGUNDOS(double nSeconds);

// LNETUSE(cFile, lExclusive, nSeconds, cAlias, l5, l6, lNewArea, nOrder):
// opens cFile (path without extension) exclusive or shared, up to 10
// attempts one second apart while nSeconds last (0: keep trying). On
// success, when the structural index file exists, nOrder (default 1)
// becomes controlling. A missing file, folder, full file table or sharing
// conflict shows its message at once and gives up. Returns whether the
// table is open with its area current. The two flags l5/l6 have no effect.
bool LNETUSE(std::string_view cFile, bool lExclusive = false, double nSeconds = 1,
             std::optional<std::string_view> cAlias = std::nullopt, bool l5 = true, bool l6 = false,
             bool lNewArea = true, int nOrder = 1);

// _DBUSEAREA(lNewArea, cDriver, cFile, cAlias, lShared, lReadOnly): DBUSEAREA
// with the driver replaced by the first three characters of the default
// driver name (blanks removed). The caller tests NETERR().
void _DBUSEAREA(bool lNewArea, std::optional<std::string_view> cDriver, std::string_view cFile,
                std::optional<std::string_view> cAlias, std::optional<bool> lShared,
                std::optional<bool> lReadOnly = std::nullopt);

// LNETRECLOCK([nSeconds = 1]): locks the current record, retrying every half
// second (pumping window messages once per attempt) while nSeconds last; 0
// keeps trying. On failure shows "El registro que se intenta procesar está
// bloqueado" ("Acceso denegado") and returns false.
bool LNETRECLOCK(double nSeconds = 1);

// FILLOCK(nSeconds): locks the whole table, retrying every half second; 0
// keeps trying. On failure shows "El fichero que se intenta procesar está
// bloqueado" and returns false.
bool FILLOCK(double nSeconds);

// LNETRECADD([nSeconds = 1]): appends a record and locks it, retrying every
// half second; 0 keeps trying. No message. Returns whether it succeeded.
bool LNETRECADD(double nSeconds = 1);

// LNETQSTLOCK(aLines): locks the current record, asking (LGOQUESTION) after
// every failure whether to try again. Returns whether it got the lock.
bool LNETQSTLOCK(const std::vector<std::string>& aLines);

// LGOQUESTION(aLines): the lock question dialog with up to three lines.
// Returns true when the user chose to give up.
bool LGOQUESTION(const std::vector<std::string>& aLines);

// The window message pump the lock wait calls once per attempt (the
// toolkit installs its SYSREFRESH here; none by default). Returns the
// previous pump.
using MessagePump = void (*)();
MessagePump setMessagePump(MessagePump pump);

}  // namespace tables
