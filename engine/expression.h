// A compiled key or FOR expression of an index tag: parsed once against the
// table's field list, then evaluated against any record of that table.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/expr_ast.h"
#include "engine/expr_value.h"
#include "engine/record_view.h"
#include "engine/status.h"

namespace engine {

class ExprTextPlan;

class Expression {
public:
    ~Expression();

    // Compiles `source` against the fields of `schema` into *out. On failure
    // kBadExpression with a message naming the position; *out is untouched.
    static Status compile(std::string_view source, const RecordView& schema,
                          std::unique_ptr<Expression>* out);

    const std::string& source() const { return source_; }
    ExprType type() const { return root_->type; }
    // Greatest length of a character result when it is known from the text
    // alone (field widths, constant arguments); -1 otherwise.
    int staticLength() const { return root_->length; }
    // True when the value depends on the delete flag (DELETED() appears).
    bool usesDeleted() const { return usesDeleted_; }
    // The field the whole expression consists of (alias->field counts), or -1.
    int bareField() const { return root_->kind == ExprNode::Kind::Field ? root_->field : -1; }
    char bareFieldType() const { return root_->fieldType; }

    // Evaluates against `record` (a record of the table compiled against).
    // kBadExpression, the message saying why, when a value has no result
    // (division by zero, a text longer than 64 KB).
    Status evaluate(const RecordView& record, ExprValue* out) const;
    // The text of a character expression made of fields, UPPER(), DTOS(),
    // STR() and constants joined by "+" (expr_plan.h), straight from the
    // record and without the evaluator; false, *out untouched, for any other
    // expression.
    bool textInto(const RecordView& record, std::string* out) const;
    // True when textInto() applies.
    bool hasTextPlan() const { return plan_ != nullptr; }

private:
    Expression() = default;

    std::string source_;
    std::unique_ptr<ExprNode> root_;
    std::unique_ptr<ExprTextPlan> plan_;  // null unless textInto() applies
    bool usesDeleted_ = false;
};

}  // namespace engine
