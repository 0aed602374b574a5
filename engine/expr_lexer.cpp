// Tokenizer of the key/FOR expression language (see expr_lexer.h).
#include "engine/expr_lexer.h"

#include <cctype>

#include "engine/expr_text.h"

namespace engine {

namespace {

bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Dotted words: .T. .F. .Y. .N. .AND. .OR. .NOT.; returns the length matched.
size_t dottedWord(std::string_view s, size_t i, Token* tok) {
    size_t end = s.find('.', i + 1);
    if (end == std::string_view::npos || end - i > 5) return 0;
    std::string word = exprUpper(s.substr(i + 1, end - i - 1));
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (word == "T" || word == "Y") {
        tok->kind = TokenKind::Logical;
        tok->text = "T";
    } else if (word == "F" || word == "N") {
        tok->kind = TokenKind::Logical;
        tok->text = "F";
    } else if (word == "AND" || word == "OR" || word == "NOT") {
        tok->kind = TokenKind::Operator;
        tok->text = word;
    } else
        return 0;
    return end - i + 1;
}

size_t number(std::string_view s, size_t i, Token* tok) {
    size_t j = i;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
    if (j < s.size() && s[j] == '.' && j + 1 <= s.size()) {
        size_t k = j + 1;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
        if (k > j + 1 || j > i) j = k;
    }
    if (j == i) return 0;
    tok->kind = TokenKind::Number;
    tok->text = std::string(s.substr(i, j - i));
    return j - i;
}

size_t symbol(std::string_view s, size_t i, Token* tok) {
    static const char* const kTwo[] = {"==", "!=", "<>", "<=", ">=", "**", "->"};
    tok->kind = TokenKind::Operator;
    for (const char* two : kTwo) {
        if (s.substr(i, 2) == two) {
            std::string t = two;
            tok->text = t == "<>" ? "!=" : t == "**" ? "^" : t;
            return 2;
        }
    }
    char c = s[i];
    if (std::string_view("+-*/%^=<>$()!,#").find(c) == std::string_view::npos) return 0;
    tok->text = c == '#' ? "!=" : c == '!' ? "NOT" : std::string(1, c);
    return 1;
}

}  // namespace

bool tokenize(std::string_view s, std::vector<Token>* tokens, std::string* error) {
    tokens->clear();
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        Token tok;
        tok.pos = i;
        size_t n = 0;
        if (c == '"' || c == '\'' || c == '[') {
            char close = c == '[' ? ']' : c;
            size_t end = s.find(close, i + 1);
            if (end == std::string_view::npos) {
                *error = "unterminated text at position " + std::to_string(i + 1);
                return false;
            }
            tok.kind = TokenKind::String;
            tok.text = std::string(s.substr(i + 1, end - i - 1));
            n = end - i + 1;
        } else if (isIdentStart(c)) {
            size_t j = i;
            while (j < s.size() && isIdentChar(s[j])) ++j;
            tok.kind = TokenKind::Identifier;
            tok.text = std::string(s.substr(i, j - i));
            for (char& ch : tok.text)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            n = j - i;
        } else if (c == '.') {
            n = dottedWord(s, i, &tok);
            if (n == 0) n = number(s, i, &tok);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            n = number(s, i, &tok);
        } else {
            n = symbol(s, i, &tok);
        }
        if (n == 0) {
            *error = "unexpected character '" + std::string(1, c) + "' at position " +
                     std::to_string(i + 1);
            return false;
        }
        tokens->push_back(std::move(tok));
        i += n;
    }
    Token end;
    end.pos = s.size();
    tokens->push_back(end);
    return true;
}

}  // namespace engine
