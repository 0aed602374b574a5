// The process-wide start-up settings record and its accessors.
#include "startup/settings_record.h"

#include <array>
#include <string_view>
#include <utility>

#include "runtime/codepage.h"
#include "startup/product_hooks.h"

namespace startup {

namespace {

struct StartupRecord {
    std::optional<std::string> startPath;
    std::optional<std::string> exeFolder;
    std::optional<std::string> reportFolder;
    std::optional<std::string> branchFolder;
    std::optional<bool> network;
    std::optional<bool> basic;
    runtime::Value menuMode;  // array of three entries, or nothing
    std::optional<bool> destScreen;
    std::optional<bool> destPrinter;
    std::optional<bool> destFile;
    std::optional<bool> destHtml;
    std::optional<bool> destSpreadsheet;
    int handleBudget = 0;
};

StartupRecord& record() {
    static StartupRecord r;
    return r;
}

template <class T>
std::optional<T> getSet(std::optional<T>& member, std::optional<T> newValue) {
    if (newValue) member = std::move(newValue);
    return member;
}

// Product codes of the family whose builds have no HTML export. This
// program's own name is not among them; the list belongs to the framework
// and is kept here only so that the rule has one place.
constexpr std::array<std::string_view, 0> kProductsWithoutHtml{};

bool productWithoutHtml(std::string_view name) {
    for (std::string_view code : kProductsWithoutHtml) {
        if (code == name) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> CPATHSTART(std::optional<std::string> cPath) {
    return getSet(record().startPath, std::move(cPath));
}
std::optional<std::string> CPATHEXE(std::optional<std::string> cPath) {
    return getSet(record().exeFolder, std::move(cPath));
}
std::optional<std::string> CPATHINFORME(std::optional<std::string> cPath) {
    return getSet(record().reportFolder, std::move(cPath));
}
std::optional<std::string> CPATHDBFDELEGACION(std::optional<std::string> cPath) {
    return getSet(record().branchFolder, std::move(cPath));
}

std::optional<bool> LNETWORK(std::optional<bool> lOn) {
    return getSet(record().network, lOn);
}
std::optional<bool> LZENTA(std::optional<bool> lOn) {
    return getSet(record().network, lOn);
}
std::optional<bool> LBASICA(std::optional<bool> lOn) {
    return getSet(record().basic, lOn);
}

runtime::Value AMENUMODE(const runtime::Value& nEntry, const runtime::Value& xValue) {
    runtime::Value& list = record().menuMode;
    if (!list.isArray() || !nEntry.isNumber() || runtime::EMPTY(xValue)) return list;
    double n = nEntry.num();
    if (n == 1 || n == 2 || n == 3) (*list.array())[static_cast<size_t>(n) - 1] = xValue;
    return list;
}

std::optional<bool> LDEST_PANTALLA() {
    return record().destScreen;
}
std::optional<bool> LDEST_IMPRESORA() {
    return record().destPrinter;
}
std::optional<bool> LDEST_FICHERO() {
    return record().destFile;
}
std::optional<bool> LDEST_HTML() {
    return record().destHtml;
}
std::optional<bool> LDEST_EXCEL() {
    return record().destSpreadsheet;
}

int NHANDLERS(std::optional<int> nBudget) {
    if (nBudget) record().handleBudget = *nBudget;
    return record().handleBudget;
}

void initStartupRecord() {
    StartupRecord& r = record();
    r.startPath = r.exeFolder = r.reportFolder = std::string();
    r.network = r.basic = false;
    r.destScreen = r.destPrinter = r.destFile = r.destHtml = r.destSpreadsheet = true;
}

void resetMenuMode() {
    record().menuMode = runtime::Value::newArray(runtime::Array(3));
}

void UPDATEPRINTINGOPTIONS() {
    StartupRecord& r = record();
    r.destScreen = r.destPrinter = r.destFile = r.destHtml = r.destSpreadsheet = true;
    if (!LZENTA().value_or(false)) r.destSpreadsheet = false;
    if (productWithoutHtml(productName())) r.destHtml = false;
}

void clearStartupRecord() {
    record() = StartupRecord();
}

}  // namespace startup
