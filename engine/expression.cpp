// Evaluation of compiled key/FOR expressions (see expression.h).
#include "engine/expression.h"

#include <cmath>
#include <vector>

#include "engine/expr_functions.h"
#include "engine/expr_parser.h"
#include "engine/expr_plan.h"
#include "engine/expr_text.h"
#include "runtime/codepage.h"

namespace engine {

namespace {

bool mentionsDeleted(const ExprNode& n) {
    if (n.kind == ExprNode::Kind::Call && std::string_view(n.fn->name) == "DELETED") return true;
    for (const auto& a : n.args)
        if (mentionsDeleted(*a)) return true;
    return false;
}

bool evalNode(const ExprNode& n, const RecordView& r, ExprValue* out, std::string* error);

bool fieldValue(const ExprNode& n, const RecordView& r, ExprValue* out) {
    switch (n.type) {
        case ExprType::Character:
            *out = ExprValue::ofText(r.text(n.field));
            break;
        case ExprType::Numeric:
            *out = ExprValue::ofNumber(r.number(n.field));
            break;
        case ExprType::Date:
            *out =
                ExprValue::ofDate(n.fieldType == 'T' ? r.dateTime(n.field) : r.julianDay(n.field));
            break;
        case ExprType::Logical:
            *out = ExprValue::ofLogical(r.logical(n.field));
            break;
    }
    return true;
}

int compareValues(const ExprValue& a, const ExprValue& b, bool exactOp) {
    switch (a.type) {
        case ExprType::Character:
            return exprCompareText(a.text, b.text, exactOp, exprSettings().exact);
        case ExprType::Logical:
            return static_cast<int>(a.logical) - static_cast<int>(b.logical);
        default:
            return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
    }
}

bool relation(const std::string& op, const ExprValue& a, const ExprValue& b) {
    if (op == "$") return b.text.find(a.text) != std::string::npos;
    int c = compareValues(a, b, op == "==");
    if (op == "=" || op == "==") return c == 0;
    if (op == "!=") return c != 0;
    if (op == "<") return c < 0;
    if (op == "<=") return c <= 0;
    if (op == ">") return c > 0;
    return c >= 0;
}

bool arithmetic(const ExprNode& n, const ExprValue& a, const ExprValue& b, ExprValue* out,
                std::string* error) {
    const std::string& op = n.op;
    if (n.type == ExprType::Character) {
        std::string s;
        if (op == "+") {
            s = a.text + b.text;
        } else {  // "-": the left side's trailing blanks move to the end
            std::string left = runtime::RTRIM(a.text);
            s = left + b.text + std::string(a.text.size() - left.size(), ' ');
        }
        if (s.size() > kMaxExprText) {
            *error = "text result longer than 64 KB";
            return false;
        }
        *out = ExprValue::ofText(std::move(s));
        return true;
    }
    double x = a.number, y = b.number, v = 0;
    if (op == "+")
        v = x + y;
    else if (op == "-")
        v = x - y;
    else if (op == "*")
        v = x * y;
    else if (op == "^")
        v = std::pow(x, y);
    else if (y == 0) {
        *error = "division by zero";
        return false;
    } else if (op == "/")
        v = x / y;
    else
        v = std::fmod(x, y);
    if (n.type == ExprType::Date)
        *out = ExprValue::ofDate(v);
    else
        *out = ExprValue::ofNumber(v);
    return true;
}

bool evalCall(const ExprNode& n, const RecordView& r, ExprValue* out, std::string* error) {
    std::string_view name = n.fn->name;
    if (name == "IIF" || name == "IF") {  // only the chosen branch is evaluated
        ExprValue cond;
        if (!evalNode(*n.args[0], r, &cond, error)) return false;
        return evalNode(*n.args[cond.logical ? 1 : 2], r, out, error);
    }
    std::vector<ExprValue> args(n.args.size());
    for (size_t i = 0; i < n.args.size(); ++i)
        if (!evalNode(*n.args[i], r, &args[i], error)) return false;
    return n.fn->eval(n, args, r, out, error);
}

bool evalNode(const ExprNode& n, const RecordView& r, ExprValue* out, std::string* error) {
    switch (n.kind) {
        case ExprNode::Kind::Literal:
            *out = n.value;
            return true;
        case ExprNode::Kind::Field:
            return fieldValue(n, r, out);
        case ExprNode::Kind::Call:
            return evalCall(n, r, out, error);
        case ExprNode::Kind::Not:
            if (!evalNode(*n.args[0], r, out, error)) return false;
            out->logical = !out->logical;
            return true;
        case ExprNode::Kind::And:
        case ExprNode::Kind::Or: {
            if (!evalNode(*n.args[0], r, out, error)) return false;
            bool decided = n.kind == ExprNode::Kind::And ? !out->logical : out->logical;
            if (decided) return true;
            return evalNode(*n.args[1], r, out, error);
        }
        case ExprNode::Kind::Unary:
            if (!evalNode(*n.args[0], r, out, error)) return false;
            if (n.op == "-") out->number = -out->number;
            return true;
        case ExprNode::Kind::Binary: {
            ExprValue a, b;
            if (!evalNode(*n.args[0], r, &a, error) || !evalNode(*n.args[1], r, &b, error))
                return false;
            if (n.type == ExprType::Logical) {
                *out = ExprValue::ofLogical(relation(n.op, a, b));
                return true;
            }
            return arithmetic(n, a, b, out, error);
        }
    }
    return false;
}

}  // namespace

Status Expression::compile(std::string_view source, const RecordView& schema,
                           std::unique_ptr<Expression>* out) {
    std::string error;
    std::unique_ptr<ExprNode> root = parseExpression(source, schema, &error);
    if (!root) return Status(kBadExpression, std::move(error));
    std::unique_ptr<Expression> e(new Expression());
    e->source_ = std::string(source);
    e->usesDeleted_ = mentionsDeleted(*root);
    e->plan_ = ExprTextPlan::compile(*root);
    e->root_ = std::move(root);
    *out = std::move(e);
    return Status();
}

Expression::~Expression() = default;

bool Expression::textInto(const RecordView& record, std::string* out) const {
    if (!plan_) return false;
    plan_->textOf(record, out);
    return true;
}

Status Expression::evaluate(const RecordView& record, ExprValue* out) const {
    std::string error;
    if (!evalNode(*root_, record, out, &error)) return Status(kBadExpression, std::move(error));
    return Status();
}

}  // namespace engine
