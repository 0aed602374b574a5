// Field encodings: numbers, dates, logicals and memo pointers written and
// read back at the byte level, with the blank and overflow cases.
#include "engine/dbf_field.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/dbf_record.h"
#include "engine/engine.h"
#include "runtime/dates.h"

namespace engine {
namespace {

FieldDesc field(char type, uint16_t len, uint8_t dec = 0) {
    FieldDesc f;
    f.type = type;
    f.length = len;
    f.decimals = dec;
    return f;
}

std::string bytesOf(const uint8_t* p, size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

TEST(DbfFieldTest, NumericTextRoundTripsRightAligned) {
    uint8_t b[10];
    FieldDesc f = field('N', 8, 2);
    ASSERT_EQ(writeNumber(b, f, -12.5), kOk);
    EXPECT_EQ(bytesOf(b, 8), "  -12.50");
    EXPECT_DOUBLE_EQ(readNumber(b, f), -12.5);
    ASSERT_EQ(writeNumber(b, f, 0.004), kOk);
    EXPECT_EQ(bytesOf(b, 8), "    0.00");  // no "-0.00" either
    ASSERT_EQ(writeNumber(b, f, -0.001), kOk);
    EXPECT_EQ(bytesOf(b, 8), "    0.00");
    FieldDesc i = field('N', 3, 0);
    ASSERT_EQ(writeNumber(b, i, 999), kOk);
    EXPECT_EQ(bytesOf(b, 3), "999");
    EXPECT_EQ(writeNumber(b, i, 1000), kValueTooWide);
    EXPECT_EQ(bytesOf(b, 3), "999");  // unchanged after the failure
}

TEST(DbfFieldTest, BlankAndDamagedNumbersReadAsZero) {
    FieldDesc f = field('N', 5, 1);
    EXPECT_EQ(readNumber(reinterpret_cast<const uint8_t*>("     "), f), 0.0);
    EXPECT_EQ(readNumber(reinterpret_cast<const uint8_t*>("*****"), f), 0.0);
    EXPECT_EQ(readNumber(reinterpret_cast<const uint8_t*>("1 2 3"), f), 0.0);
    EXPECT_DOUBLE_EQ(readNumber(reinterpret_cast<const uint8_t*>(" 12.5"), f), 12.5);
    double v = 0;
    EXPECT_TRUE(parseNumberText("  123456789012345678.5", &v));  // beyond the fast path
    EXPECT_DOUBLE_EQ(v, 123456789012345678.5);
}

// The zero test reads digits where it can and the number elsewhere; both
// must answer as storedNumber(bytes) == 0 does, for any bytes.
TEST(DbfFieldTest, ZeroTestAgreesWithTheStoredNumber) {
    const char* texts[] = {"",       "    ",   "   0",  "  -0.00", "+0",     "0.",
                           ".",      "-",      "  12.50", " -0.01", "***",   "1e-400",
                           "0e5",    " 0 0",   "0.0.0", "1 ",     " 0x10", "0000000000000000",
                           "00000000000000000001", "0.000000000000000000001", "  abc", "-.0"};
    for (const char* t : texts)
        EXPECT_EQ(storedNumberIsZero(t), storedNumber(t) == 0) << '"' << t << '"';
}

TEST(DbfFieldTest, BinaryNumbersUseTheirOwnEncodings) {
    uint8_t b[8];
    ASSERT_EQ(writeNumber(b, field('Y', 8, 4), 12.4301), kOk);
    EXPECT_EQ(bytesOf(b, 8), std::string("\x8D\xE5\x01\x00\x00\x00\x00\x00", 8));
    ASSERT_EQ(writeNumber(b, field('B', 8), 2.5), kOk);
    EXPECT_EQ(bytesOf(b, 8), std::string("\x00\x00\x00\x00\x00\x00\x04\x40", 8));
    ASSERT_EQ(writeNumber(b, field('I', 4), -2), kOk);
    EXPECT_EQ(readNumber(b, field('I', 4)), -2.0);
    EXPECT_EQ(writeNumber(b, field('I', 4), 3e9), kValueTooWide);
}

TEST(DbfFieldTest, DatesAndDateTimes) {
    EXPECT_EQ(runtime::julianFromYmd(2000, 1, 1), 2451545);
    EXPECT_EQ(runtime::julianFromYmd(1970, 1, 1), 2440588);
    EXPECT_EQ(textFromJulian(2451545), "20000101");
    EXPECT_EQ(julianFromText("20240229"), runtime::julianFromYmd(2024, 2, 29));
    EXPECT_EQ(julianFromText("2024022x"), 0);
    EXPECT_EQ(julianFromText("20230229"), 0);  // no 29 February in 2023
    EXPECT_EQ(julianFromText("20240431"), 0);
    EXPECT_EQ(textFromJulian(0), "");
    uint8_t d[8];
    writeJulian(d, field('D', 8), 0);
    EXPECT_EQ(bytesOf(d, 8), "        ");
    EXPECT_EQ(readJulian(d, field('D', 8)), 0);
    const uint8_t t[8] = {0x59, 0x68, 0x25, 0x00, 0x95, 0x2C, 0xB3, 0x02};
    EXPECT_EQ(readJulian(t, field('T', 8)), 2451545);
    EXPECT_EQ(readMillis(t, field('T', 8)), 45296789);
}

TEST(DbfFieldTest, LogicalsAndMemoPointers) {
    FieldDesc l = field('L', 1);
    for (char c : std::string("TtYy")) EXPECT_TRUE(readLogical(reinterpret_cast<uint8_t*>(&c), l));
    for (char c : std::string("FfNn ?"))
        EXPECT_FALSE(readLogical(reinterpret_cast<uint8_t*>(&c), l));
    uint8_t m[10];
    writeMemoBlock(m, field('M', 10), 1234);
    EXPECT_EQ(bytesOf(m, 10), "      1234");
    EXPECT_EQ(readMemoBlock(m, field('M', 10)), 1234u);
    writeMemoBlock(m, field('M', 10), 4294967295u);
    EXPECT_EQ(bytesOf(m, 10), "4294967295");
    writeMemoBlock(m, field('M', 10), 7);
    EXPECT_EQ(bytesOf(m, 10), "         7");
    writeMemoBlock(m, field('M', 10), 0);
    EXPECT_EQ(bytesOf(m, 10), "          ");
    writeMemoBlock(m, field('M', 4), 70000);
    EXPECT_EQ(readMemoBlock(m, field('M', 4)), 70000u);
    EXPECT_EQ(readMemoBlock(reinterpret_cast<const uint8_t*>("   12x4   "), field('M', 10)), 0u);
    EXPECT_EQ(readMemoBlock(reinterpret_cast<const uint8_t*>("9999999999"), field('M', 10)), 0u);
}

// A record that shows bytes kept elsewhere (a table's read-ahead block)
// reads its fields from them; asking for its bytes to write takes its own
// back, so that nothing written to the record reaches the kept bytes.
TEST(DbfFieldTest, ARecordReadsShownBytesInPlaceAndNeverWritesThem) {
    DbfHeader h;
    h.recordBytes = 10;
    FieldDesc name = field('C', 4), qty = field('N', 5);
    name.name = "NAME";
    name.offset = 1;
    qty.name = "QTY";
    qty.offset = 5;
    h.fields = {name, qty};
    TableLayout layout;
    layout.build(h, "T");
    DbfRecord r(&layout, nullptr);
    const std::string kept = "*ABCD   12";
    r.show(reinterpret_cast<const uint8_t*>(kept.data()), 7);
    EXPECT_EQ(r.recordNumber(), 7u);
    EXPECT_TRUE(r.deleted());
    EXPECT_EQ(r.raw(0), "ABCD");
    EXPECT_EQ(r.number(1), 12);
    r.data()[1] = 'Z';
    EXPECT_EQ(kept, "*ABCD   12");
    EXPECT_EQ(r.raw(0), "Z   ");  // its own bytes, blank but for the write
    EXPECT_FALSE(r.deleted());
}

}  // namespace
}  // namespace engine
