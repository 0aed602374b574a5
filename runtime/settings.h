// The process-wide settings table: every setting by number and by name, its
// default, typed readers for the ones the lower layers use, and hooks that
// tell a table driver when a setting changes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace runtime {

// Setting numbers. The numbers are fixed: stored programs and start-up code
// set them by number.
enum class Set : int {
    Exact = 1,         // L  .F.  exact text comparison for =, <, > ...
    Fixed = 2,         // L  .F.  show numbers with Decimals decimals
    Decimals = 3,      // N  2    decimals shown for computed numbers
    DateFormat = 4,    // C  "mm/dd/yy"
    Epoch = 5,         // N  1900 first year of the two-digit-year window
    Path = 6,          // C  ""   search path for files (";" separated)
    Default = 7,       // C  ""   default folder for new files
    Exclusive = 8,     // L  .T.  opens are exclusive unless told otherwise
    SoftSeek = 9,      // L  .F.  a failed seek stops at the next higher key
    Unique = 10,       // L  .F.  new indexes keep one key per value
    Deleted = 11,      // L  .F.  records marked deleted are hidden
    Cancel = 12,       // L  .T.
    Debug = 13,        // N  0
    TypeAhead = 14,    // N  50
    Color = 15,        // C  "W/N,N/W,N/N,N/N,N/W"
    Cursor = 16,       // N  1
    Console = 17,      // L  .T.
    Alternate = 18,    // L  .F.
    AltFile = 19,      // C  ""
    Device = 20,       // C  "SCREEN"
    Extra = 21,        // L  .F.
    ExtraFile = 22,    // C  ""
    Printer = 23,      // L  .F.
    PrintFile = 24,    // C  ""
    Margin = 25,       // N  0
    Bell = 26,         // L  .F.
    Confirm = 27,      // L  .F.  data-entry fields need Enter to move on
    Escape = 28,       // L  .T.  Escape ends console-style input
    Insert = 29,       // L  .F.
    Exit = 30,         // L  .F.
    Intensity = 31,    // L  .T.  console-style input shown highlighted
    Scoreboard = 32,   // L  .T.  status messages on the console's top line
    Delimiters = 33,   // L  .F.
    DelimChars = 34,   // C  "::"
    Wrap = 35,         // L  .F.  console-style menus wrap around
    Message = 36,      // N  0
    MCenter = 37,      // L  .F.
    ScrollBreak = 38,  // L  .T.
};
constexpr int kFirstSetting = 1;
constexpr int kLastSetting = 38;

// The setting's name in upper case ("EXACT", "DATEFORMAT", ...).
std::string_view settingName(Set id);
// Looks a setting up by name, without regard to case; also accepts the
// short form "DATE" for DATEFORMAT. Nothing for an unknown name.
std::optional<Set> settingByName(std::string_view name);
// Nothing for a number outside 1..38.
std::optional<Set> settingByNumber(int number);

// SET(id [, newValue]): returns the value the setting had before the call
// and, when newValue is given, stores it. Logical settings take a logical or
// the texts "ON"/"OFF" (any case); number settings a number; text settings a
// text. A value of the wrong type is ignored (the setting keeps its value).
// Every change that stores a value calls the hooks, also when the value is
// unchanged. Setting DATEFORMAT to a format with "yyyy" turns the century
// setting on, with "yy" turns it off.
Value SET(Set id, std::optional<Value> newValue = std::nullopt);
Value SET(int number, std::optional<Value> newValue = std::nullopt);  // NIL for bad numbers

// The century setting (not numbered): on shows four-digit years. Turning it
// on or off rewrites the year of DATEFORMAT ("yy" <-> "yyyy") and so calls the
// DATEFORMAT hooks. Returns the setting as it was before the call.
bool SETCENTURY(std::optional<bool> on = std::nullopt);

// Typed readers of the settings the lower layers consult most.
bool isExact();
bool isSoftSeek();
bool isUnique();
bool isDeleted();
bool isExclusive();
bool isCentury();
int decimalsSetting();     // clamped to 0..15
int epochYear();           // clamped to 100..9900
std::string dateFormat();  // as stored, e.g. "dd-mm-yy"
std::string defaultFolder();
std::string searchPath();

// Hooks: called after a setting stored a value, with the setting and its new
// value. The century setting reports itself as a DATEFORMAT change. Returns
// an id for removeSettingHook. Hooks run in the order they were added.
using SettingHook = std::function<void(Set id, const Value& newValue)>;
int addSettingHook(SettingHook hook);
void removeSettingHook(int hookId);

// Puts every setting back to its default (hooks are kept and not called).
// For tests and for a fresh start-up.
void resetSettings();

}  // namespace runtime
