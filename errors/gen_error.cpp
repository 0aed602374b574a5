// Toolkit and structure-class error objects.
#include "errors/gen_error.h"

#include "runtime/error.h"

namespace errors {
namespace {

struct ToolkitErrorRow {
    const char* description;
    int severity;
    const char* subSystem;
    int subCode;
};

// Rows for codes 1..6.
constexpr ToolkitErrorRow kRows[] = {
    {"Non defined Id", 3, "Tellurn", 1},
    {"Duplicated Id", 3, "Tellurn", 2},
    {"Cannot create Dialog Box", 3, "Tellurn", 3},
    {"Memory Low", 1, "BASE", 5300},
    {"GPF occurred", 3, "Tellurn", 5},
    {"Cannot create window or control", 3, "Tellurn", 6},
};

runtime::Value raiseDirectly(const runtime::ObjectPtr& err) {
    runtime::Block block = runtime::ERRORBLOCK();
    return block.eval({runtime::Value(err)});
}

}  // namespace

runtime::ObjectPtr toolkitError(int nCode, const std::string& cOperation) {
    if (nCode < 1 || nCode > 6) return nullptr;
    const ToolkitErrorRow& row = kRows[nCode - 1];
    runtime::ObjectPtr err = runtime::ERRORNEW();
    err->set("Severity", row.severity);
    err->set("CanDefault", row.severity < 3);
    err->set("SubSystem", row.subSystem);
    err->set("SubCode", row.subCode);
    err->set("Description", row.description);
    err->set("Operation", cOperation);
    return err;
}

runtime::ObjectPtr _QXGENERROR(int nCode, const std::string& cOperation) {
    runtime::ObjectPtr err = toolkitError(nCode, cOperation);
    if (err) raiseDirectly(err);
    return err;
}

runtime::Value __LOWMEMERROR() {
    return raiseDirectly(toolkitError(toolkit_error::kMemoryLow, ""));
}

runtime::ObjectPtr _GENERROR(int nSubCode, const std::string& cClass, const std::string& cMessage) {
    runtime::ObjectPtr err = runtime::ERRORNEW();
    err->set("SubSystem", "BASE");
    err->set("SubCode", nSubCode);
    err->set("Severity", 2);
    err->set("Description", "Message not found");
    err->set("Operation", cClass + ":" + cMessage);
    return err;
}

}  // namespace errors
