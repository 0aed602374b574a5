// Values and settings of the key/FOR expression evaluator: the four types an
// index expression can yield and the process-wide settings that change how
// text compares and how dates convert to and from text.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

enum class ExprType : char {
    Character = 'C',
    Numeric = 'N',
    Date = 'D',
    Logical = 'L',
};

// One value. Only the member of the value's type is meaningful.
struct ExprValue {
    ExprType type = ExprType::Logical;
    std::string text;      // Character
    double number = 0;     // Numeric; Date: Julian day (fraction = time of day), 0 = empty date
    bool logical = false;  // Logical

    static ExprValue ofText(std::string s) {
        ExprValue v;
        v.type = ExprType::Character;
        v.text = std::move(s);
        return v;
    }
    static ExprValue ofNumber(double n) {
        ExprValue v;
        v.type = ExprType::Numeric;
        v.number = n;
        return v;
    }
    static ExprValue ofDate(double julian) {
        ExprValue v;
        v.type = ExprType::Date;
        v.number = julian;
        return v;
    }
    static ExprValue ofLogical(bool b) {
        ExprValue v;
        v.type = ExprType::Logical;
        v.logical = b;
        return v;
    }
};

// Settings the evaluator reads on every evaluation. The table engine's
// settings calls (exact, date format, epoch) write them.
struct ExprSettings {
    bool exact = false;                   // SET EXACT: = compares whole texts
    std::string dateFormat = "DD/MM/YY";  // DTOC/CTOD picture: DD, MM, YY or YYYY and separators
    int epoch = 1900;                     // two-digit years: first year of the 100-year window
};

// The process-wide settings (one thread).
ExprSettings& exprSettings();

}  // namespace engine
