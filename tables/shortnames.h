// The table functions that can also be called by the first ten characters
// of their names, with the same arguments and results.
#pragma once

#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"

namespace tables {

inline void DBCLEARFIL() {
    DBCLEARFILTER();
}
inline std::string DBSETDRIVE(std::optional<std::string_view> cName = std::nullopt) {
    return DBSETDRIVER(cName);
}
inline void DBSETRELAT(const runtime::Value& child, const runtime::Block& bKey,
                       std::string_view cKey = {}) {
    DBSETRELATION(child, bKey, cKey);
}
inline std::vector<uint32_t> DBRLOCKLIS() {
    return DBRLOCKLIST();
}
inline void DBCLOSEARE() {
    DBCLOSEAREA();
}
inline std::string RDDSETDEFA(std::optional<std::string_view> cName = std::nullopt) {
    return RDDSETDEFAULT(cName);
}
inline void DBSELECTAR(const runtime::Value& area) {
    DBSELECTAREA(area);
}
inline void DBUNLOCKAL() {
    DBUNLOCKALL();
}
inline void DBCLEARREL() {
    DBCLEARRELATION();
}
inline void DBSETFILTE(const runtime::Block& bCondition, std::string_view cCondition = {}) {
    DBSETFILTER(bCondition, cCondition);
}
inline runtime::Value DBFIELDINF(int nInfo, int nField) {
    return DBFIELDINFO(nInfo, nField);
}
inline runtime::Value DBORDERINF(int nInfo, const runtime::Value& cBag = {},
                                 const runtime::Value& xOrder = {}) {
    return DBORDERINFO(nInfo, cBag, xOrder);
}
inline runtime::Value DBRECORDIN(int nInfo, const runtime::Value& nRecord = {}) {
    return DBRECORDINFO(nInfo, nRecord);
}
inline void ORDLISTCLE() {
    ORDLISTCLEAR();
}
inline void ORDLISTREB() {
    ORDLISTREBUILD();
}
inline std::string ORDSETFOCU(const runtime::Value& order = {}) {
    return ORDSETFOCUS(order);
}

}  // namespace tables
