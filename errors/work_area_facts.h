// What the error report lists about the table layer: the full table drivers
// and every open work area with its positions, orders and relations. The
// table layer provides it through a lister installed at start-up, so the
// report does not depend on how work areas are kept.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace errors {

struct OrderFacts {
    std::string keyExpression;  // empty: the order is not listed
    std::string tagName;
    bool controlling = false;
};

struct RelationFacts {
    int number = 0;  // 1..8
    std::string expression;
    std::string childAlias;
};

struct WorkAreaFacts {
    int area = 0;  // 1..255
    bool current = false;
    std::string alias;
    std::string rddName;  // as RDDNAME reports it, e.g. "ADSCDX"
    long recNo = 0;
    long recCount = 0;
    bool bof = false;
    bool eof = false;
    std::vector<OrderFacts> orders;  // orders 1..15
    std::vector<RelationFacts> relations;
};

struct TableFacts {
    std::vector<std::string> fullDrivers;  // registration type 1, in list order
    std::vector<WorkAreaFacts> areas;      // areas with an alias, by number
};

using TableFactsLister = std::function<TableFacts()>;

// The facts as the table layer knows them: RDDLIST of the full drivers and
// every work area 1..255 that has an alias.
TableFacts tableLayerFacts();

// Installs the lister the handler calls while it builds a report; an empty
// function restores tableLayerFacts. Returns the previous lister.
TableFactsLister setTableFactsLister(TableFactsLister lister);
TableFacts currentTableFacts();

}  // namespace errors
