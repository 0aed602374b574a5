// The engine-backed work area: record and table locks, index orders (open,
// set, create, count) and closing.
#include <cstdio>

#include "runtime/error.h"
#include "tables/ads.h"
#include "tables/ads_area.h"
#include "tables/dberror.h"
#include "tables/maintenance.h"

namespace tables {

void traceLog(std::string_view line);  // ads_functions.cpp

// ---- Locks ------------------------------------------------------------------------

// A record lock that replaces the others first releases every record this
// process holds in the table, five numbers per question to the engine.
bool AdsArea::releaseRecordLocks() {
    for (;;) {
        uint32_t recs[5] = {};
        uint16_t n = 0;
        engine::Result r = engine::lockedRecords(handle_, recs, 5, &n);
        if (r != engine::kOk && r != engine::kMoreLocks) return false;
        for (uint16_t i = 0; i < n; ++i) engine::unlockRecord(handle_, recs[i]);
        if (r != engine::kMoreLocks) return true;
    }
}

bool AdsArea::lock(LockMethod method, uint32_t recNo) {
    if (method == LockMethod::Other) {
        showEngineError("Error in pLockInfo->uiMethod");
        return false;
    }
    if (!shared_) return true;
    if (method == LockMethod::Table) {
        if (engine::lockTable(handle_) != engine::kOk) return false;
        tableLocked_ = true;
        return true;
    }
    if (tableLocked_) return true;
    if (method == LockMethod::Record) releaseRecordLocks();
    uint32_t current = 0;
    engine::recordNumber(handle_, &current);
    if (recNo == 0) recNo = current;
    return engine::lockRecord(handle_, recNo) == engine::kOk;
}

void AdsArea::unlockAll() {
    if (!shared_) return;
    engine::Result r = engine::unlockTable(handle_);
    if (r == engine::kOk || r == engine::kTableNotLocked || r == engine::kRecordNotLocked)
        tableLocked_ = false;
}

std::vector<uint32_t> AdsArea::lockList() {
    std::vector<uint32_t> all;
    uint32_t recs[256] = {};
    uint16_t n = 0;
    // The engine answers the lowest numbers first; one large question is
    // enough for every list a program can hold in practice.
    engine::Result r = engine::lockedRecords(handle_, recs, 256, &n);
    if (r == engine::kOk || r == engine::kMoreLocks) all.assign(recs, recs + n);
    return all;
}

// ---- Orders -------------------------------------------------------------------------

int AdsArea::orderCount() {
    int n = 0;
    engine::orderCount(handle_, &n);
    return n;
}

int AdsArea::currentOrder() {
    int n = 0;
    engine::currentOrder(handle_, &n);
    return n;
}

std::string AdsArea::orderName(int order) {
    std::string name;
    if (order < 1 || engine::orderName(handle_, order, &name) != engine::kOk) return {};
    return name;
}

std::string AdsArea::orderKey(int order) {
    std::string key;
    if (order < 1 || engine::orderKey(handle_, order, &key) != engine::kOk) return {};
    return key;
}

bool AdsArea::setOrder(int order) { return engine::setOrder(handle_, order) == engine::kOk; }

bool AdsArea::setOrder(std::string_view tagName) {
    return engine::setOrderByName(handle_, tagName) == engine::kOk;
}

std::string AdsArea::indexFileFor(std::string_view bagName) const {
    std::string ext = tableType_ == 1 ? ".ntx" : ".cdx";
    std::string name(bagName);
    if (name.empty()) {
        name = fileName_;
        size_t slash = name.find_last_of("\\/");
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            name.resize(dot);
        return name + ext;
    }
    size_t slash = name.find_last_of("\\/");
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += ext;
    return name;
}

bool AdsArea::orderListAdd(std::string_view bagName) {
    std::string file = indexFileFor(bagName);
    engine::Result r = engine::openIndex(handle_, file);
    if (r == engine::kOk || r == engine::kIndexAlreadyOpen) return true;
    raiseDriverError(driverName_, runtime::gen::kOpen, r, file);
    return false;
}

void AdsArea::orderListClear() { engine::closeIndexes(handle_); }

bool AdsArea::orderListRebuild() {
    // The engine offers no rebuild of the open orders on their own (packing
    // rebuilds them, but also removes deleted records): refuse clearly.
    raiseDriverError(driverName_, runtime::gen::kUnsupported, 1000, fileName_, "ORDLISTREBUILD");
    return false;
}

bool AdsArea::orderCreate(std::string_view bagName, std::string_view tagName,
                          std::string_view keyText, bool unique, const OrderCondition& cond) {
    int options = 0;
    if (unique) options |= engine::kIndexUnique;
    if (bagName.empty() || !tagName.empty()) options |= engine::kIndexCompound;
    if (cond.descending) options |= engine::kIndexDescending;
    std::string file = indexFileFor(bagName);
    uint32_t lastCalled = 0;
    engine::IndexProgress progress = [&](uint32_t done, uint32_t total) {
        if (!cond.evalBlock) return;
        uint32_t every = cond.evalInterval > 0 ? static_cast<uint32_t>(cond.evalInterval) : 1;
        if (done == total || done - lastCalled >= every) {
            lastCalled = done;
            cond.evalBlock.eval();
        }
    };
    int order = 0;
    engine::Result r = engine::createIndex(handle_, bagName.empty() ? std::string_view() : file,
                                           tagName, keyText, cond.forText, options, progress,
                                           &order);
    if (r != engine::kOk) {
        raiseDriverError(driverName_, runtime::gen::kCreate, r, file);
        return false;
    }
    engine::openIndex(handle_, file);  // already open after the creation: accepted
    if (order > 0) engine::setOrder(handle_, order);
    goTop();
    return true;
}

uint32_t AdsArea::keyCount(int order) {
    uint32_t n = 0;
    if (order <= 0) {
        engine::keyCount(handle_, &n);
        return n;
    }
    int previous = currentOrder();
    if (engine::setOrder(handle_, order) == engine::kOk) engine::keyCount(handle_, &n);
    engine::setOrder(handle_, previous);
    return n;
}

// ---- Closing ------------------------------------------------------------------------------

engine::Result AdsArea::closeHandle() {
    engine::Result r = engine::closeTable(handle_);
    handle_ = 0;
    return r;
}

void AdsArea::traceEngineFailure(const char* call) {
    char line[900];
    std::snprintf(line, sizeof line, "%s failed (%s, %s)", call, fileName_.c_str(),
                  engineErrorText().c_str());
    traceLog(line);
}

// Closing writes what the engine still holds (appended records, index pages,
// the header count): a failure means the table on disk is not what the
// program wrote, and is raised like any other write error.
void AdsArea::close() {
    if (handle_ == 0) return;
    engine::Result r = closeHandle();
    if (r != engine::kOk) {
        std::string detail = engineErrorText();
        raiseDriverError(driverName_, runtime::gen::kClose, r, fileName_, {}, detail);
    }
}

}  // namespace tables
