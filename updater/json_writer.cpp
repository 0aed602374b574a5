// String literals and fixed-point numbers of the JSON writer.
#include "updater/json_writer.h"

#include <cstdio>

#include "runtime/console_text.h"

namespace updater {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char ch : runtime::toUtf8(text)) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

Json& Json::fixed3(double x) {
    // Thousandths as an integer: no locale can put a comma in it.
    long long milli = static_cast<long long>(x * 1000.0 + (x < 0 ? -0.5 : 0.5));
    std::string sign = milli < 0 ? "-" : "";
    if (milli < 0) milli = -milli;
    char frac[8];
    std::snprintf(frac, sizeof frac, "%03lld", milli % 1000);
    return value(sign + std::to_string(milli / 1000) + "." + frac);
}

}  // namespace updater
