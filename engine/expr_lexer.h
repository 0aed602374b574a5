// Tokens of the xBase key/FOR expression language.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

enum class TokenKind {
    End,
    Identifier,  // field, alias or function name (upper-cased)
    Number,      // numeric literal
    String,      // text literal without its delimiters
    Logical,     // .T. .F. .Y. .N. (text "T" or "F")
    Operator,    // + - * / % ^ ** = == != <> # < <= > >= $ ! ( ) , -> .AND. .OR. .NOT.
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // operators normalised: "<>" and "#" become "!=", "**" becomes "^",
                       // ".AND." "AND", ".OR." "OR", ".NOT." and "!" "NOT"
    size_t pos = 0;    // byte offset in the source
};

// Splits `source` into tokens ending with an End token. On a character that
// starts no token, or an unterminated string, returns false and sets *error.
bool tokenize(std::string_view source, std::vector<Token>* tokens, std::string* error);

}  // namespace engine
