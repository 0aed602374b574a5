// The L340 marking rule over one journal row.
#include "updater/l340_rule.h"

#include "runtime/codepage.h"

namespace updater {
namespace {

constexpr std::string_view kSeries = "ABCRZ";

}  // namespace

bool serieQualifies(std::string_view serie) {
    std::string_view trimmed = runtime::allTrimmed(serie);
    return !trimmed.empty() && kSeries.find(trimmed) != std::string_view::npos;
}

bool notRegularizacion(std::string_view contra) {
    return !beginsRegularizacion(runtime::trimLeadingWhite(contra));
}

bool L340Holds(L340Row& row) {
    return l340HoldsFor(row);
}

}  // namespace updater
