// The dynamic value of the runtime: nothing, text, number, logical, date, array,
// code block, object and memo, with their one-letter type codes.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace runtime {

class Value;

// A calendar date as a julian day number; 0 is the empty date, which sorts
// before every real date. Build real dates with makeDate() (dates.h).
struct Date {
    std::int32_t julian = 0;  // julian day number, 0 = empty date

    bool empty() const { return julian == 0; }
    friend bool operator==(Date, Date) = default;
    friend auto operator<=>(Date, Date) = default;
};

// A date with a time of day, as datetime fields hold it: the julian day
// number and the milliseconds since midnight. Day 0 with no milliseconds is
// the empty datetime.
struct DateTime {
    std::int32_t julian = 0;  // julian day number, 0 = no date
    std::int32_t millis = 0;  // 0 .. 86399999

    bool empty() const { return julian == 0 && millis == 0; }
    friend bool operator==(DateTime, DateTime) = default;
    friend auto operator<=>(DateTime, DateTime) = default;
};

// A number as the runtime shows it: the double plus the display width and
// decimals that text conversion (STR, TRANSFORM) uses. A width or decimals of
// -1 means "not fixed": conversions then use the defaults of strings.h.
struct Number {
    Number() = default;
    explicit Number(double v, int w = -1, int d = -1) : value(v), width(w), decimals(d) {}

    double value = 0;
    int width = -1;     // display width in characters, -1 = default
    int decimals = -1;  // decimals shown, -1 = default
    // What a field held when the number was read from one, so that a copy
    // into a field of the same kind keeps every byte; a number computed from
    // it has neither. `currency`: the exact value in ten-thousandths (a
    // double cannot hold every currency value). `stored`: the digits of a
    // numeric field as written there (blanks for no number at all).
    std::optional<std::int64_t> currency;
    std::string stored;
};

// Text of explicit length (any byte, including zero), Windows-1252.
struct Text {
    std::string bytes;
    bool memo = false;  // true when it came from a memo field: type letter "M"
};

using Array = std::vector<Value>;
using ArrayPtr = std::shared_ptr<Array>;  // arrays are shared by reference

// A code block: a callable taking positional arguments. Copies share the
// same callable. An empty Block (no callable) evaluates to nothing.
class Block {
public:
    using Fn = std::function<Value(std::span<const Value>)>;
    Block() = default;
    explicit Block(Fn fn);
    explicit operator bool() const { return fn_ != nullptr; }
    Value eval(std::span<const Value> args) const;
    Value eval() const;
    Value eval(std::initializer_list<Value> args) const;
    friend bool operator==(const Block& a, const Block& b) { return a.fn_ == b.fn_; }

private:
    std::shared_ptr<const Fn> fn_;
};

class Object;
using ObjectPtr = std::shared_ptr<Object>;  // objects are shared by reference

enum class Type {
    kNil,
    kText,
    kNumber,
    kLogical,
    kDate,
    kArray,
    kBlock,
    kObject,
    kMemo,
    kDateTime
};

class Value {
public:
    Value() = default;  // nothing (NIL)
    Value(std::string s) : v_(Text{std::move(s), false}) {}
    Value(std::string_view s) : v_(Text{std::string(s), false}) {}
    Value(const char* s) : v_(Text{std::string(s), false}) {}
    Value(double d) : v_(Number{d, -1, -1}) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) Value(T n)
        : v_(Number{static_cast<double>(n), -1, 0}) {}
    Value(Number n) : v_(n) {}
    Value(bool b) : v_(b) {}
    Value(Date d) : v_(d) {}
    Value(DateTime t) : v_(t) {}
    Value(ArrayPtr a) : v_(std::move(a)) {}
    Value(Block b) : v_(std::move(b)) {}
    Value(ObjectPtr o) : v_(std::move(o)) {}

    static Value number(double d, int width, int decimals) { return Number{d, width, decimals}; }
    static Value memo(std::string s);
    static Value newArray(Array items = {});  // a new shared array

    Type type() const;
    char typeLetter() const;  // "U C N L D A B O M T"
    bool isNil() const { return type() == Type::kNil; }
    bool isText() const { return std::holds_alternative<Text>(v_); }  // C or M
    bool isNumber() const { return std::holds_alternative<Number>(v_); }
    bool isLogical() const { return std::holds_alternative<bool>(v_); }
    bool isDate() const { return std::holds_alternative<Date>(v_); }
    bool isDateTime() const { return std::holds_alternative<DateTime>(v_); }
    bool isArray() const { return std::holds_alternative<ArrayPtr>(v_); }
    bool isBlock() const { return std::holds_alternative<Block>(v_); }
    bool isObject() const { return std::holds_alternative<ObjectPtr>(v_); }

    // Typed reads. REQUIRES: the value has that type (checked with assert);
    // use the is*() tests or the *Or() forms when the type is not known.
    const std::string& text() const;
    double num() const;
    const Number& numberInfo() const;
    bool logical() const;
    Date date() const;
    DateTime dateTime() const;
    const ArrayPtr& array() const;
    const Block& block() const;
    const ObjectPtr& object() const;

    // Reads that fall back to a default when the value has another type.
    std::string textOr(std::string_view fallback = {}) const;
    double numOr(double fallback = 0) const;
    bool logicalOr(bool fallback = false) const;

private:
    std::variant<std::monostate, Text, Number, bool, Date, ArrayPtr, Block, ObjectPtr, DateTime> v_;
};

// An object: a class name and named fields, names looked up without regard
// to case (ASCII). Field order is the order of first assignment.
class Object {
public:
    explicit Object(std::string className) : className_(std::move(className)) {}
    const std::string& className() const { return className_; }

    bool has(std::string_view name) const;
    // The field's value, nothing when the object has no such field.
    Value get(std::string_view name) const;
    // Sets the field, adding it when it is new.
    void set(std::string_view name, Value v);
    const std::vector<std::pair<std::string, Value>>& fields() const { return fields_; }

private:
    std::string className_;
    std::vector<std::pair<std::string, Value>> fields_;
};

ObjectPtr makeObject(std::string className);

// Case-insensitive (ASCII) name equality, as used for field and alias names.
bool sameName(std::string_view a, std::string_view b);

}  // namespace runtime
