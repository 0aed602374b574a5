// A small JSON writer for the reports installers read (the check's and the
// run's): it puts the commas between members and items, and turns the
// program's Windows-1252 texts into escaped UTF-8 string literals.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updater {

// `text` (Windows-1252) as a JSON string literal, quotes included: UTF-8,
// with quotes, backslashes and control characters escaped.
std::string jsonString(std::string_view text);

class Json {
public:
    Json& open(char bracket) {
        value(std::string(1, bracket));
        first_ = true;
        return *this;
    }
    Json& close(char bracket) {
        out_ += bracket;
        first_ = false;
        return *this;
    }
    Json& key(std::string_view name) {
        value(jsonString(name) + ":");
        first_ = true;
        return *this;
    }
    Json& str(std::string_view text) { return value(jsonString(text)); }
    Json& num(long long n) { return value(std::to_string(n)); }
    // A number with three decimals (seconds), written without the locale.
    Json& fixed3(double x);
    Json& boolean(bool b) { return value(b ? "true" : "false"); }
    Json& strings(const std::vector<std::string>& list) {
        open('[');
        for (const std::string& s : list) str(s);
        return close(']');
    }
    const std::string& text() const { return out_; }

private:
    Json& value(const std::string& text) {
        if (!first_) out_ += ',';
        out_ += text;
        first_ = false;
        return *this;
    }
    std::string out_;
    bool first_ = true;
};

}  // namespace updater
