// The syntax tree of a compiled key/FOR expression. Every node knows its
// result type statically; character nodes also know their greatest length
// when it can be told without evaluating (-1 otherwise).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/expr_value.h"

namespace engine {

struct FunctionDef;

struct ExprNode {
    enum class Kind { Literal, Field, Unary, Binary, And, Or, Not, Call };

    Kind kind = Kind::Literal;
    ExprType type = ExprType::Logical;
    int length = -1;    // Character: greatest result length, -1 unknown; Numeric: width, -1 default
    int decimals = -1;  // Numeric: decimals for STR(), -1 default
    bool constant = false;  // value does not depend on the record
    ExprValue value;        // Literal
    int field = -1;         // Field: index in the record view
    char fieldType = 0;     // Field: the DBF type letter
    std::string op;  // Unary/Binary: "+", "-", "*", "/", "%", "^", "=", "==", "!=", "<", "<=", ">",
                     // ">=", "$"
    const FunctionDef* fn = nullptr;  // Call
    std::vector<std::unique_ptr<ExprNode>> args;
};

}  // namespace engine
