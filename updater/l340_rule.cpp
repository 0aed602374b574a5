// The L340 marking rule over one journal row.
#include "updater/l340_rule.h"

namespace updater {
namespace {

constexpr std::string_view kRegularizacion = "REGULARIZACI";
constexpr std::string_view kSeries = "ABCRZ";

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

bool textEmpty(std::string_view text) {
    for (char c : text)
        if (!isWhite(c)) return false;
    return true;
}

std::string_view allTrim(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
    return text;
}

bool notRegularizacion(std::string_view contra) {
    // With exact comparison off the left operand only has to begin with the
    // right one to compare equal; letters compare with their case, so
    // "Regularizacion" is a different text.
    return !allTrim(contra).starts_with(kRegularizacion);
}

bool serieQualifies(std::string_view serie) {
    std::string_view trimmed = allTrim(serie);
    return !trimmed.empty() && kSeries.find(trimmed) != std::string_view::npos;
}

bool L340Holds(L340Row& row) {
    if (!row.hasL340()) return false;
    std::string contra = row.contra();
    if (textEmpty(contra) || !notRegularizacion(contra)) return false;
    if (row.factura() == 0 && row.nfactick() == 0) return false;
    if (row.documentoEmpty()) return false;
    return serieQualifies(row.serie());
}

}  // namespace updater
