// The work areas of the process: opening a table into an area, closing,
// selecting by number or alias, and aliased field access.
#include "tables/workarea.h"

#include <array>

#include "os/path_parts.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/settings.h"
#include "tables/dberror.h"

namespace tables {

namespace {

struct Area {
    std::string alias;  // upper case as given
    std::unique_ptr<AreaDriver> table;
    OrderCondition orderCondition;
    AreaExtras extras;
};

struct Areas {
    std::array<Area, kMaxAreas + 1> slots;  // slot 0 unused
    int current = 1;
};

// At namespace scope rather than a function's static: the table commands look
// the current area up several times per record, and a function-local static
// would test its guard on every one of those lookups. Nothing reaches the
// work areas before main() starts.
Areas gAreas;

inline Areas& areas() {
    return gAreas;
}

int lowestFreeArea() {
    Areas& a = areas();
    for (int i = 1; i <= kMaxAreas; ++i)
        if (!a.slots[i].table) return i;
    return 0;
}

void closeArea(int n) {
    Area& area = areas().slots[n];
    // The slot is emptied before the table closes: a close that fails raises
    // an error, and the handler (which lists the open areas, and may end the
    // program from inside this call) must find the area already closed.
    std::unique_ptr<AreaDriver> table = std::move(area.table);
    area.table.reset();
    area.alias.clear();
    area.orderCondition = OrderCondition{};
    area.extras = AreaExtras{};
    // Relations into the closed area end with it.
    for (Area& other : areas().slots) {
        auto& rel = other.extras.relations;
        std::erase_if(rel, [n](const Relation& r) { return r.childArea == n; });
    }
    if (table) table->close();
}

// The base name of a file: without folder and without extension.
std::string baseName(std::string_view file) {
    return std::string(os::stemOf(file));
}

// An alias may not begin with a digit, nor be one of the single letters A
// to M other than L, which name work areas and memory variables.
bool legalAlias(std::string_view alias) {
    if (alias.empty()) return false;
    unsigned char c = static_cast<unsigned char>(alias[0]);
    if (c >= '0' && c <= '9') return false;
    if (alias.size() == 1) {
        char u = static_cast<char>(runtime::upperByte(c));
        if (u >= 'A' && u <= 'M' && u != 'L') return false;
    }
    return true;
}

int findAlias(std::string_view alias) {
    std::string wanted = runtime::UPPER(runtime::ALLTRIM(alias));
    Areas& a = areas();
    for (int i = 1; i <= kMaxAreas; ++i)
        if (a.slots[i].table && a.slots[i].alias == wanted) return i;
    return 0;
}

// Splits "ALIAS->NAME"; alias is empty when there is no arrow.
void splitAliased(std::string_view name, std::string_view& alias, std::string_view& field) {
    size_t arrow = name.find("->");
    if (arrow == std::string_view::npos) {
        alias = {};
        field = name;
    } else {
        alias = name.substr(0, arrow);
        field = name.substr(arrow + 2);
    }
}

// 1-based position of the named field in the table, 0 when none.
int fieldIndex(AreaDriver* t, std::string_view name) {
    if (!t) return 0;
    std::string wanted = runtime::UPPER(runtime::ALLTRIM(name));
    for (size_t i = 0; i < t->fields().size(); ++i)
        if (t->fields()[i].name == wanted) return static_cast<int>(i) + 1;
    return 0;
}

void raiseNoVariable(std::string_view name) {
    runtime::ErrorFields def;
    def.genCode = runtime::gen::kNoVar;
    def.subCode = 1003;
    def.subSystem = "BASE";
    def.operation = std::string(name);
    runtime::launchError(runtime::makeError(def));
}

}  // namespace

void DBUSEAREA(bool lNewArea, std::optional<std::string_view> cDriver,
               std::optional<std::string_view> cFile, std::optional<std::string_view> cAlias,
               std::optional<bool> lShared, std::optional<bool> lReadOnly,
               std::optional<std::string_view>) {
    runtime::Frame frame("DBUSEAREA");
    frame.param("lNewArea", lNewArea).param("cDriver", cDriver).param("cFile", cFile);
    frame.param("cAlias", cAlias).param("lShared", lShared).param("lReadOnly", lReadOnly);
    NETERR(false);
    Areas& a = areas();
    if (lNewArea) {
        int n = lowestFreeArea();
        if (n == 0) {
            raiseCommandError(runtime::gen::kLimit, 1012, "DBUSEAREA");
            NETERR(true);
            return;
        }
        a.current = n;
    } else {
        closeArea(a.current);
    }
    if (!cFile || runtime::ALLTRIM(*cFile).empty()) {
        raiseCommandError(runtime::gen::kArg, 1005, "DBUSEAREA");
        return;
    }
    std::string driver = cDriver && !runtime::ALLTRIM(*cDriver).empty()
                             ? runtime::UPPER(runtime::ALLTRIM(*cDriver))
                             : RDDSETDEFAULT();
    std::string alias = runtime::UPPER(runtime::ALLTRIM(
        cAlias && !runtime::ALLTRIM(*cAlias).empty() ? *cAlias : baseName(*cFile)));
    if (!legalAlias(alias)) {
        raiseCommandError(runtime::gen::kDupAlias, 1011, "DBUSEAREA");
        return;
    }
    if (findAlias(alias) != 0) {
        raiseCommandError(runtime::gen::kDupAlias, 1011, alias);
        return;
    }
    Rdd* rdd = findRdd(driver);
    if (!rdd) {
        raiseCommandError(runtime::gen::kArg, 1015, "DBUSEAREA");
        return;
    }
    OpenRequest request{std::string(*cFile), alias, lShared.value_or(!runtime::isExclusive()),
                        lReadOnly.value_or(false)};
    std::unique_ptr<AreaDriver> table = rdd->open(request);
    if (!table) {
        NETERR(true);
        return;
    }
    a.slots[a.current].table = std::move(table);
    a.slots[a.current].alias = alias;
}

bool DBCREATE(std::string_view cFile, const std::vector<FieldInfo>& aStruct,
              std::optional<std::string_view> cDriver) {
    runtime::Frame frame("DBCREATE");
    frame.param("cFile", cFile).param("cDriver", cDriver);
    Rdd* rdd = findRdd(cDriver ? *cDriver : RDDSETDEFAULT());
    if (!rdd) {
        raiseCommandError(runtime::gen::kArg, 1015, "DBCREATE");
        return false;
    }
    return rdd->create(cFile, aStruct);
}

void DBCLOSEAREA() {
    runtime::Frame frame("DBCLOSEAREA");
    closeArea(areas().current);
}

void DBCLOSEALL() {
    runtime::Frame frame("DBCLOSEALL");
    for (int i = 1; i <= kMaxAreas; ++i) closeArea(i);
    areas().current = 1;
}

void dropAllAreas() {
    for (Area& area : areas().slots) {
        area.table.reset();
        area.alias.clear();
        area.orderCondition = OrderCondition{};
        area.extras = AreaExtras{};
    }
    areas().current = 1;
}

bool USED() {
    return currentTable() != nullptr;
}

int SELECT(std::optional<std::string_view> cAlias) {
    if (!cAlias) return areas().current;
    return findAlias(*cAlias);
}

std::string ALIAS(std::optional<int> nArea) {
    int n = nArea.value_or(areas().current);
    if (n < 1 || n > kMaxAreas || !areas().slots[n].table) return {};
    return areas().slots[n].alias;
}

void DBSELECTAREA(const runtime::Value& area) {
    runtime::Frame frame("DBSELECTAREA");
    frame.param("xArea", area);
    Areas& a = areas();
    if (area.isNumber()) {
        int n = static_cast<int>(area.num());
        if (n == 0) n = lowestFreeArea();
        if (n >= 1 && n <= kMaxAreas) a.current = n;
        return;
    }
    if (area.isText()) {
        int n = areaOfAlias(area.text());
        if (n != 0) a.current = n;
    }
}

std::string RDDNAME() {
    AreaDriver* t = currentTable();
    return t ? t->rddName() : std::string();
}

int areaOfAlias(std::string_view alias) {
    int n = findAlias(alias);
    if (n == 0)
        raiseCommandError(runtime::gen::kNoAlias, 1002, runtime::UPPER(runtime::ALLTRIM(alias)));
    return n;
}

AreaSwitch::AreaSwitch(int area) : previous_(areas().current) {
    if (area >= 1 && area <= kMaxAreas) areas().current = area;
}

AreaSwitch::~AreaSwitch() {
    areas().current = previous_;
}

runtime::Value fieldValue(std::string_view name) {
    std::string_view alias, field;
    splitAliased(name, alias, field);
    if (!alias.empty()) return aliasField(alias, field);
    AreaDriver* t = currentTable();
    int pos = fieldIndex(t, field);
    if (pos == 0) {
        raiseNoVariable(field);
        return {};
    }
    return t->getValue(pos);
}

runtime::Value fieldAssign(std::string_view name, const runtime::Value& value) {
    std::string_view alias, field;
    splitAliased(name, alias, field);
    if (!alias.empty()) return aliasAssign(alias, field, value);
    AreaDriver* t = currentTable();
    int pos = fieldIndex(t, field);
    if (pos == 0) {
        raiseNoVariable(field);
        return {};
    }
    if (t->eof()) return {};
    return t->putValue(pos, value) ? value : runtime::Value();
}

runtime::Value aliasField(std::string_view alias, std::string_view field) {
    return inAlias(alias, [&] { return fieldValue(field); });
}

runtime::Value aliasAssign(std::string_view alias, std::string_view field,
                           const runtime::Value& value) {
    return inAlias(alias, [&] { return fieldAssign(field, value); });
}

AreaDriver* currentTable() {
    return tableInArea(areas().current);
}

AreaDriver* tableInArea(int area) {
    if (area < 1 || area > kMaxAreas) return nullptr;
    return areas().slots[area].table.get();
}

OrderCondition& pendingOrderCondition() {
    return areas().slots[areas().current].orderCondition;
}

AreaExtras& areaExtras(int area) {
    if (area < 1 || area > kMaxAreas) area = 0;
    return areas().slots[area].extras;
}

AreaExtras& currentExtras() {
    return areaExtras(areas().current);
}

}  // namespace tables
