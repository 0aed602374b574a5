// Recursive-descent parser of key/FOR expressions (see expr_parser.h).
// Precedence, lowest first: .OR.; .AND.; .NOT./!; relational (= == != < <=
// > >= $); + -; * / %; ^; unary + -; primary.
#include "engine/expr_parser.h"

#include <cstdlib>
#include <vector>

#include "engine/expr_functions.h"
#include "engine/expr_lexer.h"

namespace engine {

namespace {

using NodePtr = std::unique_ptr<ExprNode>;

const char* typeName(ExprType t) {
    switch (t) {
        case ExprType::Character:
            return "character";
        case ExprType::Numeric:
            return "numeric";
        case ExprType::Date:
            return "date";
        case ExprType::Logical:
            return "logical";
    }
    return "?";
}

class Parser {
public:
    Parser(std::vector<Token> tokens, const RecordView& schema, std::string* error)
        : tokens_(std::move(tokens)), schema_(schema), error_(error) {}

    NodePtr parseAll() {
        NodePtr n = parseOr();
        if (n && peek().kind != TokenKind::End) return fail("unexpected '" + peek().text + "'");
        return n;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }
    bool isOp(const char* op) const {
        return peek().kind == TokenKind::Operator && peek().text == op;
    }
    Token take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

    NodePtr fail(const std::string& what) {
        if (error_->empty()) *error_ = what + " at position " + std::to_string(peek().pos + 1);
        return nullptr;
    }

    static NodePtr node(ExprNode::Kind kind, ExprType type) {
        auto n = std::make_unique<ExprNode>();
        n->kind = kind;
        n->type = type;
        return n;
    }

    NodePtr logicalChain(NodePtr (Parser::*next)(), const char* op, ExprNode::Kind kind) {
        NodePtr left = (this->*next)();
        while (left && isOp(op)) {
            take();
            NodePtr right = (this->*next)();
            if (!right) return nullptr;
            if (left->type != ExprType::Logical || right->type != ExprType::Logical)
                return fail(std::string(".") + op + ". needs logical operands");
            NodePtr n = node(kind, ExprType::Logical);
            n->constant = left->constant && right->constant;
            n->args.push_back(std::move(left));
            n->args.push_back(std::move(right));
            left = std::move(n);
        }
        return left;
    }

    NodePtr parseOr() { return logicalChain(&Parser::parseAnd, "OR", ExprNode::Kind::Or); }
    NodePtr parseAnd() { return logicalChain(&Parser::parseNot, "AND", ExprNode::Kind::And); }

    NodePtr parseNot() {
        if (!isOp("NOT")) return parseRelation();
        take();
        if (++depth_ > kMaxExprDepth) return fail("expression nested too deeply");
        NodePtr operand = parseNot();
        --depth_;
        if (!operand) return nullptr;
        if (operand->type != ExprType::Logical) return fail(".NOT. needs a logical operand");
        NodePtr n = node(ExprNode::Kind::Not, ExprType::Logical);
        n->constant = operand->constant;
        n->args.push_back(std::move(operand));
        return n;
    }

    NodePtr parseRelation() {
        NodePtr left = parseSum();
        static const char* const kOps[] = {"=", "==", "!=", "<", "<=", ">", ">=", "$"};
        while (left && peek().kind == TokenKind::Operator) {
            std::string op = peek().text;
            bool relational = false;
            for (const char* o : kOps) relational = relational || op == o;
            if (!relational) break;
            take();
            NodePtr right = parseSum();
            if (!right) return nullptr;
            if (left->type != right->type)
                return fail(std::string("cannot compare ") + typeName(left->type) + " with " +
                            typeName(right->type));
            if (op == "$" && left->type != ExprType::Character)
                return fail("$ needs character operands");
            left = binary(op, std::move(left), std::move(right), ExprType::Logical);
        }
        return left;
    }

    NodePtr binary(const std::string& op, NodePtr left, NodePtr right, ExprType type) {
        NodePtr n = node(ExprNode::Kind::Binary, type);
        n->op = op;
        n->constant = left->constant && right->constant;
        n->args.push_back(std::move(left));
        n->args.push_back(std::move(right));
        return n;
    }

    NodePtr parseSum() {
        NodePtr left = parseProduct();
        while (left && (isOp("+") || isOp("-"))) {
            std::string op = take().text;
            NodePtr right = parseProduct();
            if (!right) return nullptr;
            ExprType a = left->type, b = right->type, t;
            if (a == ExprType::Character && b == ExprType::Character)
                t = ExprType::Character;
            else if (a == ExprType::Numeric && b == ExprType::Numeric)
                t = ExprType::Numeric;
            else if (a == ExprType::Date && b == ExprType::Numeric)
                t = ExprType::Date;
            else if (op == "+" && a == ExprType::Numeric && b == ExprType::Date)
                t = ExprType::Date;
            else if (op == "-" && a == ExprType::Date && b == ExprType::Date)
                t = ExprType::Numeric;
            else
                return fail(std::string("cannot apply ") + op + " to " + typeName(a) + " and " +
                            typeName(b));
            int len = t == ExprType::Character && left->length >= 0 && right->length >= 0
                          ? left->length + right->length
                          : -1;
            left = binary(op, std::move(left), std::move(right), t);
            left->length = len;
        }
        return left;
    }

    NodePtr parseProduct() {
        NodePtr left = parsePower();
        while (left && (isOp("*") || isOp("/") || isOp("%"))) {
            std::string op = take().text;
            NodePtr right = parsePower();
            if (!right) return nullptr;
            if (left->type != ExprType::Numeric || right->type != ExprType::Numeric)
                return fail(op + " needs numeric operands");
            left = binary(op, std::move(left), std::move(right), ExprType::Numeric);
        }
        return left;
    }

    NodePtr parsePower() {
        NodePtr left = parseUnary();
        while (left && isOp("^")) {
            take();
            NodePtr right = parseUnary();
            if (!right) return nullptr;
            if (left->type != ExprType::Numeric || right->type != ExprType::Numeric)
                return fail("^ needs numeric operands");
            left = binary("^", std::move(left), std::move(right), ExprType::Numeric);
        }
        return left;
    }

    NodePtr parseUnary() {
        if (!isOp("-") && !isOp("+")) return parsePrimary();
        std::string op = take().text;
        if (++depth_ > kMaxExprDepth) return fail("expression nested too deeply");
        NodePtr operand = parseUnary();
        --depth_;
        if (!operand) return nullptr;
        if (operand->type != ExprType::Numeric) return fail("unary " + op + " needs a number");
        NodePtr n = node(ExprNode::Kind::Unary, ExprType::Numeric);
        n->op = op;
        n->constant = operand->constant;
        n->args.push_back(std::move(operand));
        return n;
    }

    NodePtr parsePrimary() {
        const Token& t = peek();
        switch (t.kind) {
            case TokenKind::Number:
                return numberLiteral(take().text);
            case TokenKind::String: {
                NodePtr n = node(ExprNode::Kind::Literal, ExprType::Character);
                n->value = ExprValue::ofText(take().text);
                n->length = static_cast<int>(n->value.text.size());
                n->constant = true;
                return n;
            }
            case TokenKind::Logical: {
                NodePtr n = node(ExprNode::Kind::Literal, ExprType::Logical);
                n->value = ExprValue::ofLogical(take().text == "T");
                n->constant = true;
                return n;
            }
            case TokenKind::Identifier:
                return identifier();
            case TokenKind::Operator:
                if (t.text == "(") return parenthesised();
                return fail("unexpected '" + t.text + "'");
            case TokenKind::End:
                return fail("expression ends too early");
        }
        return fail("unexpected token");
    }

    NodePtr numberLiteral(const std::string& text) {
        NodePtr n = node(ExprNode::Kind::Literal, ExprType::Numeric);
        n->value = ExprValue::ofNumber(std::strtod(text.c_str(), nullptr));
        size_t dot = text.find('.');
        n->decimals = dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
        n->constant = true;
        return n;
    }

    NodePtr parenthesised() {
        take();
        if (++depth_ > kMaxExprDepth) return fail("expression nested too deeply");
        NodePtr inner = parseOr();
        --depth_;
        if (!inner) return nullptr;
        if (!isOp(")")) return fail("')' expected");
        take();
        return inner;
    }

    NodePtr identifier() {
        std::string name = take().text;
        if (isOp("(")) return call(name);
        if (isOp("->")) {
            take();
            if (peek().kind != TokenKind::Identifier) return fail("field name expected after ->");
            std::string field = take().text;
            return fieldNode(name + "->" + field, field);
        }
        return fieldNode(name, name);
    }

    NodePtr fieldNode(const std::string& lookup, const std::string& shown) {
        int i = schema_.findField(lookup);
        if (i < 0 && shown.size() > 10) {
            std::string shortName = shown.substr(0, 10);
            size_t arrow = lookup.find("->");
            i = schema_.findField(
                arrow == std::string::npos ? shortName : lookup.substr(0, arrow + 2) + shortName);
        }
        if (i < 0) return fail("unknown field " + lookup);
        const FieldDesc& f = schema_.field(i);
        NodePtr n = node(ExprNode::Kind::Field, ExprType::Character);
        n->field = i;
        n->fieldType = f.type;
        switch (f.type) {
            case 'C':
            case 'V':
            case 'M':
            case 'Q':
                n->type = ExprType::Character;
                n->length = f.type == 'M' ? -1 : f.length;
                break;
            case 'N':
            case 'F':
            case 'I':
            case 'B':
            case 'Y':
                n->type = ExprType::Numeric;
                n->length = f.type == 'N' || f.type == 'F' ? f.length : -1;
                n->decimals = f.type == 'I' ? 0 : f.decimals;
                break;
            case 'D':
            case 'T':
                n->type = ExprType::Date;
                break;
            case 'L':
                n->type = ExprType::Logical;
                break;
            default:
                return fail("field " + lookup + " of type " + std::string(1, f.type) +
                            " cannot be used in an expression");
        }
        return n;
    }

    NodePtr call(const std::string& name) {
        const FunctionDef* fn = findFunction(name);
        if (!fn) return fail("unknown function " + name);
        take();  // (
        if (++depth_ > kMaxExprDepth) return fail("expression nested too deeply");
        NodePtr n = node(ExprNode::Kind::Call, ExprType::Logical);
        n->fn = fn;
        if (!isOp(")")) {
            for (;;) {
                NodePtr arg = parseOr();
                if (!arg) return nullptr;
                n->args.push_back(std::move(arg));
                if (isOp(")")) break;
                if (!isOp(",")) return fail("',' or ')' expected");
                take();
            }
        }
        take();  // )
        --depth_;
        if (!checkArguments(*n)) return nullptr;
        fn->infer(n.get());
        bool constant =
            std::string_view(fn->name) != "DELETED" && std::string_view(fn->name) != "RECNO";
        for (const auto& a : n->args) constant = constant && a->constant;
        n->constant = constant;
        return n;
    }

    bool checkArguments(const ExprNode& n) {
        std::string_view sig = n.fn->signature;
        size_t required = 0;
        for (char c : sig) required += (c >= 'A' && c <= 'Z') || c == '*' ? 1 : 0;
        if (n.args.size() < required || n.args.size() > sig.size()) {
            fail(std::string(n.fn->name) + "() takes " + std::to_string(required) +
                 (sig.size() > required ? " to " + std::to_string(sig.size()) : "") + " arguments");
            return false;
        }
        for (size_t i = 0; i < n.args.size(); ++i) {
            char want = static_cast<char>(sig[i] >= 'a' ? sig[i] - 32 : sig[i]);
            if (want == '*' || want == '?') continue;
            if (static_cast<char>(n.args[i]->type) != want) {
                fail(std::string(n.fn->name) + "() argument " + std::to_string(i + 1) +
                     " must be " + typeName(static_cast<ExprType>(want)));
                return false;
            }
        }
        if (std::string_view(n.fn->name).substr(0, 2) == "IF" ||
            std::string_view(n.fn->name) == "IIF") {
            if (n.args[1]->type != n.args[2]->type) {
                fail("IIF() branches must have the same type");
                return false;
            }
        }
        return true;
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
    const RecordView& schema_;
    std::string* error_;
};

}  // namespace

std::unique_ptr<ExprNode> parseExpression(std::string_view source, const RecordView& schema,
                                          std::string* error) {
    error->clear();
    std::vector<Token> tokens;
    if (!tokenize(source, &tokens, error)) return nullptr;
    Parser parser(std::move(tokens), schema, error);
    NodePtr n = parser.parseAll();
    if (!n && error->empty()) *error = "cannot parse expression";
    return n;
}

}  // namespace engine
