// A character expression of the shape most index keys have, compiled to a
// list of pieces that are appended straight from the record's bytes: fields
// of type C, UPPER() of one, DTOS() of a D field, STR() of an N or F field
// with constant width and decimals, text constants, joined by "+". It gives
// exactly the text the general evaluator gives for the same record; the
// evaluator stays for every other expression.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/expr_ast.h"
#include "engine/record_view.h"

namespace engine {

class ExprTextPlan {
public:
    // The plan for `root`, or nullptr when the expression has another shape.
    static std::unique_ptr<ExprTextPlan> compile(const ExprNode& root);

    // Replaces *out with the expression's text for `record`.
    void textOf(const RecordView& record, std::string* out) const;

private:
    struct Piece {
        enum class Kind { Constant, Text, Upper, Dtos, Str };
        Kind kind = Kind::Constant;
        int field = -1;
        std::string constant;  // Constant
        int width = 0;         // Str
        int decimals = 0;      // Str
    };

    static bool add(const ExprNode& n, std::vector<Piece>* pieces);

    std::vector<Piece> pieces_;
};

// STR() of a number stored as the text `stored` (an N or F field), with
// `width` (1..255) and `decimals` (0..15): the digits as they are stored
// when that gives the same text as formatting the value, which holds for
// canonical texts of at most 15 digits; false otherwise.
bool exprStrOfStored(std::string_view stored, int width, int decimals, std::string* out);

}  // namespace engine
