// Raising table-command and driver errors through the runtime's launcher.
#include "tables/dberror.h"

#include <string>

namespace tables {

runtime::ErrorOutcome raiseCommandError(int genCode, int subCode, std::string_view operation) {
    runtime::ErrorFields def;
    def.genCode = genCode;
    def.subCode = subCode;
    def.subSystem = "DBCMD";
    def.operation = std::string(operation);
    def.severity = runtime::kSeverityError;
    return runtime::launchError(runtime::makeError(def));
}

void raiseNoTable(std::string_view operation) {
    raiseCommandError(runtime::gen::kNoTable, 2001, operation);
}

runtime::ErrorOutcome raiseDriverError(std::string_view driver, int genCode, int subCode,
                                       std::string_view fileName, std::string_view operation,
                                       std::string_view detail) {
    runtime::ErrorFields def;
    def.genCode = genCode;
    def.subCode = subCode;
    def.subSystem = std::string(driver);
    def.fileName = std::string(fileName);
    def.operation = std::string(operation);
    def.severity = runtime::kSeverityError;
    if (!detail.empty())
        def.description =
            std::string(runtime::genCodeDescription(genCode)) + " (" + std::string(detail) + ")";
    return runtime::launchError(runtime::makeError(def));
}

}  // namespace tables
