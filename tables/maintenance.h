// Record deletion with confirmation, index and table maintenance routines
// (structural-index mark, tag creation, per-user table erasure, header
// repair), and the hooks through which the layers above supply what these
// routines need from them (index extension, start path, browse, list mode).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace tables {

// ---- Hooks supplied by the layers above (defaults in brackets) ------------------
// INDEXEXT() of the product [".CDX"].
void setIndexExtHook(std::function<std::string()> hook);
std::string indexExt();
std::string startPath();
bool touchMode();
// CPATHSTART() of the start-up settings [""].
void setStartPathHook(std::function<std::string()> hook);
// The framework's touch-screen list mode [false].
void setTouchModeHook(std::function<bool()> hook);
// Shows / hides the wait cursor around long operations [nothing].
void setWaitCursorHook(std::function<void(bool on)> hook);

// ---- File-name pieces (backslash is the folder separator) -------------------------
std::string fileFolder(
    std::string_view path);  // up to and including the last '\' or '/', upper case
std::string fileBaseName(std::string_view path);  // name without folder, cut before the first '.'

// ---- Deleting a record ----------------------------------------------------------------
// What LDELRECORD needs of a browse control.
class BrowseScope {
public:
    virtual ~BrowseScope() = default;
    virtual std::string scopeField() const = 0;     // "" when none
    virtual runtime::Value lowerBound() const = 0;  // NIL when none
    virtual runtime::Value upperBound() const = 0;
    virtual std::string alias() const = 0;
    virtual void BugUp() = 0;    // runs the browse's UpStable
    virtual void Refresh() = 0;  // full repaint
};

// LDELRECORD([oBrowse], [lDelete = true]): asks for confirmation and, when
// confirmed and lDelete, deletes the current record of the browse's (or
// current) area and moves to the next visible record (or the previous one,
// or the first/lower bound). Returns whether the user confirmed.
bool LDELRECORD(BrowseScope* browse = nullptr, bool lDelete = true);

// ---- Index and table maintenance -----------------------------------------------------
// CHECKMDX(cFile): when INDEXEXT() is not ".NTX" and cFile has no index file
// of its own name, clears the production-index flag (header byte 28) so the
// table opens without it. Returns whether the flag was cleared.
bool CHECKMDX(std::string_view cFile);

// LIB_INDEXDATA(cTag, x, cKey, lUnique): creates tag cTag on cKey in the
// current area leaving deleted records out (".NOT. DELETED()").
void LIB_INDEXDATA(std::string_view cTag, const runtime::Value& ignored, std::string_view cKey,
                   bool lUnique = false);

// DELVENDBF(cUser) / DELIMPRDBF(cUser): erase "GesVen"+code+".dbf" and
// "GesPrn"+code+".dbf" (with its index file) in the start path.
void DELVENDBF(std::string_view cUser);
void DELIMPRDBF(std::string_view cUser);

// XDBSETDRIVER(x): makes "SIX" the default driver (which must be
// registered); returns "DBFCDX".
std::string XDBSETDRIVER(const runtime::Value& any = {});

// REWRITETABLEINFO(cFile): clears bytes 18, 19 and 24..31 of every field
// descriptor (only 24..31 in tables of type 0x30/0x31/0x32, where 18..23
// hold the field flags and autoincrement counter), then makes the file end
// with its last record and the end-of-file byte. The records it holds are
// never cut: whole records stored past the header's count are counted in, a
// file shorter than its count is counted down to what it holds (a last
// record cut short is completed with blanks), and only bytes that are not
// records are dropped. A header with impossible lengths leaves the size
// alone. Returns {lWritesOk, nRecords, nRecordLength, nExpectedSize,
// nActualSize} ({false, 0, 0, 0, -1} when it cannot be opened).
runtime::Value REWRITETABLEINFO(std::string_view cFile);

// CHECKINTEGRITYDATA(cFolder, [lForce]): after confirmation (dialog 20200,
// unless forced) repairs every non-empty "*.dbf" of the folder with
// REWRITETABLEINFO. Returns whether the check ran.
bool CHECKINTEGRITYDATA(std::string_view cFolder, bool lForce = false);

}  // namespace tables
