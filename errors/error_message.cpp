// One-line description of an error object.
#include "errors/error_message.h"

#include "errors/value_text.h"
#include "runtime/codepage.h"

namespace errors {

std::string ERRORMESSAGE(const runtime::ObjectPtr& oError) {
    const auto field = [&](const char* name) { return oError->get(name); };
    std::string out;
    runtime::Value osCode = field("OsCode");
    if (osCode.numOr(0) == 0) {
        out = field("Severity").numOr(0) > 1 ? "Error " : "Atenci\xF3n ";
    } else {
        out = "(Error DOS " + asText(osCode) + ") ";
    }
    runtime::Value subSystem = field("SubSystem");
    out += subSystem.isText() ? subSystem.text() : "???";
    runtime::Value subCode = field("SubCode");
    out += subCode.isNumber() ? "/" + asText(subCode) : "/???";
    runtime::Value description = field("Description");
    if (description.isText()) out += " " + description.text();
    std::string fileName = field("FileName").textOr();
    std::string operation = field("Operation").textOr();
    if (!runtime::emptyText(fileName)) {
        out += ": " + fileName;
    } else if (!runtime::emptyText(operation)) {
        out += ": " + operation;
    }
    return out;
}

}  // namespace errors
