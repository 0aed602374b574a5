// Raising table-command and driver errors through the runtime's launcher.
#include "tables/dberror.h"

#include <string>

namespace tables {

runtime::ErrorOutcome raiseCommandError(int genCode, int subCode, std::string_view operation) {
    runtime::ErrorSpec spec;
    spec.genCode = genCode;
    spec.subCode = subCode;
    spec.subSystem = "DBCMD";
    spec.operation = std::string(operation);
    spec.severity = runtime::kSeverityError;
    return runtime::launchError(runtime::makeError(spec));
}

void raiseNoTable(std::string_view operation) {
    raiseCommandError(runtime::gen::kNoTable, 2001, operation);
}

runtime::ErrorOutcome raiseDriverError(std::string_view driver, int genCode, int subCode,
                                       std::string_view fileName, std::string_view operation) {
    runtime::ErrorSpec spec;
    spec.genCode = genCode;
    spec.subCode = subCode;
    spec.subSystem = std::string(driver);
    spec.fileName = std::string(fileName);
    spec.operation = std::string(operation);
    spec.severity = runtime::kSeverityError;
    return runtime::launchError(runtime::makeError(spec));
}

}  // namespace tables
