// The engine-backed work area: record and table locks, index orders (open,
// set, create, count) and closing.
#include <cstdio>

#include "engine/open_options.h"
#include "engine/table_access.h"
#include "os/path_parts.h"
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
        engine::Status r = keepDriverError(engine::lockedRecords(*table_, recs, 5, &n));
        if (r != engine::kMoreLocks && !check(r, runtime::gen::kWrite)) return false;
        for (uint16_t i = 0; i < n; ++i) {
            // Writing the record back before its lock goes can fail.
            engine::Status u = keepDriverError(engine::unlockRecord(*table_, recs[i]));
            if (!u.succeeded() && !check(u, runtime::gen::kWrite)) return false;
        }
        if (r != engine::kMoreLocks) return true;
    }
}

bool AdsArea::lock(LockMethod method, uint32_t recNo) {
    if (method == LockMethod::Other) {
        showEngineError("Error in pLockInfo->uiMethod");
        return false;
    }
    if (!shared_) return true;
    // A lock held by another program is the plain failure the caller tests
    // for; anything else (the record written back before the lock moves
    // could not be written) is raised as well.
    if (method == LockMethod::Table) {
        engine::Status s = keepDriverError(table_->lockTable());
        if (s != engine::kLocked) check(s, runtime::gen::kWrite);
        if (!s.ok()) return false;
        tableLocked_ = true;
        return true;
    }
    if (tableLocked_) return true;
    if (method == LockMethod::Record && !releaseRecordLocks()) return false;
    clearDriverError();
    if (recNo == 0) recNo = table_->recno();
    engine::Status s = keepDriverError(table_->lockRecord(recNo));
    if (s != engine::kLocked) check(s, runtime::gen::kWrite);
    return s.ok();
}

void AdsArea::unlockAll() {
    if (!shared_) return;
    engine::Status r = keepDriverError(engine::unlockTable(*table_));
    if (r.succeeded() || check(r, runtime::gen::kWrite)) tableLocked_ = false;
}

std::vector<uint32_t> AdsArea::lockList() {
    std::vector<uint32_t> all;
    uint32_t recs[256] = {};
    uint16_t n = 0;
    // The engine answers the lowest numbers first; one large question is
    // enough for every list a program can hold in practice.
    engine::Status r = keepDriverError(engine::lockedRecords(*table_, recs, 256, &n));
    if (r == engine::kMoreLocks || check(r, runtime::gen::kRead)) all.assign(recs, recs + n);
    return all;
}

// ---- Orders -------------------------------------------------------------------------

int AdsArea::orderCount() {
    int n = 0;
    return check(keepDriverError(engine::orderCount(*table_, &n)), runtime::gen::kRead) ? n : 0;
}

int AdsArea::currentOrder() {
    clearDriverError();
    return table_->indexes().currentOrder();
}

// An order number or name the area does not hold is an empty answer, not an
// error; a failure to read the bags is raised.
std::string AdsArea::orderName(int order) {
    std::string name;
    if (order < 1) return {};
    engine::Status s = keepDriverError(engine::orderName(*table_, order, &name));
    if (s != engine::kNoOrder) check(s, runtime::gen::kRead);
    return s.ok() ? name : std::string();
}

std::string AdsArea::orderKey(int order) {
    std::string key;
    if (order < 1) return {};
    engine::Status s = keepDriverError(engine::orderKey(*table_, order, &key));
    if (s != engine::kNoOrder) check(s, runtime::gen::kRead);
    return s.ok() ? key : std::string();
}

// A failed change of order leaves the previous one; only an unknown order
// is the quiet failure.
bool AdsArea::setOrder(int order) {
    engine::Status s = keepDriverError(table_->setOrder(order));
    if (s != engine::kNoOrder) check(s, runtime::gen::kRead);
    return s.ok();
}

bool AdsArea::setOrder(std::string_view tagName) {
    engine::Status s = keepDriverError(engine::setOrderByName(*table_, tagName));
    if (s != engine::kNoOrder) check(s, runtime::gen::kRead);
    return s.ok();
}

std::string AdsArea::indexFileFor(std::string_view bagName) const {
    std::string ext = tableType_ == 1 ? ".ntx" : ".cdx";
    std::string name(bagName);
    if (name.empty()) return os::withExtension(fileName_, ext);
    return os::withDefaultExtension(name, ext);
}

bool AdsArea::orderListAdd(std::string_view bagName) {
    std::string file = indexFileFor(bagName);
    engine::Status r = keepDriverError(table_->openIndex(file));
    if (r.ok() || r == engine::kIndexAlreadyOpen) return true;
    raiseDriverError(driverName_, runtime::gen::kOpen, r.code(), file);
    return false;
}

// Closing the bags writes what they still hold.
void AdsArea::orderListClear() {
    check(keepDriverError(table_->closeIndexes()), runtime::gen::kClose);
}

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
    engine::IndexBuildProgress progress = [&](uint32_t done, uint32_t total) {
        if (!cond.evalBlock) return;
        uint32_t every = cond.evalInterval > 0 ? static_cast<uint32_t>(cond.evalInterval) : 1;
        if (done == total || done - lastCalled >= every) {
            lastCalled = done;
            cond.evalBlock.eval();
        }
    };
    int order = 0;
    engine::Status r = keepDriverError(
        engine::createIndex(*table_, bagName.empty() ? std::string_view() : file, tagName, keyText,
                            cond.forText, options, progress, &order));
    if (!r.ok()) {
        raiseDriverError(driverName_, runtime::gen::kCreate, r.code(), file);
        return false;
    }
    r = keepDriverError(table_->openIndex(file));  // already open after the creation: accepted
    if (r != engine::kIndexAlreadyOpen && !check(r, runtime::gen::kOpen)) return false;
    if (order > 0 && !check(keepDriverError(table_->setOrder(order)), runtime::gen::kRead))
        return false;
    goTop();
    return true;
}

uint32_t AdsArea::keyCount(int order) {
    uint32_t n = 0;
    if (order <= 0)
        return check(keepDriverError(table_->keyCount(&n)), runtime::gen::kRead) ? n : 0;
    int previous = currentOrder();
    if (setOrder(order) && !check(keepDriverError(table_->keyCount(&n)), runtime::gen::kRead))
        n = 0;
    setOrder(previous);
    return n;
}

// ---- Closing ------------------------------------------------------------------------------

engine::Status AdsArea::closeTable() {
    engine::Status r = keepDriverError(table_->close());
    table_.reset();
    return r;
}

void AdsArea::traceEngineFailure(const char* call, const engine::Status& s) {
    char line[900];
    std::snprintf(line, sizeof line, "%s failed (%s, %s)", call, fileName_.c_str(),
                  s.message().c_str());
    traceLog(line);
}

// Closing writes what the engine still holds (appended records, index pages,
// the header count): a failure means the table on disk is not what the
// program wrote, and is raised like any other write error.
void AdsArea::close() {
    if (!table_) return;
    check(closeTable(), runtime::gen::kClose);
}

}  // namespace tables
