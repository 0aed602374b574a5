// The "ADS" driver object (open, create), its driver-wide settings (table
// type, the runtime settings passed on to the engine), the functions the
// program calls directly (ADSSETSERVERTYPE, ADSSETFILETYPE, ADSGETLASTERROR,
// ADSKEYCOUNT, ADSSHUTDOWN) and the trace log.
#include "tables/ads.h"

#include <cstdio>
#include <iostream>

#include "engine/session.h"
#include "os/status.h"
#include "runtime/error.h"
#include "runtime/settings.h"
#include "tables/ads_area.h"
#include "tables/dberror.h"
#include "tables/workarea.h"

namespace tables {

namespace {

int g_tableType = kAdsCdx;  // driver-wide default table type

constexpr size_t kMaxErrorText = 600;

// Never destroyed: an area still open at program end closes (and notes its
// outcome here) while the statics are being destroyed.
engine::Status& lastError() {
    static engine::Status* last = new engine::Status();
    return *last;
}

// Passes a runtime setting on to the engine when it changes. The engine
// refuses only a value out of its range (an epoch outside 0..9999): an
// argument error of the driver.
void passSetting(runtime::Set id, const runtime::Value& v) {
    engine::Status s;
    switch (id) {
        case runtime::Set::Exact:
            s = engine::setExact(v.logicalOr(false));
            break;
        case runtime::Set::DateFormat:
            s = engine::setDateFormat(v.textOr());
            break;
        case runtime::Set::Epoch:
            s = engine::setEpoch(static_cast<int>(v.numOr(1900)));
            break;
        case runtime::Set::Path:
            s = engine::setPath(v.textOr());
            break;
        case runtime::Set::Default:
            s = engine::setDefault(v.textOr());
            break;
        case runtime::Set::Deleted:
            s = engine::setDeleted(v.logicalOr(false));
            break;
        default:
            break;
    }
    if (!keepDriverError(s).ok())
        raiseDriverError(adsDriverName(), runtime::gen::kArg, s.code(), {}, "SET", s.message());
}

// Installs the settings hook once and hands the engine the current values.
void hookSettingsOnce() {
    static bool hooked = false;
    if (hooked) return;
    hooked = true;
    runtime::addSettingHook(passSetting);
    for (runtime::Set id : {runtime::Set::Exact, runtime::Set::DateFormat, runtime::Set::Epoch,
                            runtime::Set::Path, runtime::Set::Default, runtime::Set::Deleted})
        passSetting(id, runtime::SET(id));
}

std::string fieldListText(const std::vector<FieldInfo>& fields) {
    std::string list;
    char buf[64];
    for (const FieldInfo& f : fields) {
        if (f.type == 'D' || f.type == 'L' || f.type == 'M')
            std::snprintf(buf, sizeof buf, "%s,%c;", f.name.c_str(), f.type);
        else
            std::snprintf(buf, sizeof buf, "%s,%c,%d,%d;", f.name.c_str(), f.type, f.length,
                          f.decimals);
        list += buf;
    }
    return list;
}

class AdsRdd : public Rdd {
public:
    AdsRdd() { hookSettingsOnce(); }
    std::string name() const override { return "ADS"; }
    int kind() const override { return kRddTable; }
    std::unique_ptr<AreaDriver> open(const OpenRequest& request) override {
        return AdsArea::open(request, g_tableType, adsDriverName());
    }
    bool create(std::string_view fileName, const std::vector<FieldInfo>& fields) override {
        std::string file = withTableExtension(fileName, g_tableType);
        if (!keepDriverError(engine::createTable(file, fieldListText(fields), g_tableType, 0))
                 .ok()) {
            showEngineError("Error");
            return false;
        }
        return true;
    }
};

}  // namespace

// The driver's trace log: standard error. A failed close writes
// "adsCloseTable failed (<code>, <file>)".
void traceLog(std::string_view line) {
    std::cerr << line << '\n';
}

std::unique_ptr<Rdd> makeAdsRdd() {
    return std::make_unique<AdsRdd>();
}

std::string adsVersion() {
    return "ADS RDD 1.12";
}

std::string adsDriverName(std::optional<int> tableType) {
    switch (tableType.value_or(g_tableType)) {
        case kAdsNtx:
            return "ADSNTX";
        case kAdsAdt:
            return "ADSADT";
        default:
            return "ADSCDX";
    }
}

int ADSSETSERVERTYPE(std::optional<int> n) {
    if (!n) return 999999;
    // The engine runs inside the process; it serves the local type only.
    return *n == 1 ? engine::kOk : engine::kInvalidArgument;
}

int ADSSETFILETYPE(std::optional<int> n) {
    int previous = g_tableType;
    if (n && *n >= kAdsNtx && *n <= kAdsAdt) g_tableType = *n;
    return previous;
}

const engine::Status& lastDriverError() {
    return lastError();
}

engine::Status keepDriverError(engine::Status s) {
    engine::Status& last = lastError();
    if (s.ok()) {
        if (!last.ok()) last = engine::Status();
    } else {
        std::string text = s.message();
        if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
        last = engine::Status(s.code(), std::move(text));
    }
    return s;
}

void clearDriverError() {
    engine::Status& last = lastError();
    if (!last.ok()) last = engine::Status();
}

int ADSGETLASTERROR(std::string* cText) {
    const engine::Status& last = lastError();
    if (cText) *cText = last.message().substr(0, kMaxErrorText);
    return last.code();
}

std::optional<int> osCodeForEngineCode(int engineCode) {
    switch (engineCode) {
        case engine::kTooManyOpenFiles:
            return static_cast<int>(os::kErrTooManyOpenFiles);
        case engine::kLocked:
            return static_cast<int>(os::kErrAccessDenied);
        case engine::kNotFound:
            return static_cast<int>(os::kErrFileNotFound);
        case engine::kAccessDenied:
            return static_cast<int>(os::kErrAccessDenied);
        default:
            return std::nullopt;
    }
}

uint32_t ADSKEYCOUNT(const runtime::Value& xOrder, const runtime::Value& cBag,
                     const runtime::Value& nOption) {
    (void)cBag;
    (void)nOption;  // every option asks the engine's own count
    AreaDriver* t = currentTable();
    if (!t) {
        raiseCommandError(runtime::gen::kNoTable, 2001, "ADSKEYCOUNT");
        return 0;
    }
    if (xOrder.isNil()) return t->keyCount(0);
    if (xOrder.isNumber()) {
        int order = static_cast<int>(xOrder.num());
        if (order < 1 || order > t->orderCount()) return 0;
        return t->keyCount(order);
    }
    if (xOrder.isText()) {
        for (int i = 1, n = t->orderCount(); i <= n; ++i)
            if (runtime::sameName(t->orderName(i), xOrder.text())) return t->keyCount(i);
        return 0;
    }
    raiseCommandError(runtime::gen::kArg, 1014, "ADSKEYCOUNT");
    return 0;
}

void ADSSHUTDOWN() {
    // Quietly: this runs at program end, also after an error ended the run.
    // Every area owns its table: dropping them closes every table the
    // driver opened (a failure of those is traced).
    dropAllAreas();
}

}  // namespace tables
