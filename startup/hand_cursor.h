// The hand cursor of the start-up record and the routine that gives it to
// the buttons of a dialog.
//
// A cursor object is an object of class "TCURSOR" with the members hCursor
// (a platform cursor handle, 0 when empty) and lPredef (true for a stock
// cursor that must not be destroyed). Loading cursor resources is the window
// layer's business: it installs a loader; without one every resource loads
// as an empty handle.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "runtime/value.h"

namespace startup {

// Loads the cursor resource of that name from the program's resources;
// returns the handle, 0 when there is none.
using CursorLoader = std::function<intptr_t(std::string_view resourceName)>;
// Installs the loader; an empty one puts back "no resources".
void setCursorLoader(CursorLoader loader);

// A new cursor object built from the cursor resource `resourceName`; its
// handle is 0 when the resource does not exist. Nothing is reported.
runtime::ObjectPtr makeResourceCursor(std::string_view resourceName);

// Stores the hand cursor of the start-up record (ARRANQUE), or clears it.
void setHandCursor(runtime::ObjectPtr cursor);

// OHAND(): the hand cursor object; nothing before ARRANQUE.
runtime::Value OHAND();

// OCURSORHAND(xControls, [lRemove = false]): for a list of controls or a
// single control, every object whose class is "TBTNBMP" or "TBUTTON" gets
// its oCursor set to the hand cursor, or to nothing when lRemove is true.
// Anything else (other classes, values that are not objects) is skipped.
// Returns true.
bool OCURSORHAND(const runtime::Value& xControls, bool lRemove = false);

}  // namespace startup
