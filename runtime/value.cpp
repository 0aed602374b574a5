// The dynamic value: type tests, typed reads, code blocks and objects.
#include "runtime/value.h"

#include <cassert>

namespace runtime {

Block::Block(Fn fn) : fn_(fn ? std::make_shared<const Fn>(std::move(fn)) : nullptr) {}

Value Block::eval(std::span<const Value> args) const {
    if (!fn_) return {};
    return (*fn_)(args);
}

Value Block::eval() const {
    return eval(std::span<const Value>{});
}

Value Block::eval(std::initializer_list<Value> args) const {
    return eval(std::span<const Value>(args.begin(), args.size()));
}

Value Value::memo(std::string s) {
    Value v;
    v.v_ = Text{std::move(s), true};
    return v;
}

Value Value::newArray(Array items) {
    return Value(std::make_shared<Array>(std::move(items)));
}

Type Value::type() const {
    switch (v_.index()) {
        case 0:
            return Type::kNil;
        case 1:
            return std::get<Text>(v_).memo ? Type::kMemo : Type::kText;
        case 2:
            return Type::kNumber;
        case 3:
            return Type::kLogical;
        case 4:
            return Type::kDate;
        case 5:
            return Type::kArray;
        case 6:
            return Type::kBlock;
        case 8:
            return Type::kDateTime;
        default:
            return Type::kObject;
    }
}

char Value::typeLetter() const {
    switch (type()) {
        case Type::kNil:
            return 'U';
        case Type::kText:
            return 'C';
        case Type::kNumber:
            return 'N';
        case Type::kLogical:
            return 'L';
        case Type::kDate:
            return 'D';
        case Type::kArray:
            return 'A';
        case Type::kBlock:
            return 'B';
        case Type::kObject:
            return 'O';
        case Type::kMemo:
            return 'M';
        case Type::kDateTime:
            return 'T';
    }
    return 'U';
}

const std::string& Value::text() const {
    assert(isText());
    return std::get<Text>(v_).bytes;
}

double Value::num() const {
    assert(isNumber());
    return std::get<Number>(v_).value;
}

const Number& Value::numberInfo() const {
    assert(isNumber());
    return std::get<Number>(v_);
}

bool Value::logical() const {
    assert(isLogical());
    return std::get<bool>(v_);
}

Date Value::date() const {
    assert(isDate());
    return std::get<Date>(v_);
}

DateTime Value::dateTime() const {
    assert(isDateTime());
    return std::get<DateTime>(v_);
}

const ArrayPtr& Value::array() const {
    assert(isArray());
    return std::get<ArrayPtr>(v_);
}

const Block& Value::block() const {
    assert(isBlock());
    return std::get<Block>(v_);
}

const ObjectPtr& Value::object() const {
    assert(isObject());
    return std::get<ObjectPtr>(v_);
}

std::string Value::textOr(std::string_view fallback) const {
    return isText() ? text() : std::string(fallback);
}

double Value::numOr(double fallback) const {
    return isNumber() ? num() : fallback;
}

bool Value::logicalOr(bool fallback) const {
    return isLogical() ? logical() : fallback;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

bool Object::has(std::string_view name) const {
    for (const auto& f : fields_) {
        if (sameName(f.first, name)) return true;
    }
    return false;
}

Value Object::get(std::string_view name) const {
    for (const auto& f : fields_) {
        if (sameName(f.first, name)) return f.second;
    }
    return {};
}

void Object::set(std::string_view name, Value v) {
    for (auto& f : fields_) {
        if (sameName(f.first, name)) {
            f.second = std::move(v);
            return;
        }
    }
    fields_.emplace_back(std::string(name), std::move(v));
}

ObjectPtr makeObject(std::string className) {
    return std::make_shared<Object>(std::move(className));
}

}  // namespace runtime
