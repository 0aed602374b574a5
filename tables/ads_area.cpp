// The engine-backed work area: opening, navigation, field reads and writes,
// appending and the other record operations. Locks and orders are in
// ads_area_orders.cpp.
#include "tables/ads_area.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "os/path_parts.h"
#include "runtime/alert.h"
#include "runtime/dates.h"
#include "runtime/error.h"
#include "tables/dberror.h"

namespace tables {

namespace {

// The engine's date format is switched to "YYYYMMDD" while a date field is
// read or written, and put back afterwards, so that the text the engine
// exchanges never depends on SET DATEFORMAT.
class DateFormatSwitch {
public:
    // The engine's date-format calls only store and hand back a setting;
    // they have no failure to report.
    DateFormatSwitch() {
        (void)engine::getDateFormat(&saved_);
        (void)engine::setDateFormat("YYYYMMDD");
    }
    ~DateFormatSwitch() { (void)engine::setDateFormat(saved_); }
    DateFormatSwitch(const DateFormatSwitch&) = delete;
    DateFormatSwitch& operator=(const DateFormatSwitch&) = delete;

private:
    std::string saved_;
};

// Display width and decimals of numbers read from a field.
runtime::Value numberFor(const FieldInfo& f, double d) {
    switch (f.type) {
        case 'I':
            return runtime::Value::number(d, 10, 0);
        case 'Y':
            return runtime::Value::number(d, 20, 4);
        case 'B':
            return runtime::Value::number(d, 20, f.decimals);
        default:
            return runtime::Value::number(d, f.length, f.decimals);
    }
}

bool isNumberType(char t) {
    return t == 'N' || t == 'F' || t == 'I' || t == 'B' || t == 'Y';
}
// A number read from a numeric field of the same width and decimals goes
// back as the digits it was stored with (blanks stay blanks).
bool sameNumericShape(const FieldInfo& f, const runtime::Number& n) {
    return (f.type == 'N' || f.type == 'F') && !n.stored.empty() &&
           n.stored.size() == static_cast<size_t>(f.length) && n.decimals == f.decimals;
}

bool isMemoField(char t) {
    return t == 'M' || t == 'G' || t == 'P' || t == 'W';
}
bool isTextType(char t) {
    return t == 'C' || t == 'V' || t == 'Q' || isMemoField(t);
}
bool isDateType(char t) {
    return t == 'D' || t == 'T';
}

}  // namespace

std::string withTableExtension(std::string_view fileName, int tableType) {
    std::string name(fileName);
    if (!os::hasExtension(name)) name += (tableType == 3) ? ".adt" : ".dbf";
    return name;
}

void showEngineError(const std::string& title) {
    runtime::MSGSTOP(runtime::Value(engine::lastError().message()), runtime::Value(title));
}

AdsArea::AdsArea(engine::Handle handle, std::string fileName, std::string driverName, int tableType,
                 bool shared, bool readOnly)
    : handle_(handle),
      fileName_(std::move(fileName)),
      driverName_(std::move(driverName)),
      tableType_(tableType),
      shared_(shared),
      readOnly_(readOnly) {}

AdsArea::~AdsArea() {
    // Only an area dropped without DBCLOSEAREA gets here (program end, a
    // failed open): there is nobody left to report a failure to but the trace.
    if (handle_ == 0) return;
    engine::Status s = closeHandle();
    if (!s.ok()) traceEngineFailure("adsCloseTable", s);
}

std::unique_ptr<AdsArea> AdsArea::open(const OpenRequest& request, int tableType,
                                       const std::string& driverName) {
    std::string file = withTableExtension(request.fileName, tableType);
    int options = request.shared ? engine::kOpenShared : engine::kOpenExclusive;
    if (request.readOnly) options |= engine::kOpenReadOnly;
    engine::Handle h = 0;
    engine::Status r = engine::openTable(file, request.alias, tableType, options, &h);
    if (r == engine::kOpenRefused) return nullptr;
    if (!r.ok()) {
        raiseDriverError(driverName, runtime::gen::kOpen, r.code(), file);
        return nullptr;
    }
    std::unique_ptr<AdsArea> area(
        new AdsArea(h, file, driverName, tableType, request.shared, request.readOnly));
    if (!area->check(area->readFields(), runtime::gen::kOpen)) return nullptr;
    area->refreshCount();
    area->goTop();  // an open table stands on its first visible record
    return area;
}

engine::Status AdsArea::readFields() {
    int n = 0;
    if (engine::Status s = engine::fieldCount(handle_, &n); !s.ok()) return s;
    fields_.resize(n);
    for (int i = 1; i <= n; ++i) {
        FieldInfo& f = fields_[i - 1];
        engine::Status s = engine::fieldName(handle_, i, &f.name);
        if (s.ok()) s = engine::fieldType(handle_, i, &f.type);
        if (s.ok()) s = engine::fieldLength(handle_, i, &f.length);
        if (s.ok()) s = engine::fieldDecimals(handle_, i, &f.decimals);
        if (!s.ok()) return s;
    }
    return {};
}

bool AdsArea::check(const engine::Status& s, int genCode) {
    if (s.ok()) return true;
    raiseEngine(genCode, s);
    return false;
}

void AdsArea::raiseEngine(int genCode, const engine::Status& s) {
    switch (s.code()) {
        case engine::kReadOnly:
            genCode = runtime::gen::kReadOnly;
            break;
        case engine::kExclusiveRequired:
            genCode = runtime::gen::kShared;
            break;
        case engine::kCorruptTable:
        case engine::kCorruptMemo:
        case engine::kCorruptIndex:
            genCode = runtime::gen::kCorruption;
            break;
        case engine::kValueTooWide:
            genCode = runtime::gen::kDataWidth;
            break;
        case engine::kTypeMismatch:
            genCode = runtime::gen::kDataType;
            break;
        default:
            break;
    }
    raiseDriverError(driverName_, genCode, s.code(), fileName_, {}, s.message());
}

// ---- Navigation ------------------------------------------------------------------

void AdsArea::readFlags() {
    bool b = false, e = false;
    if (!check(engine::atBof(handle_, &b), runtime::gen::kRead) ||
        !check(engine::atEof(handle_, &e), runtime::gen::kRead)) {
        b = e = true;
    }
    bof_ = b;
    eof_ = e;
}

// After a navigation the engine could not complete (reported already), the
// area stands at the end so that no loop over it goes on.
void AdsArea::standAtEnd() {
    bof_ = eof_ = true;
    found_ = false;
}

void AdsArea::afterTopOrBottom() {
    readFlags();
    // At the beginning but not at the end: the engine stands before the
    // first visible record; one step forward lands on it (or at the end).
    if (bof_ && !eof_) {
        engine::Status s = engine::skip(handle_, 1);
        if (s == engine::kAtEof)
            eof_ = true;
        else if (check(s, runtime::gen::kRead))
            readFlags();
        else
            standAtEnd();
    }
}

void AdsArea::goTop() {
    if (!check(engine::goTop(handle_), runtime::gen::kRead)) return standAtEnd();
    afterTopOrBottom();
}

void AdsArea::goBottom() {
    if (!check(engine::goBottom(handle_), runtime::gen::kRead)) return standAtEnd();
    afterTopOrBottom();
}

void AdsArea::goTo(uint32_t recNo) {
    found_ = false;
    uint32_t current = 0;
    if (!check(engine::recordNumber(handle_, &current), runtime::gen::kRead)) return standAtEnd();
    if (recNo > cachedCount_ && shared_) refreshCount();
    engine::Status s = recNo == current && recNo <= cachedCount_
                           ? engine::refreshRecord(handle_)
                           : engine::gotoRecord(handle_, recNo);
    if (!check(s, runtime::gen::kRead)) return standAtEnd();
    readFlags();
    if (recNo > cachedCount_ || recNo == 0) eof_ = true;
}

void AdsArea::skip(int64_t count) {
    if (count == 0) {
        engine::Status s = engine::skip(handle_, 0);
        if (s.ok()) s = engine::refreshRecord(handle_);
        if (!check(s, runtime::gen::kRead)) return standAtEnd();
        readFlags();
        return;
    }
    int step = count > 0 ? 1 : -1;
    for (int64_t i = 0; i != count; i += step) {
        bool wasEof = eof_;
        engine::Status r = engine::skip(handle_, step);
        // A skip that could not write the record it leaves or read the next
        // one is reported.
        if (r != engine::kAtEof && !check(r, runtime::gen::kRead)) return standAtEnd();
        readFlags();
        if (r == engine::kAtEof) eof_ = true;
        if (step < 0 && wasEof && bof_) {
            // Backwards from the phantom record onto the beginning: the step
            // means "the last visible record", so go there instead.
            if (!check(engine::goBottom(handle_), runtime::gen::kRead)) return standAtEnd();
            readFlags();
        }
        if ((step > 0 && eof_) || (step < 0 && bof_)) break;
    }
    found_ = false;
}

uint32_t AdsArea::refreshCount() {
    uint32_t n = 0;
    if (check(engine::recordCount(handle_, &n), runtime::gen::kRead)) cachedCount_ = n;
    return cachedCount_;
}

uint32_t AdsArea::recNo() {
    uint32_t n = 0;
    check(engine::recordNumber(handle_, &n), runtime::gen::kRead);
    return n;
}

uint32_t AdsArea::recCount() {
    return refreshCount();
}

bool AdsArea::seek(const runtime::Value& key, bool soft, bool last) {
    int order = 0;
    if (!check(engine::currentOrder(handle_, &order), runtime::gen::kRead) || order == 0)
        return false;
    std::string bytes;
    int keyType = engine::kKeyText;
    if (key.isText()) {
        bytes = key.text();
    } else if (key.isNumber() || key.isDate()) {
        double d = key.isNumber() ? key.num() : static_cast<double>(key.date().julian);
        bytes.resize(sizeof d);
        std::memcpy(bytes.data(), &d, sizeof d);
        keyType = engine::kKeyDouble;
    } else if (key.isLogical()) {
        bytes.assign(1, key.logical() ? 'T' : 'F');
    } else {
        return false;
    }
    bool f = false;
    engine::Status s = engine::seek(handle_, bytes, keyType, soft, last, &f);
    if (s.ok()) s = engine::found(handle_, &f);
    if (!check(s, runtime::gen::kRead)) {
        standAtEnd();
        return false;
    }
    found_ = f;
    afterTopOrBottom();
    return found_;
}

// ---- Fields -------------------------------------------------------------------------

runtime::Value AdsArea::readDate(int field) {
    std::string text;
    engine::Status s;
    {
        DateFormatSwitch sw;
        s = engine::getDate(handle_, field, &text);
    }
    if (!check(s, runtime::gen::kRead)) text.clear();
    return runtime::Value(runtime::STOD(text));
}

// Datetime fields read with their time of day, so that a copy into another
// datetime field keeps every bit.
runtime::Value AdsArea::readDateTime(int field) {
    int32_t julian = 0, millis = 0;
    if (!check(engine::getDateTime(handle_, field, &julian, &millis), runtime::gen::kRead))
        julian = millis = 0;
    return runtime::Value(runtime::DateTime{julian, millis});
}

runtime::Value AdsArea::readMemo(int field) {
    uint32_t length = 0;
    engine::Status r = engine::getMemoLength(handle_, field, &length);
    std::string text;
    if (r.ok() && length > 0) r = engine::getMemo(handle_, field, &text);
    if (r == engine::kAtEof || !check(r, runtime::gen::kRead)) return runtime::Value::memo("");
    return runtime::Value::memo(std::move(text));
}

runtime::Value AdsArea::getValue(int field) {
    if (field < 1 || field > static_cast<int>(fields_.size())) return {};
    const FieldInfo& f = fields_[field - 1];
    // A NULL reads as nothing (NIL); writing NIL back makes the field NULL.
    bool null = false;
    if (!check(engine::isNull(handle_, field, &null), runtime::gen::kRead) || null) return {};
    if (isMemoField(f.type)) return readMemo(field);
    if (f.type == 'T') return readDateTime(field);
    if (f.type == 'D') return readDate(field);
    if (f.type == 'L') {
        bool b = false;
        engine::Status s = engine::getLogical(handle_, field, &b);
        if (s == engine::kAtEof) {
            eof_ = true;
            return runtime::Value(false);
        }
        return runtime::Value(check(s, runtime::gen::kRead) && b);
    }
    if (isNumberType(f.type)) {
        double d = 0;
        if (!check(engine::getDouble(handle_, field, &d), runtime::gen::kRead))
            return numberFor(f, 0);
        runtime::Value v = numberFor(f, d);
        runtime::Number n = v.numberInfo();
        int64_t exact = 0;
        if (f.type == 'Y') {
            if (check(engine::getCurrency(handle_, field, &exact), runtime::gen::kRead))
                n.currency = exact;
        } else if ((f.type == 'N' || f.type == 'F') &&
                   !check(engine::getString(handle_, field, &n.stored), runtime::gen::kRead)) {
            n.stored.clear();
        }
        return runtime::Value(n);
    }
    std::string s;
    engine::Status r = engine::getString(handle_, field, &s);
    if (r != engine::kAtEof && !check(r, runtime::gen::kRead)) s.clear();
    if ((!r.ok()) && s.size() < static_cast<size_t>(f.length))
        s.assign(static_cast<size_t>(f.length), ' ');
    return runtime::Value(std::move(s));
}

bool AdsArea::writeValue(int field, char type, const runtime::Value& value) {
    engine::Status r;
    if (value.isNil()) {
        r = engine::setNull(handle_, field);
        if (r == engine::kTypeMismatch) {
            raiseDriverError(driverName_, runtime::gen::kDataType, 1020, fileName_);
            return false;
        }
    } else if (isTextType(type)) {
        r = engine::setString(handle_, field, value.text());
    } else if (type == 'Y' && value.isNumber() && value.numberInfo().currency) {
        r = engine::setCurrency(handle_, field, *value.numberInfo().currency);
    } else if (value.isNumber() && sameNumericShape(fields_[field - 1], value.numberInfo()) &&
               (r = engine::setString(handle_, field, value.numberInfo().stored)).ok()) {
        // the digits went back as they were read
    } else if (isNumberType(type)) {
        r = engine::setDouble(handle_, field, value.num());
    } else if (type == 'L') {
        r = engine::setLogical(handle_, field, value.logical());
    } else if (value.isDateTime()) {
        r = engine::setDateTime(handle_, field, value.dateTime().julian, value.dateTime().millis);
    } else if (type == 'T') {
        r = engine::setDateTime(handle_, field, value.date().julian, 0);
    } else {
        DateFormatSwitch sw;
        std::string text = value.date().empty() ? std::string() : runtime::DTOS(value.date());
        r = engine::setDate(handle_, field, text);
    }
    if (r.ok()) return true;
    if (r != engine::kAtEof) raiseEngine(runtime::gen::kWrite, r);
    return false;
}

bool AdsArea::putValue(int field, const runtime::Value& value) {
    if (field < 1 || field > static_cast<int>(fields_.size())) return false;
    char type = fields_[field - 1].type;
    bool suits = value.isNil() || (isTextType(type) && value.isText()) ||
                 (isNumberType(type) && value.isNumber()) || (type == 'L' && value.isLogical()) ||
                 (isDateType(type) && (value.isDate() || value.isDateTime()));
    if (!suits) {
        raiseDriverError(driverName_, runtime::gen::kDataType, 1020, fileName_);
        return false;
    }
    return writeValue(field, type, value);
}

bool AdsArea::storedBytes(int field, std::string_view* bytes) {
    if (field < 1 || field > static_cast<int>(fields_.size())) return false;
    bool null = false;
    engine::Status r = engine::getStored(handle_, field, bytes, &null);
    return r.ok() && !null;
}

namespace {

// The exact type is tested first: it costs less than the cast, which a
// refill would otherwise pay for every record.
AdsArea* asAdsArea(AreaDriver& area) {
    return typeid(area) == typeid(AdsArea) ? static_cast<AdsArea*>(&area)
                                           : dynamic_cast<AdsArea*>(&area);
}

}  // namespace

// A refill hands the same pairs for every record: they are converted again
// only when they change.
void AdsArea::keepCopyPairs(const std::vector<std::pair<int, int>>& pairs) {
    bool same = copyPairs_.size() == pairs.size() &&
                std::equal(pairs.begin(), pairs.end(), copyPairs_.begin(),
                           [](const std::pair<int, int>& p, const engine::FieldPair& f) {
                               return p.first == f.to && p.second == f.from;
                           });
    if (same) return;
    copyPairs_.clear();
    for (const auto& [to, src] : pairs) copyPairs_.push_back(engine::FieldPair{to, src});
}

bool AdsArea::copyFieldsFrom(AreaDriver& from, const std::vector<std::pair<int, int>>& pairs) {
    AdsArea* source = asAdsArea(from);
    if (!source || source->eof_ || eof_) return false;
    keepCopyPairs(pairs);
    engine::Status r = engine::copyFields(handle_, source->handle_, copyPairs_);
    if (r == engine::kTypeMismatch) {
        raiseDriverError(driverName_, runtime::gen::kDataType, 1020, fileName_, {}, r.message());
        return true;
    }
    if (r != engine::kAtEof) check(r, runtime::gen::kWrite);
    return r != engine::kAtEof;
}

namespace {

// The engine's record of a block call as the caller's visit sees it; a mark
// that cannot be written ends the call with its status.
class RowOfBlock final : public BlockRow {
public:
    explicit RowOfBlock(const RowVisit& visit) : visit_(visit) {}
    bool storedBytes(int field, std::string_view* bytes) const override {
        return record_->stored(field, bytes);
    }
    void setLogical(int field, bool value) override {
        if (failed_.ok()) failed_ = record_->setLogical(field, value);
    }
    engine::BlockVisit engineVisit() {
        if (!visit_) return {};
        return [this](engine::BlockRecord& r) {
            record_ = &r;
            visit_(*this);
            return failed_;
        };
    }

private:
    const RowVisit& visit_;
    engine::BlockRecord* record_ = nullptr;
    engine::Status failed_;
};

uint32_t blockLimit(long limit) {
    return static_cast<uint32_t>(std::min<int64_t>(limit, UINT32_MAX));
}

}  // namespace

long AdsArea::appendCopiesFrom(AreaDriver& from, const std::vector<std::pair<int, int>>& pairs,
                               long limit, const RowVisit& visit) {
    // Exclusive tables only: a shared append waits for locks record by
    // record, which the caller's own loop does better.
    AdsArea* source = asAdsArea(from);
    if (!source || source == this || shared_ || readOnly_ || source->shared_ || limit <= 0)
        return -1;
    if (source->eof_) return 0;
    keepCopyPairs(pairs);
    RowOfBlock row(visit);
    uint32_t copied = 0;
    engine::Status r = engine::appendCopies(handle_, source->handle_, copyPairs_, blockLimit(limit),
                                            row.engineVisit(), &copied);
    refreshCount();
    source->readFlags();
    source->found_ = false;
    return endBlock(r, copied);
}

long AdsArea::visitRecords(long limit, const RowVisit& visit) {
    // Exclusive tables only: in a shared one each change waits for its
    // record's lock.
    if (shared_ || readOnly_ || limit <= 0) return -1;
    if (eof_) return 0;
    RowOfBlock row(visit);
    uint32_t visited = 0;
    engine::Status r =
        engine::visitRecords(handle_, blockLimit(limit), row.engineVisit(), &visited);
    return endBlock(r, visited);
}

// Where a block call leaves this area, and its failure raised.
long AdsArea::endBlock(const engine::Status& r, uint32_t done) {
    readFlags();
    found_ = false;
    if (r == engine::kTypeMismatch)
        raiseDriverError(driverName_, runtime::gen::kDataType, 1020, fileName_, {}, r.message());
    else if (r != engine::kAtEof)
        check(r, runtime::gen::kWrite);
    return static_cast<long>(done);
}

// ---- Records ---------------------------------------------------------------------------

bool AdsArea::append(bool releaseLocks) {
    if (releaseLocks) unlockAll();
    engine::Status r = engine::append(handle_);
    // Only a lock held by another program is the soft failure the caller
    // tests NETERR for; anything else (a full disk, a write fault, a write
    // refused) is an error: the engine reports those as kIoError.
    if (r == engine::kLocked) return false;
    if (!check(r, runtime::gen::kWrite)) return false;
    refreshCount();
    bof_ = eof_ = found_ = false;
    return true;
}

void AdsArea::deleteRecord() {
    engine::Status r = engine::deleteRecord(handle_);
    if (r != engine::kAtEof) check(r, runtime::gen::kWrite);
}

void AdsArea::recall() {
    engine::Status r = engine::recall(handle_);
    if (r != engine::kAtEof) check(r, runtime::gen::kWrite);
}

bool AdsArea::deleted() {
    bool d = false;
    return check(engine::isDeleted(handle_, &d), runtime::gen::kRead) && d;
}

void AdsArea::flush() {
    check(engine::flush(handle_), runtime::gen::kWrite);
}

// Zap and pack rewrite the whole table: both need it opened exclusively and
// writable, and both leave the area at its new top.
bool AdsArea::rewriteWhole(engine::Status (*operation)(engine::Handle)) {
    if (shared_) {
        raiseDriverError(driverName_, runtime::gen::kShared, 1023, fileName_);
        return false;
    }
    if (readOnly_) return false;
    if (!check(operation(handle_), runtime::gen::kWrite)) return false;
    refreshCount();
    goTop();
    return true;
}

bool AdsArea::zap() {
    return rewriteWhole(engine::zap);
}

bool AdsArea::pack() {
    return rewriteWhole(engine::pack);
}

}  // namespace tables
