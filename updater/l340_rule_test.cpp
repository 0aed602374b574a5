// Tests of the L340 rule: every branch, the order in which fields are read,
// and the text rules underneath.
#include "updater/l340_rule.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace updater {
namespace {

// A row that holds its values and records which fields the rule read.
struct FakeRow : L340Row {
    bool l340 = true;
    std::string contraText = "4300001   ";
    double facturaNo = 12;
    double nfactickNo = 0;
    bool documentoBlank = false;
    std::string serieText = "A ";
    std::vector<std::string> reads;

    bool hasL340() override {
        reads.push_back("L340");
        return l340;
    }
    std::string_view contra() override {
        reads.push_back("CONTRA");
        return contraText;
    }
    bool facturaZero() override {
        reads.push_back("FACTURA");
        return facturaNo == 0;
    }
    bool nfactickZero() override {
        reads.push_back("NFACTICK");
        return nfactickNo == 0;
    }
    bool documentoEmpty() override {
        reads.push_back("DOCUMENTO");
        return documentoBlank;
    }
    std::string_view serie() override {
        reads.push_back("SERIE");
        return serieText;
    }
};

TEST(L340RuleTest, QualifyingRowReadsEveryFieldInOrder) {
    FakeRow row;
    EXPECT_TRUE(L340Holds(row));
    EXPECT_EQ(row.reads,
              (std::vector<std::string>{"L340", "CONTRA", "FACTURA", "DOCUMENTO", "SERIE"}));
}

TEST(L340RuleTest, TableWithoutL340ReadsNothingElse) {
    FakeRow row;
    row.l340 = false;
    row.contraText = "";  // would fail anyway; must not even be read
    EXPECT_FALSE(L340Holds(row));
    EXPECT_EQ(row.reads, std::vector<std::string>{"L340"});
}

TEST(L340RuleTest, ContraBranches) {
    struct Case {
        const char* contra;
        bool marked;
    } cases[] = {
        {"", false},
        {"          ", false},
        {" \t\r\n ", false},
        {"REGULARIZACION 2009", false},
        {"  REGULARIZACI  ", false},
        {"REGULARIZACI", false},
        {"REGULARIZAC", true},      // shorter than the twelve letters
        {"REGULARIZAC    ", true},  // blanks do not make up the twelfth letter
        {"\tREGULARIZACI\t", false},
        {"Regularizacion 2009", true},  // letters compare with their case
        {"X REGULARIZACION", true},
        {"4300001", true},
    };
    for (const Case& c : cases) {
        FakeRow row;
        row.contraText = c.contra;
        EXPECT_EQ(L340Holds(row), c.marked) << "CONTRA '" << c.contra << "'";
    }
}

TEST(L340RuleTest, InvoiceAndTicketNumbers) {
    FakeRow row;
    row.facturaNo = 0;
    row.nfactickNo = 0;
    EXPECT_FALSE(L340Holds(row));
    EXPECT_EQ(row.reads.back(), "NFACTICK");

    FakeRow ticket;
    ticket.facturaNo = 0;
    ticket.nfactickNo = 15;
    EXPECT_TRUE(L340Holds(ticket));

    FakeRow negative;  // any number but 0 counts
    negative.facturaNo = -3;
    EXPECT_TRUE(L340Holds(negative));
    EXPECT_EQ(std::count(negative.reads.begin(), negative.reads.end(), "NFACTICK"), 0);
}

TEST(L340RuleTest, EmptyDocumentStopsBeforeSerie) {
    FakeRow row;
    row.documentoBlank = true;
    EXPECT_FALSE(L340Holds(row));
    EXPECT_EQ(row.reads.back(), "DOCUMENTO");
}

TEST(L340RuleTest, SerieBranches) {
    struct Case {
        const char* serie;
        bool marked;
    } cases[] = {
        {"R", true},   {"AB", true},  {"RZ", true},      {"ABCRZ", true}, {" C  ", true},
        {"Z", true},   {"", false},   {"   ", false},    {"D", false},    {"a", false},
        {"AC", false}, {"ZA", false}, {"ABCRZA", false}, {"A B", false},
    };
    for (const Case& c : cases) {
        FakeRow row;
        row.serieText = c.serie;
        EXPECT_EQ(L340Holds(row), c.marked) << "SERIE '" << c.serie << "'";
    }
}

// Every combination of one passing and one failing value per condition: the
// row is marked exactly when all pass, and the rule stops at the first fail.
TEST(L340RuleTest, EveryCombinationStopsAtFirstFailure) {
    const char* fields[] = {"L340", "CONTRA", "FACTURA", "DOCUMENTO", "SERIE"};
    for (int mask = 0; mask < 32; ++mask) {
        FakeRow row;
        row.l340 = mask & 1;
        row.contraText = (mask & 2) ? "4000" : "REGULARIZACION";
        row.facturaNo = (mask & 4) ? 7 : 0;
        row.documentoBlank = !(mask & 8);
        row.serieText = (mask & 16) ? "B" : "Q";
        int firstFail = 0;
        while (firstFail < 5 && (mask >> firstFail & 1)) ++firstFail;
        EXPECT_EQ(L340Holds(row), mask == 31) << mask;
        std::string last = firstFail == 2 ? "NFACTICK" : fields[std::min(firstFail, 4)];
        EXPECT_EQ(row.reads.back(), last) << mask;
    }
}

}  // namespace
}  // namespace updater
