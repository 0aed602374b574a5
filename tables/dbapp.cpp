// Appending every visible record of another table file to the current
// work area, copying the fields that both tables name alike.
#include <utility>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/dberror.h"
#include "tables/workarea.h"

namespace tables {

namespace {

// 1-based position of a field name in a table, 0 when none.
int positionIn(const AreaDriver& t, std::string_view name) {
    const auto& fields = t.fields();
    for (size_t i = 0; i < fields.size(); ++i)
        if (runtime::sameName(fields[i].name, name)) return static_cast<int>(i) + 1;
    return 0;
}

// The pairs (source position, target position) of the fields to copy.
std::vector<std::pair<int, int>> fieldMap(const AreaDriver& source, const AreaDriver& target,
                                          const std::vector<std::string>& names) {
    std::vector<std::pair<int, int>> map;
    auto add = [&](std::string_view name) {
        int from = positionIn(source, name), to = positionIn(target, name);
        if (from != 0 && to != 0) map.emplace_back(from, to);
    };
    if (names.empty()) {
        for (const FieldInfo& f : source.fields()) add(f.name);
    } else {
        for (const std::string& n : names) {
            std::string name = runtime::ALLTRIM(n);
            size_t arrow = name.find("->");
            add(arrow == std::string::npos ? name : name.substr(arrow + 2));
        }
    }
    return map;
}

bool isTrue(const runtime::Block& b) {
    runtime::Value v = b.eval();
    return v.isLogical() && v.logical();
}

}  // namespace

void __DBAPP(std::string_view cFile, const std::vector<std::string>& aFields,
             const runtime::Block& bFor, const runtime::Block& bWhile, std::optional<int> nNext,
             std::optional<uint32_t> nRecord, bool lRest, std::optional<std::string_view> cDriver) {
    runtime::Frame frame("__DBAPP");
    frame.param("cFile", cFile).param("aFields", aFields).param("nNext", nNext);
    frame.param("nRecord", nRecord).param("lRest", lRest).param("cDriver", cDriver);
    AreaDriver* target = currentTable();
    if (!target) {
        raiseNoTable("DBAPP");
        return;
    }
    if (runtime::ALLTRIM(cFile).empty()) {
        raiseCommandError(runtime::gen::kArg, 2019, "DBAPP");
        return;
    }
    int targetArea = SELECT();
    DBUSEAREA(true, cDriver, cFile, "__TMPAREA", !runtime::isExclusive(), true);
    int sourceArea = SELECT();
    AreaDriver* source = currentTable();
    if (!source) {
        DBSELECTAREA(targetArea);
        return;
    }
    auto map = fieldMap(*source, *target, aFields);
    if (nRecord)
        source->goTo(*nRecord);
    else if (!nNext && !bWhile && !lRest)
        source->goTop();
    int copied = 0;
    frame.local("nCopied", copied);
    frame.here();
    while (!source->eof()) {
        if (bWhile && !isTrue(bWhile)) break;
        if (nNext && copied >= *nNext) break;
        ++copied;
        if (!bFor || isTrue(bFor)) {
            if (!target->append(false)) {
                NETERR(true);
                break;
            }
            for (auto [from, to] : map) target->putValue(to, source->getValue(from));
        }
        source->skip(1);
    }
    frame.here();
    DBSELECTAREA(sourceArea);
    DBCLOSEAREA();
    DBSELECTAREA(targetArea);
}

}  // namespace tables
