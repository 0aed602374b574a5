// Tests of index key bytes: the numeric transform against key bytes worked
// out by hand, integer and logical keys, null markers and padding.
#include <gtest/gtest.h>

#include "engine/cdx_key.h"
#include "engine/cdx_testutil.h"
#include "engine/expr_text.h"
#include "runtime/dates.h"

namespace engine {
namespace {

using test::toHex;

TEST(CdxKeyTest, NumbersSortBytewiseAfterTheTransform) {
    EXPECT_EQ(toHex(cdxNumberKey(1.0)), "bff0000000000000");
    EXPECT_EQ(toHex(cdxNumberKey(0.0)), "8000000000000000");
    EXPECT_EQ(toHex(cdxNumberKey(-0.0)), "8000000000000000");
    EXPECT_EQ(toHex(cdxNumberKey(-1.0)), "400fffffffffffff");
    EXPECT_EQ(toHex(cdxNumberKey(2.5)), "c004000000000000");
    EXPECT_EQ(toHex(cdxNumberKey(runtime::julianFromYmd(2000, 1, 1))), "c142b42c80000000");
    const double values[] = {-1e300, -2.5, -1, -1e-9, 0, 1e-9, 1, 2.5, 1e300};
    for (size_t i = 1; i < std::size(values); ++i)
        EXPECT_LT(cdxNumberKey(values[i - 1]), cdxNumberKey(values[i])) << values[i];
}

TEST(CdxKeyTest, KeyFormatsFollowTheExpression) {
    test::MemTable t({"NAME,C,12", "N,N,6,1", "D,D,8", "L,L,1", "I,I,4", "NI,I0,4"});
    t.append({"abc", "-3.5", "20000101", "T", "-2", "\x01NULL"});
    struct Case {
        const char* expr;
        char type;
        int length;
        const char* hex;
    };
    const Case cases[] = {
        {"name", 'C', 12, "616263202020202020202020"},
        {"LEFT(name,2)+STR(n,5,1)", 'C', 7, "6162202d332e35"},
        {"n", 'N', 8, "3ff3ffffffffffff"},
        {"d", 'D', 8, "c142b42c80000000"},
        {"l", 'L', 1, "54"},
        {"i", 'I', 4, "7ffffffe"},
        {"i + 0", 'N', 8, "3fffffffffffffff"},
        {"ni", 'I', 5, "0000000000"},  // NULL sorts first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expr);
        std::string key;
        auto e = test::compiled(c.expr, t.schema());
        ASSERT_TRUE(e);
        CdxKeyFormat f;
        ASSERT_EQ(cdxKeyFormatFor(*e, t.schema(), &f), kOk);
        EXPECT_EQ(f.type, c.type);
        EXPECT_EQ(f.length, c.length);
        ASSERT_EQ(cdxRecordKey(*e, f, t.record(1), &key), kOk);
        EXPECT_EQ(toHex(key), c.hex);
    }
    t.set(1, 5, "7");
    std::string key;
    auto e = test::compiled("ni", t.schema());
    CdxKeyFormat f;
    ASSERT_EQ(cdxKeyFormatFor(*e, t.schema(), &f), kOk);
    ASSERT_EQ(cdxRecordKey(*e, f, t.record(1), &key), kOk);
    EXPECT_EQ(toHex(key), "8080000007");
}

}  // namespace
}  // namespace engine
