// libFuzzer target: arbitrary bytes taken as a key or FOR expression. Parses
// it against a fixed table; when it compiles, evaluates it on a record and
// turns the value into index key bytes. Nothing may crash, overflow the
// stack or run away with memory; a refused text says kBadExpression (or
// kKeyTooLong), and every key has its tag's length.
#include <strings.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/cdx_key.h"
#include "engine/expression.h"

namespace {

using namespace engine;

class FuzzRecord : public RecordView {
public:
    FuzzRecord() {
        const char* names[] = {"NAME", "QTY", "BORN", "OK", "ID", "MEMO", "STAMP"};
        const char types[] = {'C', 'N', 'D', 'L', 'I', 'M', 'T'};
        const uint16_t lengths[] = {10, 8, 8, 1, 4, 4, 8};
        for (int i = 0; i < 7; ++i) {
            FieldDesc f;
            f.name = names[i];
            f.type = types[i];
            f.length = lengths[i];
            f.decimals = i == 1 ? 2 : 0;
            fields_.push_back(f);
        }
    }
    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    const FieldDesc& field(int i) const override { return fields_[static_cast<size_t>(i)]; }
    int findField(std::string_view name) const override {
        std::string n(name);
        if (n.rfind("T->", 0) == 0) n = n.substr(3);
        for (size_t i = 0; i < fields_.size(); ++i)
            if (strcasecmp(fields_[i].name.c_str(), n.c_str()) == 0) return static_cast<int>(i);
        return -1;
    }
    std::string text(int i) const override { return i == 5 ? "memo text" : "Ab\xF1 x  "; }
    double number(int) const override { return -12.75; }
    int32_t julianDay(int) const override { return 2451545; }
    double dateTime(int) const override { return 2451545.5; }
    bool logical(int) const override { return true; }
    bool deleted() const override { return true; }
    uint32_t recordNumber() const override { return 3; }

private:
    std::vector<FieldDesc> fields_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    static FuzzRecord record;
    std::unique_ptr<Expression> e;
    if (Status r = Expression::compile(text, record, &e); !r.ok()) {
        if (r.code() != kBadExpression && r.code() != kKeyTooLong)
            __builtin_trap();  // a refusal without the expression codes
        return 0;
    }
    ExprValue v;
    if (!e->evaluate(record, &v).ok()) return 0;
    CdxKeyFormat format;
    if (cdxKeyFormatFor(*e, record, &format) != kOk) return 0;
    std::string key;
    if (cdxRecordKey(*e, format, record, &key) == kOk &&
        key.size() != static_cast<size_t>(format.length))
        __builtin_trap();  // every key of a tag has the tag's length
    return 0;
}
