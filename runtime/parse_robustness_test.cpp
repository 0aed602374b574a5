// Feeds random and truncated texts to the parsers and formatters that take
// user or file input (CTOD, STOD, VAL, TRANSFORM, STUFF, comparisons) and
// checks the results stay within their documented shapes.
#include <gtest/gtest.h>

#include <random>

#include "runtime/codepage.h"
#include "runtime/dates.h"
#include "runtime/settings.h"
#include "runtime/strings.h"

namespace runtime {
namespace {

std::string randomText(std::mt19937& rng, size_t maxLen) {
    static const char kAlphabet[] = "0123456789-/. ,9#!XYyYmMdD@Z\xF1\xD1\t";
    std::uniform_int_distribution<size_t> len(0, maxLen);
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string s(len(rng), ' ');
    for (auto& c : s) c = static_cast<char>(rng() % 4 == 0 ? anyByte(rng) : kAlphabet[pick(rng)]);
    return s;
}

TEST(ParseRobustnessTest, RandomInputKeepsResultsWellFormed) {
    resetSettings();
    const std::string page = HB_SETCODEPAGE("ESWIN");
    std::mt19937 rng(20261207);
    for (int i = 0; i < 20000; ++i) {
        const std::string a = randomText(rng, 24);
        const std::string b = randomText(rng, 24);
        const Date d = CTOD(a);
        if (!d.empty() && YEAR(d) >= epochYear() && YEAR(d) < epochYear() + 100) {
            // A date inside the two-digit window prints and reads back as itself.
            EXPECT_EQ(CTOD(DTOC(d)), d) << a;
        }
        EXPECT_EQ(STOD(DTOS(STOD(a))), STOD(a));
        const Number n = VAL(a);
        EXPECT_FALSE(std::isnan(n.value)) << a;
        const std::string t = TRANSFORM(n.value, b);
        if (!b.empty() && b[0] != '@') {
            EXPECT_EQ(t.size(), b.size()) << b;
        }
        EXPECT_EQ(STR(n.value, 12, 3).size(), 12u);
        TRANSFORM(a, b);
        EXPECT_EQ(STUFF(a, static_cast<int>(rng() % 40) - 5, static_cast<int>(rng() % 40) - 5, b)
                          .size() <= a.size() + b.size(),
                  true);
        // The order is antisymmetric under exact comparison.
        EXPECT_EQ(compareText(a, b, true), -compareText(b, a, true)) << a << "|" << b;
        EXPECT_EQ(UPPER(a).size(), a.size());
    }
    HB_SETCODEPAGE(page);
    resetSettings();
}

}  // namespace
}  // namespace runtime
