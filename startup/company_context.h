// The company context of the view routines: the folders and codes of the
// current company and of its linked accounting companies. Each value is a
// get/set accessor, absent until it is set; the updater itself never sets
// them.
#pragma once

#include <optional>
#include <string>

namespace startup {

std::optional<std::string> CPATHDBF(std::optional<std::string> c = std::nullopt);  // general tables
std::optional<std::string> CPATHTMP(
    std::optional<std::string> c = std::nullopt);  // temporary tables
std::optional<std::string> CDBFCONTA(
    std::optional<std::string> c = std::nullopt);  // 1st linked accounting data
std::optional<std::string> CDBFCONTA2(
    std::optional<std::string> c = std::nullopt);  // 2nd linked accounting data
std::optional<std::string> CCODEMP(
    std::optional<std::string> c = std::nullopt);  // current company code
std::optional<std::string> CCODEMP2(
    std::optional<std::string> c = std::nullopt);  // 2nd linked company code
// The linked accounting tables are named without the company-code suffix.
std::optional<bool> LNEWCONTA(std::optional<bool> l = std::nullopt);
// View file names follow the accounting product's per-company folder layout.
std::optional<bool> LBALDRIMEX(std::optional<bool> l = std::nullopt);

// Back to the load state (everything absent). For tests.
void clearCompanyContext();

}  // namespace startup
