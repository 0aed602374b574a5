// The hand cursor object and the buttons that show it.
#include "startup/hand_cursor.h"

#include <utility>

namespace startup {

namespace {

CursorLoader& loader() {
    static CursorLoader fn;
    return fn;
}

runtime::ObjectPtr& handCursor() {
    static runtime::ObjectPtr cursor;
    return cursor;
}

bool isButton(const runtime::Value& v) {
    if (!v.isObject() || !v.object()) return false;
    const std::string& cls = v.object()->className();
    return runtime::sameName(cls, "TBTNBMP") || runtime::sameName(cls, "TBUTTON");
}

void applyCursor(const runtime::Value& control, bool remove) {
    if (!isButton(control)) return;
    runtime::Value cursor;
    if (!remove && handCursor()) cursor = runtime::Value(handCursor());
    control.object()->set("oCursor", cursor);
}

}  // namespace

void setCursorLoader(CursorLoader fn) {
    loader() = std::move(fn);
}

runtime::ObjectPtr makeResourceCursor(std::string_view resourceName) {
    intptr_t handle = loader() ? loader()(resourceName) : 0;
    runtime::ObjectPtr cursor = runtime::makeObject("TCURSOR");
    cursor->set("hCursor", runtime::Value(static_cast<double>(handle)));
    cursor->set("lPredef", false);
    return cursor;
}

void setHandCursor(runtime::ObjectPtr cursor) {
    handCursor() = std::move(cursor);
}

runtime::Value OHAND() {
    if (!handCursor()) return {};
    return runtime::Value(handCursor());
}

bool OCURSORHAND(const runtime::Value& xControls, bool lRemove) {
    if (xControls.isArray() && xControls.array()) {
        for (const runtime::Value& control : *xControls.array()) applyCursor(control, lRemove);
    } else {
        applyCursor(xControls, lRemove);
    }
    return true;
}

}  // namespace startup
