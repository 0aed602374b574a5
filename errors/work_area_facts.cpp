// The table-facts lister: by default read from the table layer's work
// areas and driver registry; tests may install their own.
#include "errors/work_area_facts.h"

#include <algorithm>

#include "tables/rdd.h"
#include "tables/workarea.h"

namespace errors {
namespace {

constexpr int kMaxListedOrders = 15;

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
    // The table layer keeps no relations between areas, so none are listed.
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
