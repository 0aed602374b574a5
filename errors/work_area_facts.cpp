// The table-facts lister: by default read from the table layer's work
// areas and driver registry; tests may install their own.
#include "errors/work_area_facts.h"

#include <algorithm>

#include "tables/rdd.h"
#include "tables/workarea.h"

namespace errors {
namespace {

constexpr int kMaxListedOrders = 15;
constexpr int kMaxListedRelations = 8;

TableFactsLister& installed() {
    static TableFactsLister lister;
    return lister;
}

WorkAreaFacts factsOf(int area, tables::AreaDriver& table) {
    WorkAreaFacts f;
    f.area = area;
    f.current = tables::SELECT() == area;
    f.alias = tables::ALIAS(area);
    f.rddName = table.rddName();
    f.recNo = static_cast<long>(table.recNo());
    f.recCount = static_cast<long>(table.recCount());
    f.bof = table.bof();
    f.eof = table.eof();
    const int controlling = table.currentOrder();
    const int orders = std::min(table.orderCount(), kMaxListedOrders);
    for (int order = 1; order <= orders; ++order)
        f.orders.push_back({table.orderKey(order), table.orderName(order), order == controlling});
    // DBSETRELATION keeps the relations beside the driver; a child area that
    // has been closed since is no longer listed.
    const std::vector<tables::Relation>& relations = tables::areaExtras(area).relations;
    for (size_t i = 0; i < relations.size() && i < kMaxListedRelations; ++i) {
        const tables::Relation& r = relations[i];
        if (!tables::tableInArea(r.childArea)) continue;
        f.relations.push_back({static_cast<int>(i) + 1, r.keyText, tables::ALIAS(r.childArea)});
    }
    return f;
}

}  // namespace

TableFacts tableLayerFacts() {
    TableFacts facts;
    facts.fullDrivers = tables::RDDLIST(tables::kRddTable);
    for (int area = 1; area <= tables::kMaxAreas; ++area) {
        tables::AreaDriver* table = tables::tableInArea(area);
        if (table && !tables::ALIAS(area).empty()) facts.areas.push_back(factsOf(area, *table));
    }
    return facts;
}

TableFactsLister setTableFactsLister(TableFactsLister lister) {
    auto previous = std::move(installed());
    installed() = std::move(lister);
    return previous;
}

TableFacts currentTableFacts() {
    const auto& lister = installed();
    return lister ? lister() : tableLayerFacts();
}

}  // namespace errors
