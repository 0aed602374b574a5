// The functions that key and FOR expressions may call: argument types, the
// static result type and length, and evaluation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/expr_ast.h"
#include "engine/record_view.h"

namespace engine {

struct FunctionDef {
    const char* name;
    // One letter per argument: C N D L required of that type, * any type;
    // lower case (c n d l ?) for an optional argument.
    const char* signature;
    // Sets node->type, length and decimals from the checked arguments.
    void (*infer)(ExprNode* node);
    // Computes the result from evaluated arguments. Returns false with *error
    // set when the arguments are out of range in a way that has no result.
    bool (*eval)(const ExprNode& node, std::vector<ExprValue>& args, const RecordView& record,
                 ExprValue* out, std::string* error);
};

// The definition of function `name` (upper case; four-letter abbreviations
// of longer names are accepted, as xBase does); nullptr when unknown.
const FunctionDef* findFunction(std::string_view name);

// Longest text any expression may produce; longer results are an error.
constexpr size_t kMaxExprText = 65535;

// STR() of `v`: right-aligned in `width` (10 when below 1, at most 255) with
// `decimals` (0..15), no negative zero, stars when it does not fit.
std::string exprNumberText(double v, int width, int decimals);

}  // namespace engine
