// The record browse over real tables on a real display: stripes after a
// resize, after GoTop and while scrolling past the last row, the record
// kept across paints, the last column, keyboard, wheel and mouse, an empty
// table and a table shorter than the window.
#include <gtest/gtest.h>

#include "resources/controls_test_ids.h"
#include "runtime/strings.h"
#include "tables/dbcmd.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"
#include "toolkit/browse.h"
#include "toolkit/dialog.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/look.h"
#include "toolkit/strip.h"

namespace toolkit {
namespace {

using runtime::Value;

constexpr COLORREF kRow1 = 0xFFFFFF, kRow2 = 0xEAEFED, kFocus = 0x858684, kHeader = 0xCAD3D7;

class BrowseTest : public tables::testing::TablesTest {
protected:
    void SetUp() override {
        TablesTest::SetUp();
        clearLookSettings();
        DELBMPBRW();
    }
    void TearDown() override {
        browse_.reset();
        dialog_.reset();
        clearLookSettings();
        TablesTest::TearDown();
    }
    // "EMPRESA" with n companies "01".."nn", open and current, at the top.
    void makeCompanies(int n) {
        createTable("EMPRESA", {{"CODEMP", 'C', 2, 0}, {"CNOMBRE", 'C', 20, 0}});
        use("EMPRESA");
        for (int i = 1; i <= n; ++i) {
            tables::DBAPPEND();
            tables::FIELDPUT(1, Value(runtime::PADL(std::to_string(i), 2, '0')));
            tables::FIELDPUT(2, Value("EMPRESA " + std::to_string(i)));
        }
        tables::DBGOTOP();
    }
    // The browse of the test dialog over "EMPRESA": a strip picture, the
    // code and the name.
    void makeBrowse() {
        DialogNew d;
        d.cResName = Value(IDD_CT_BROWSE);
        dialog_ = TDialog::New(d);
        const Value mark = stripSlotValue(XLOADBITMAP(nullptr, Value("TKMASK")));
        BrowseRedefine b;
        b.nId = IDC_CT_BROWSE;
        b.oWnd = dialog_;
        b.aHeaders = {"#", "Cod.", "Nombre"};
        b.aColSizes = {20, 40, 120};
        b.bLine = runtime::Block([mark](std::span<const Value>) {
            return Value::newArray({mark, tables::aliasField("EMPRESA", "CODEMP"),
                                    tables::aliasField("EMPRESA", "CNOMBRE")});
        });
        browse_ = TWBrowse::ReDefine(b);
    }
    // Shows the dialog and runs body in its start hook.
    void show(std::function<void()> body) {
        bool ran = false;
        dialog_->bStart = [&] {
            ran = true;
            test::pumpFor(100);
            body();
            dialog_->End(1);
        };
        dialog_->Activate();
        EXPECT_TRUE(ran) << "the dialog was not shown";
    }
    void repaint() {
        RedrawWindow(browse_->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    // The background of screen row r (0: the header), away from text and grid.
    COLORREF rowColour(const test::ClientImage& img, int r) {
        const int h = browse_->nHRow();
        return img.at(img.width - 4, h * r + 2);
    }
    uint32_t recno() { return tables::RECNO(); }
    void key(WPARAM vk) { SendMessageA(browse_->hWnd, WM_KEYDOWN, vk, 0); }
    void wheel(int delta, int clientY) {
        POINT p{5, clientY};
        ClientToScreen(browse_->hWnd, &p);
        SendMessageA(browse_->hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(p.x, p.y));
    }

    std::shared_ptr<TDialog> dialog_;
    std::shared_ptr<TWBrowse> browse_;
};

TEST_F(BrowseTest, FirstRowsAfterTheResizeStartWithTheFirstStripe) {
    makeCompanies(30);
    makeBrowse();
    show([&] {
        const test::ClientImage img = test::clientImage(browse_->hWnd);
        const int rows = browse_->nRowCount();
        ASSERT_GE(rows, 4);
        EXPECT_EQ(rowColour(img, 0), kHeader);
        EXPECT_EQ(rowColour(img, 1), kFocus) << "the highlighted row, the browse having focus";
        EXPECT_EQ(rowColour(img, 2), kRow2);
        EXPECT_EQ(rowColour(img, 3), kRow1);
        EXPECT_EQ(browse_->cColor.text().substr(0, 3), "121");
        test::saveScreenshot(dialog_->hWnd, "browse");
    });
}

// A walk that has gone past the last record leaves the browse showing its
// last records (not the empty record past the end) and the area at its
// end; once the area is closed, the browse paints those rows again rather
// than going blank.
TEST_F(BrowseTest, PastTheEndAndAfterItsAreaClosesTheLastRowsStay) {
    makeCompanies(3);
    makeBrowse();
    show([&] {
        tables::DBGOBOTTOM();
        tables::DBSKIP(1);
        ASSERT_TRUE(tables::EOF_());
        repaint();
        EXPECT_TRUE(tables::EOF_()) << "the area is left at its end";
        const test::ClientImage atEnd = test::clientImage(browse_->hWnd);
        const int h = browse_->nHRow();
        for (int r = 1; r <= 3; ++r)
            EXPECT_GT(
                atEnd.countOther(RECT{24, h * r + 1, 180, h * (r + 1) - 1}, {rowColour(atEnd, r)}),
                10)
                << "row " << r << " shows its company";
        tables::DBCLOSEAREA();
        repaint();
        const test::ClientImage closed = test::clientImage(browse_->hWnd);
        EXPECT_TRUE(closed.pixels == atEnd.pixels) << "the rows painted last, again";
        test::saveScreenshot(dialog_->hWnd, "browse_closed");
    });
}

TEST_F(BrowseTest, PaintingLeavesTheRecordWhereItWas) {
    makeCompanies(30);
    tables::DBGOTO(5);
    makeBrowse();
    show([&] {
        EXPECT_EQ(recno(), 5u) << "after the first paints";
        key(VK_DOWN);
        key(VK_DOWN);
        const uint32_t highlighted = recno();
        EXPECT_EQ(highlighted, 7u);
        repaint();
        EXPECT_EQ(recno(), highlighted);
        tables::DBGOTOP();  // the first record, on the browse's first row
        browse_->GoTop();
        repaint();
        EXPECT_EQ(recno(), 1u);
    });
}

TEST_F(BrowseTest, GoTopStartsTheStripesWithTheSecond) {
    makeCompanies(30);
    makeBrowse();
    show([&] {
        key(VK_DOWN);
        browse_->GoTop();
        repaint();
        const test::ClientImage img = test::clientImage(browse_->hWnd);
        EXPECT_EQ(rowColour(img, 1), kFocus);
        EXPECT_EQ(rowColour(img, 2), kRow1) << "pattern 2121...: row 2 takes stripe 1";
        EXPECT_EQ(rowColour(img, 3), kRow2);
        EXPECT_EQ(recno(), 1u);
    });
}

TEST_F(BrowseTest, ScrollingPastTheLastRowKeepsEachRecordsStripe) {
    makeCompanies(40);
    makeBrowse();
    show([&] {
        const int rows = browse_->nRowCount();
        for (int i = 1; i < rows; ++i) key(VK_DOWN);
        ASSERT_EQ(browse_->nRowPos, rows);
        const test::ClientImage before = test::clientImage(browse_->hWnd);
        key(VK_DOWN);  // the grid scrolls up one row
        EXPECT_EQ(browse_->nRowPos, rows);
        EXPECT_EQ(recno(), static_cast<uint32_t>(rows + 1));
        const test::ClientImage after = test::clientImage(browse_->hWnd);
        for (int r = 2; r < rows - 1; ++r)
            EXPECT_EQ(rowColour(after, r - 1), rowColour(before, r)) << "record of row " << r;
        EXPECT_EQ(rowColour(after, rows), kFocus);
        EXPECT_NE(rowColour(after, rows - 1), rowColour(after, rows - 2));
        repaint();  // a whole paint agrees with the scrolled pixels
        const test::ClientImage again = test::clientImage(browse_->hWnd);
        for (int r = 1; r <= rows; ++r) EXPECT_EQ(rowColour(again, r), rowColour(after, r)) << r;
        test::saveScreenshot(dialog_->hWnd, "browse_scrolled");
    });
}

TEST_F(BrowseTest, LastColumnReachesTheRightEdge) {
    makeCompanies(10);
    makeBrowse();
    show([&] {
        const test::ClientImage img = test::clientImage(browse_->hWnd);
        const int h = browse_->nHRow();
        ASSERT_GT(img.width, 20 + 40 + 120 + 10) << "the window is wider than the columns";
        EXPECT_EQ(img.at(img.width - 1, h * 2 + h / 2), 0u) << "the grid's last line at the edge";
        EXPECT_EQ(img.at(img.width - 1, h / 2), 0u) << "the header's frame too";
        EXPECT_EQ(img.at(200, h * 2 + 2), kRow2) << "no gap after the given widths";
    });
}

TEST_F(BrowseTest, KeyboardWheelAndMouseMoveTheHighlightedRow) {
    makeCompanies(30);
    makeBrowse();
    int changes = 0;
    browse_->bChange = [&](TWBrowse&) { ++changes; };
    show([&] {
        const int h = browse_->nHRow();
        changes = 0;
        key(VK_DOWN);
        EXPECT_EQ(browse_->nRowPos, 2);
        EXPECT_EQ(recno(), 2u);
        EXPECT_EQ(changes, 1);
        test::ClientImage img = test::clientImage(browse_->hWnd);
        EXPECT_EQ(rowColour(img, 2), kFocus);
        EXPECT_EQ(rowColour(img, 1), kRow1) << "the old row is drawn in its stripe again";

        wheel(-120, h * 3);
        EXPECT_EQ(recno(), 3u);
        wheel(120, h * 3);
        wheel(120, h * 3);
        EXPECT_EQ(recno(), 1u);
        EXPECT_EQ(browse_->nRowPos, 1);
        key(VK_UP);
        EXPECT_EQ(recno(), 1u) << "nothing above the first";
        EXPECT_TRUE(browse_->lHitTop);

        SendMessageA(browse_->hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(100, h * 4 + h / 2));
        EXPECT_EQ(browse_->nRowPos, 4);
        EXPECT_EQ(recno(), 4u);

        key(VK_END);
        EXPECT_EQ(recno(), 30u);
        EXPECT_EQ(browse_->nRowPos, browse_->nRowCount());
        key(VK_HOME);
        EXPECT_EQ(recno(), 1u);
        key(VK_NEXT);
        EXPECT_EQ(recno(), static_cast<uint32_t>(1 + browse_->nRowCount()));
        EXPECT_EQ(browse_->nRowPos, 1) << "a page keeps the row";
    });
}

TEST_F(BrowseTest, HeaderClickRunsTheColumnsActionWithTheRecordKept) {
    makeCompanies(10);
    makeBrowse();
    std::vector<int> columns;
    uint32_t recordSeen = 0;
    browse_->aActions = {nullptr, [&](TWBrowse&, int row, int col) {
                             EXPECT_EQ(row, 0);
                             columns.push_back(col);
                             recordSeen = tables::RECNO();
                         }};
    show([&] {
        key(VK_DOWN);
        const int h = browse_->nHRow();
        SendMessageA(browse_->hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(20 + 10, h / 2));  // "Cod."
        SendMessageA(browse_->hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, h / 2));        // "#": none
        EXPECT_EQ(columns, std::vector<int>{2});
        EXPECT_EQ(recordSeen, 2u);
        EXPECT_EQ(browse_->nRowPos, 2) << "a header click moves no row";
    });
}

TEST_F(BrowseTest, ClassicLookHasNoStripesGridOrEmptyRows) {
    makeCompanies(3);
    LCLASSIC(true);
    makeBrowse();
    EXPECT_EQ(browse_->nLineStyle, 3);
    EXPECT_FALSE(browse_->lAlterClr);
    show([&] {
        const test::ClientImage img = test::clientImage(browse_->hWnd);
        const int h = browse_->nHRow();
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(rowColour(img, 0), face) << "the header in the button colours";
        EXPECT_EQ(rowColour(img, 2), face);
        EXPECT_EQ(rowColour(img, 3), face);
        EXPECT_EQ(img.at(img.width - 1, h * 2 + h / 2), face) << "no grid in line style 3";
        EXPECT_EQ(img.countOther(RECT{0, h * 4, img.width, img.height}, {face}), 0)
            << "below the records only the background";
    });
}

TEST_F(BrowseTest, DisabledBrowseTakesNoKeysButPaintsTheSame) {
    makeCompanies(5);
    makeBrowse();
    show([&] {
        SetFocus(GetDlgItem(dialog_->hWnd, IDOK));  // disabling would take the focus away
        test::pumpFor(50);
        const test::ClientImage enabled = test::clientImage(browse_->hWnd);
        browse_->Disable();
        repaint();
        EXPECT_EQ(SendMessageA(browse_->hWnd, WM_GETDLGCODE, 0, 0), 0);
        const test::ClientImage disabled = test::clientImage(browse_->hWnd);
        EXPECT_EQ(disabled.pixels, enabled.pixels);
    });
}

TEST_F(BrowseTest, EmptyTableShowsTheHeaderAndEmptyStripes) {
    makeCompanies(0);
    makeBrowse();
    show([&] {
        key(VK_DOWN);
        key(VK_END);
        EXPECT_EQ(browse_->nRowPos, 1);
        EXPECT_EQ(browse_->nLen, 0);
        const test::ClientImage img = test::clientImage(browse_->hWnd);
        EXPECT_EQ(rowColour(img, 0), kHeader);
        EXPECT_EQ(rowColour(img, 1), kRow1) << "no highlighted row";
        EXPECT_EQ(rowColour(img, 2), kRow2);
        const int h = browse_->nHRow();
        EXPECT_EQ(img.countOther(RECT{1, h + 1, img.width - 1, h * 2 - 1}, {kRow1, 0}), 0)
            << "nothing but the stripe and the grid";
        test::saveScreenshot(dialog_->hWnd, "browse_empty");
    });
}

TEST_F(BrowseTest, FewerRecordsThanRowsLeavesEmptyRowsBelow) {
    makeCompanies(3);
    makeBrowse();
    show([&] {
        browse_->nRowPos = 6;  // beyond the records
        repaint();
        EXPECT_EQ(browse_->nRowPos, 3) << "cut to the number of records";
        EXPECT_EQ(recno(), 3u) << "the record of the highlighted row";
        const test::ClientImage img = test::clientImage(browse_->hWnd);
        const int h = browse_->nHRow();
        EXPECT_EQ(rowColour(img, 3), kFocus);
        EXPECT_EQ(rowColour(img, 4), kRow2);
        EXPECT_EQ(rowColour(img, 5), kRow1);
        EXPECT_EQ(img.countOther(RECT{1, h * 4 + 1, img.width - 1, h * 5 - 1}, {kRow2, 0}), 0);
        key(VK_DOWN);
        EXPECT_EQ(browse_->nRowPos, 3) << "nothing below the last record";
    });
}

}  // namespace
}  // namespace toolkit
