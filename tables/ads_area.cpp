// The engine-backed work area: opening, navigation, field reads and writes,
// appending and the other record operations. Locks and orders are in
// ads_area_orders.cpp.
#include "tables/ads_area.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "engine/session.h"
#include "engine/table_access.h"
#include "os/path_parts.h"
#include "runtime/alert.h"
#include "runtime/dates.h"
#include "runtime/error.h"
#include "tables/dberror.h"

namespace tables {

namespace {

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
    runtime::MSGSTOP(runtime::Value(lastDriverError().message()), runtime::Value(title));
}

AdsArea::AdsArea(std::unique_ptr<engine::Table> table, std::string fileName, std::string driverName,
                 int tableType, bool shared, bool readOnly)
    : table_(std::move(table)),
      fileName_(std::move(fileName)),
      driverName_(std::move(driverName)),
      tableType_(tableType),
      shared_(shared),
      readOnly_(readOnly) {}

AdsArea::~AdsArea() {
    // Only an area dropped without DBCLOSEAREA gets here (program end, a
    // failed open): there is nobody left to report a failure to but the trace.
    if (!table_) return;
    engine::Status s = closeTable();
    if (!s.ok()) traceEngineFailure("adsCloseTable", s);
}

std::unique_ptr<AdsArea> AdsArea::open(const OpenRequest& request, int tableType,
                                       const std::string& driverName) {
    std::string file = withTableExtension(request.fileName, tableType);
    int options = request.shared ? engine::kOpenShared : engine::kOpenExclusive;
    if (request.readOnly) options |= engine::kOpenReadOnly;
    std::unique_ptr<engine::Table> table;
    engine::Status r =
        keepDriverError(engine::openTable(file, request.alias, tableType, options, &table));
    if (r == engine::kOpenRefused) return nullptr;
    if (!r.ok()) {
        raiseDriverError(driverName, runtime::gen::kOpen, r.code(), file);
        return nullptr;
    }
    std::unique_ptr<AdsArea> area(new AdsArea(std::move(table), file, driverName, tableType,
                                              request.shared, request.readOnly));
    area->readFields();
    area->refreshCount();
    area->goTop();  // an open table stands on its first visible record
    return area;
}

void AdsArea::readFields() {
    const auto& user = table_->layout().user;
    fields_.resize(user.size());
    for (size_t i = 0; i < user.size(); ++i) {
        FieldInfo& f = fields_[i];
        f.name = user[i].name;
        f.type = user[i].type;
        f.length = user[i].length;
        f.decimals = user[i].decimals;
    }
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
    clearDriverError();
    bof_ = table_->bof();
    eof_ = table_->eof();
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
        engine::Status s = keepDriverError(table_->skip(1));
        if (s == engine::kAtEof)
            eof_ = true;
        else if (check(s, runtime::gen::kRead))
            readFlags();
        else
            standAtEnd();
    }
}

void AdsArea::goTop() {
    if (!check(keepDriverError(table_->goTop()), runtime::gen::kRead)) return standAtEnd();
    afterTopOrBottom();
}

void AdsArea::goBottom() {
    if (!check(keepDriverError(table_->goBottom()), runtime::gen::kRead)) return standAtEnd();
    afterTopOrBottom();
}

void AdsArea::goTo(uint32_t recNo) {
    found_ = false;
    uint32_t current = table_->recno();
    clearDriverError();
    if (recNo > cachedCount_ && shared_) refreshCount();
    engine::Status s = keepDriverError(
        recNo == current && recNo <= cachedCount_ ? table_->refresh() : table_->gotoRecord(recNo));
    if (!check(s, runtime::gen::kRead)) return standAtEnd();
    readFlags();
    if (recNo > cachedCount_ || recNo == 0) eof_ = true;
}

void AdsArea::skip(int64_t count) {
    if (count == 0) {
        engine::Status s = keepDriverError(table_->skip(0));
        if (s.ok()) s = keepDriverError(table_->refresh());
        if (!check(s, runtime::gen::kRead)) return standAtEnd();
        readFlags();
        return;
    }
    int step = count > 0 ? 1 : -1;
    for (int64_t i = 0; i != count; i += step) {
        bool wasEof = eof_;
        engine::Status r = keepDriverError(table_->skip(step));
        // A skip that could not write the record it leaves or read the next
        // one is reported.
        if (r != engine::kAtEof && !check(r, runtime::gen::kRead)) return standAtEnd();
        readFlags();
        if (r == engine::kAtEof) eof_ = true;
        if (step < 0 && wasEof && bof_) {
            // Backwards from the phantom record onto the beginning: the step
            // means "the last visible record", so go there instead.
            if (!check(keepDriverError(table_->goBottom()), runtime::gen::kRead))
                return standAtEnd();
            readFlags();
        }
        if ((step > 0 && eof_) || (step < 0 && bof_)) break;
    }
    found_ = false;
}

uint32_t AdsArea::refreshCount() {
    uint32_t n = 0;
    if (check(keepDriverError(table_->count(&n)), runtime::gen::kRead)) cachedCount_ = n;
    return cachedCount_;
}

uint32_t AdsArea::recNo() {
    clearDriverError();
    return table_->recno();
}

uint32_t AdsArea::recCount() {
    return refreshCount();
}

bool AdsArea::seek(const runtime::Value& key, bool soft, bool last) {
    clearDriverError();
    if (table_->indexes().currentOrder() == 0) return false;
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
    engine::Status s = keepDriverError(engine::seek(*table_, bytes, keyType, soft, last, &f));
    if (s.ok()) f = table_->found();
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
    engine::Status s = keepDriverError(engine::getDate(*table_, field, &text));
    if (!check(s, runtime::gen::kRead)) text.clear();
    return runtime::Value(runtime::STOD(text));
}

// Datetime fields read with their time of day, so that a copy into another
// datetime field keeps every bit.
runtime::Value AdsArea::readDateTime(int field) {
    int32_t julian = 0, millis = 0;
    if (!check(keepDriverError(engine::getDateTime(*table_, field, &julian, &millis)),
               runtime::gen::kRead))
        julian = millis = 0;
    return runtime::Value(runtime::DateTime{julian, millis});
}

runtime::Value AdsArea::readMemo(int field) {
    uint32_t length = 0;
    engine::Status r = keepDriverError(engine::getMemoLength(*table_, field, &length));
    std::string text;
    if (r.ok() && length > 0) r = keepDriverError(engine::getMemo(*table_, field, &text));
    if (r == engine::kAtEof || !check(r, runtime::gen::kRead)) return runtime::Value::memo("");
    return runtime::Value::memo(std::move(text));
}

runtime::Value AdsArea::getValue(int field) {
    if (field < 1 || field > static_cast<int>(fields_.size())) return {};
    const FieldInfo& f = fields_[field - 1];
    // A NULL reads as nothing (NIL); writing NIL back makes the field NULL.
    bool null = false;
    if (!check(keepDriverError(engine::isNull(*table_, field, &null)), runtime::gen::kRead) || null)
        return {};
    if (isMemoField(f.type)) return readMemo(field);
    if (f.type == 'T') return readDateTime(field);
    if (f.type == 'D') return readDate(field);
    if (f.type == 'L') {
        bool b = false;
        engine::Status s = keepDriverError(engine::getLogical(*table_, field, &b));
        if (s == engine::kAtEof) {
            eof_ = true;
            return runtime::Value(false);
        }
        return runtime::Value(check(s, runtime::gen::kRead) && b);
    }
    if (isNumberType(f.type)) {
        double d = 0;
        if (!check(keepDriverError(engine::getDouble(*table_, field, &d)), runtime::gen::kRead))
            return numberFor(f, 0);
        runtime::Value v = numberFor(f, d);
        runtime::Number n = v.numberInfo();
        int64_t exact = 0;
        if (f.type == 'Y') {
            if (check(keepDriverError(engine::getCurrency(*table_, field, &exact)),
                      runtime::gen::kRead))
                n.currency = exact;
        } else if ((f.type == 'N' || f.type == 'F') &&
                   !check(keepDriverError(engine::getString(*table_, field, &n.stored)),
                          runtime::gen::kRead)) {
            n.stored.clear();
        }
        return runtime::Value(n);
    }
    std::string s;
    engine::Status r = keepDriverError(engine::getString(*table_, field, &s));
    if (r != engine::kAtEof && !check(r, runtime::gen::kRead)) s.clear();
    if ((!r.ok()) && s.size() < static_cast<size_t>(f.length))
        s.assign(static_cast<size_t>(f.length), ' ');
    return runtime::Value(std::move(s));
}

bool AdsArea::writeValue(int field, char type, const runtime::Value& value) {
    engine::Status r;
    if (value.isNil()) {
        r = keepDriverError(engine::setNull(*table_, field));
        if (r == engine::kTypeMismatch) {
            raiseDriverError(driverName_, runtime::gen::kDataType, 1020, fileName_);
            return false;
        }
    } else if (isTextType(type)) {
        r = keepDriverError(engine::setString(*table_, field, value.text()));
    } else if (type == 'Y' && value.isNumber() && value.numberInfo().currency) {
        r = keepDriverError(engine::setCurrency(*table_, field, *value.numberInfo().currency));
    } else if (value.isNumber() && sameNumericShape(fields_[field - 1], value.numberInfo()) &&
               (r = keepDriverError(engine::setString(*table_, field, value.numberInfo().stored)))
                   .ok()) {
        // the digits went back as they were read
    } else if (isNumberType(type)) {
        r = keepDriverError(engine::setDouble(*table_, field, value.num()));
    } else if (type == 'L') {
        r = keepDriverError(engine::setLogical(*table_, field, value.logical()));
    } else if (value.isDateTime()) {
        r = keepDriverError(
            engine::setDateTime(*table_, field, value.dateTime().julian, value.dateTime().millis));
    } else if (type == 'T') {
        r = keepDriverError(engine::setDateTime(*table_, field, value.date().julian, 0));
    } else {
        std::string text = value.date().empty() ? std::string() : runtime::DTOS(value.date());
        r = keepDriverError(engine::setDate(*table_, field, text));
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
    engine::Status r = keepDriverError(engine::getStored(*table_, field, bytes, &null));
    return r.ok() && !null;
}

bool BlockRow::storedBytes(int field, std::string_view* bytes) const {
    if (field < 1 || field > table_.fieldCount()) return false;
    const engine::DbfRecord& r = table_.record();
    if (r.isNull(field - 1)) return false;
    *bytes = r.raw(field - 1);
    return true;
}

void BlockRow::setLogical(int field, bool value) {
    if (failed_.ok()) failed_ = engine::setLogical(table_, field, value);
}

namespace {

// The exact type is tested first: it costs less than the cast, which a
// refill would otherwise pay for every record.
AdsArea* asAdsArea(AreaDriver& area) {
    return typeid(area) == typeid(AdsArea) ? static_cast<AdsArea*>(&area)
                                           : dynamic_cast<AdsArea*>(&area);
}

}  // namespace

bool AdsArea::copyFieldsFrom(AreaDriver& from, const std::vector<std::pair<int, int>>& pairs) {
    AdsArea* source = asAdsArea(from);
    if (!source || source->eof_ || eof_) return false;
    engine::Status r = keepDriverError(table_->copyFields(*source->table_, pairs));
    if (r == engine::kTypeMismatch) {
        raiseDriverError(driverName_, runtime::gen::kDataType, 1020, fileName_, {}, r.message());
        return true;
    }
    if (r != engine::kAtEof) check(r, runtime::gen::kWrite);
    return r != engine::kAtEof;
}

namespace {

// The engine's visit of a block call: the caller's visit over the table's
// current record; a mark that could not be written ends the call.
engine::BlockVisit blockVisit(const RowVisit& visit) {
    if (!visit) return {};
    return [&visit](engine::Table& table) {
        BlockRow row(table);
        visit(row);
        return row.failure();
    };
}

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
    uint32_t copied = 0;
    engine::Status r = keepDriverError(table_->appendCopies(
        *source->table_, pairs, blockLimit(limit), blockVisit(visit), &copied));
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
    uint32_t visited = 0;
    engine::Status r =
        keepDriverError(table_->visitRecords(blockLimit(limit), blockVisit(visit), &visited));
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
    engine::Status r = keepDriverError(table_->append());
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
    engine::Status r = keepDriverError(table_->setDeleted(true));
    if (r != engine::kAtEof) check(r, runtime::gen::kWrite);
}

void AdsArea::recall() {
    engine::Status r = keepDriverError(table_->setDeleted(false));
    if (r != engine::kAtEof) check(r, runtime::gen::kWrite);
}

bool AdsArea::deleted() {
    clearDriverError();
    return table_->record().deleted();
}

void AdsArea::flush() {
    check(keepDriverError(table_->flush()), runtime::gen::kWrite);
}

// Zap and pack rewrite the whole table: both need it opened exclusively and
// writable, and both leave the area at its new top.
bool AdsArea::rewriteWhole(engine::Status (engine::Table::*operation)()) {
    if (shared_) {
        raiseDriverError(driverName_, runtime::gen::kShared, 1023, fileName_);
        return false;
    }
    if (readOnly_) return false;
    if (!check(keepDriverError(((*table_).*operation)()), runtime::gen::kWrite)) return false;
    refreshCount();
    goTop();
    return true;
}

bool AdsArea::zap() {
    return rewriteWhole(&engine::Table::zap);
}

bool AdsArea::pack() {
    return rewriteWhole(&engine::Table::pack);
}

}  // namespace tables
