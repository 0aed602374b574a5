// Parser of key/FOR expressions: tokens to a typed syntax tree, with field
// names resolved against a table's fields and every operator and function
// argument type-checked.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/expr_ast.h"
#include "engine/record_view.h"

namespace engine {

// Deepest nesting of parentheses, calls and unary operators accepted.
constexpr int kMaxExprDepth = 100;

// Parses `source`; field names resolve through schema.findField (a name
// longer than 10 characters also matches the field named by its first 10).
// Returns nullptr with *error set ("... at position N") when the text does
// not parse or types do not fit.
std::unique_ptr<ExprNode> parseExpression(std::string_view source, const RecordView& schema,
                                          std::string* error);

}  // namespace engine
