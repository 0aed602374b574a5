// Character expressions read straight from the record give the evaluator's
// text byte for byte, whatever the stored bytes look like.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "engine/expr_functions.h"
#include "engine/expr_plan.h"
#include "engine/expression.h"
#include "engine/table.h"
#include "runtime/codepage.h"

namespace engine {
namespace {

// STR() of a stored number through the stored digits, against the value
// formatted; a text the stored path declines goes through the formatter.
TEST(ExprPlanTest, StrOfStoredDigitsEqualsTheFormattedValue) {
    const char* texts[] = {
        "    123.45", "   -123.45",       "     -0.00",       "      0.00",      "  00012.50",
        "      7.5",  "      5.",         "  -.50",           "   12.345",       "  1.2.3",
        "  12.50 ",   "  +12.50",         "**********",       "          ",      "abc",
        "-",          "999999999999999.", "12345678901234.5", "0000000000000001"};
    int shapes[][2] = {{10, 2}, {12, 2}, {6, 2}, {5, 0}, {12, 4}, {3, 0}, {16, 1}, {1, 0}};
    int taken = 0;
    for (const char* t : texts)
        for (auto [width, decimals] : shapes) {
            std::string fast;
            if (!exprStrOfStored(t, width, decimals, &fast)) continue;
            ++taken;
            double v = std::strtod(t, nullptr);
            EXPECT_EQ(fast, exprNumberText(v, width, decimals))
                << "\"" << t << "\" width " << width << " decimals " << decimals;
        }
    EXPECT_GT(taken, 30);
    std::string out;
    EXPECT_FALSE(exprStrOfStored("   12.345", 10, 2, &out)) << "needs rounding";
    EXPECT_FALSE(exprStrOfStored("          ", 10, 2, &out)) << "blank";
    EXPECT_FALSE(exprStrOfStored("  12.50 ", 10, 2, &out)) << "not as a table writes it";
}

// Random stored digits of every length, against the formatter.
TEST(ExprPlanTest, StrOfRandomStoredNumbersEqualsTheFormattedValue) {
    uint32_t seed = 99;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 0; i < 20000; ++i) {
        int intDigits = 1 + int(next() % 16), fracDigits = int(next() % 5);
        std::string t = next() % 3 == 0 ? "-" : "";
        for (int k = 0; k < intDigits; ++k) t += char('0' + next() % (k == 0 ? 3 : 10));
        if (fracDigits > 0 || next() % 4 == 0) t += '.';
        for (int k = 0; k < fracDigits; ++k) t += char('0' + next() % 10);
        int width = 1 + int(next() % 20), decimals = int(next() % 6);
        std::string fast;
        if (!exprStrOfStored(t, width, decimals, &fast)) continue;
        ASSERT_EQ(fast, exprNumberText(std::strtod(t.c_str(), nullptr), width, decimals))
            << t << " width " << width << " decimals " << decimals;
    }
}

class ExprPlanTableTest : public ::testing::Test {
protected:
    ExprPlanTableTest() { previousPage_ = runtime::HB_SETCODEPAGE("ESWIN"); }
    ~ExprPlanTableTest() override { runtime::HB_SETCODEPAGE(previousPage_); }

    // A table whose records hold, as stored bytes, each of `rows` (the
    // fields' texts one after the other, as wide as the fields).
    std::string tableWith(const std::vector<std::string>& rows) {
        std::string path = dir_.file("plan.dbf");
        EXPECT_EQ(
            createTable(path, "NAME,C,6,0;DAY,D;AMOUNT,N,9,2;UNITS,N,4,0;CODE,C,3,0", kTypeCdx, 0),
            kOk);
        Handle h = test::openOrDie(path);
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(append(h), kOk);
        EXPECT_EQ(closeTable(h), kOk);
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        unsigned char head[12];
        f.read(reinterpret_cast<char*>(head), sizeof head);
        size_t headerBytes = head[8] | head[9] << 8, recordBytes = head[10] | head[11] << 8;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].size() + 1, recordBytes);
            f.seekp(std::streamoff(headerBytes + i * recordBytes + 1));
            f.write(rows[i].data(), std::streamsize(rows[i].size()));
        }
        return path;
    }

    static std::string row(const std::vector<std::string>& fields) {
        static const size_t widths[] = {6, 8, 9, 4, 3};
        std::string r;
        for (size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i].size(), widths[i]) << fields[i];
            r += fields[i];
        }
        return r;
    }

    test::ScratchDir dir_;
    std::string previousPage_;
};

TEST_F(ExprPlanTableTest, KeyShapesGiveTheEvaluatorsTextForEveryStoredForm) {
    // NAME C(6), DAY D, AMOUNT N(9,2), UNITS N(4,0), CODE C(3), as stored.
    std::string path = tableWith({
        row({"ana \xF1u", "20240229", "   123.45", "  12", "abc"}),
        row({"      ", "20231301", "    -0.00", "   0", "   "}),  // month 13, negative zero
        row({"ZZZZZZ", "        ", "*********", "    ", "Q  "}),
        row({"x     ", "19000101", "12345.678", "-001", "xy "}),  // too many decimals, a sign
        row({"      ", "00000000", "       5.", "  7 ", " x "}),
        row({"\xE1\xE9\xED   ", "99991231", "-999999.9", "9999", "zzz"}),
        row({"a     ", "20240101", "  +12.50 ", "1.5 ", "   "}),
        // Days that do not exist, the first year, digits with a blank; a
        // blank amount.
        row({"b     ", "20230229", "     1.00", "   1", "a  "}),
        row({"c     ", "20240431", "     2.00", "   2", "b  "}),
        row({"d     ", "00010101", "     3.00", "   3", "c  "}),
        row({"e     ", "2024 101", "         ", "   4", "d  "}),
        row({"f     ", "15821010", "     5.00", "   5", "e  "}),
        row({"g     ", "20240100", "     6.00", "   6", "f  "}),
    });
    std::unique_ptr<Table> t;
    OpenParams p;
    p.path = path;
    p.alias = "PLAN";
    ASSERT_EQ(Table::open(p, &t), kOk);
    // Texts longer than the buffer a key is composed in, with an UPPER()
    // between pieces: every piece comes out in its place.
    const std::string longer = "'" + std::string(200, 'a') + "'+UPPER(NAME)+'" +
                               std::string(60, 'b') + "'+DTOS(DAY)+STR(AMOUNT,12,2)+CODE",
                      longest = "'" + std::string(250, 'c') + "'+NAME+DTOS(DAY)+CODE+'" +
                                std::string(250, 'd') + "'+STR(UNITS,6,1)";
    const char* sources[] = {longer.c_str(),
                             longest.c_str(),
                             "NAME",
                             "UPPER(NAME)",
                             "CODE+DTOS(DAY)",
                             "DTOS(DAY)+STR(AMOUNT,12,2)",
                             "STR(AMOUNT)+STR(UNITS)+STR(AMOUNT,7)",
                             "STR(UNITS,6,2)+'-'+NAME+STR(AMOUNT,3,1)",
                             "PLAN->CODE+UPPER(PLAN->NAME)+STR(UNITS,0)"};
    for (const char* source : sources) {
        std::unique_ptr<Expression> e;
        ASSERT_EQ(Expression::compile(source, t->record(), &e), kOk) << source;
        for (uint32_t n = 1; n <= t->recordCount(); ++n) {
            const RecordView* r = nullptr;
            ASSERT_EQ(t->readRecord(n, &r), kOk);
            ExprValue v;
            ASSERT_EQ(e->evaluate(*r, &v), kOk);
            std::string fast = "left over";
            ASSERT_TRUE(e->textInto(*r, &fast)) << source;
            EXPECT_EQ(fast, v.text) << source << ", record " << n;
        }
    }
    EXPECT_EQ(t->close(), kOk);
}

TEST_F(ExprPlanTableTest, OtherShapesStayWithTheEvaluator) {
    std::string path = tableWith({row({"ana   ", "20240229", "   123.45", "  12", "abc"})});
    std::unique_ptr<Table> t;
    OpenParams p;
    p.path = path;
    ASSERT_EQ(Table::open(p, &t), kOk);
    for (const char* source : {"TRIM(NAME)+CODE", "NAME-CODE", "STR(AMOUNT,UNITS)", "AMOUNT",
                               "DTOS(DAY)", "LEFT(NAME,2)", "DAY", "STR(AMOUNT+1,9,2)"}) {
        std::unique_ptr<Expression> e;
        ASSERT_EQ(Expression::compile(source, t->record(), &e), kOk) << source;
        std::string out = "untouched";
        bool planned = e->textInto(t->record(), &out);
        // DTOS(DAY) alone is a plan; the rest are not.
        EXPECT_EQ(planned, std::string(source) == "DTOS(DAY)") << source;
        if (!planned) {
            EXPECT_EQ(out, "untouched");
        }
    }
    EXPECT_EQ(t->close(), kOk);
}

}  // namespace
}  // namespace engine
