// Tests of the working date: month arithmetic, month names and the logic of
// the working-date dialog.
#include "startup/working_date.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "runtime/dates.h"
#include "runtime/settings.h"
#include "startup/date_dialog.h"
#include "startup/product_hooks.h"

namespace startup {
namespace {

using runtime::Date;
using runtime::makeDate;

TEST(DaddMonthsTest, DayPastMonthEndBecomesTheMonthsUsualLastDay) {
    EXPECT_EQ(DADDMONTHS(makeDate(2008, 1, 31), 1), makeDate(2008, 2, 28)) << "not 29";
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 1, 30), 1), makeDate(2009, 2, 28));
    EXPECT_EQ(DADDMONTHS(makeDate(2008, 1, 29), 1), makeDate(2008, 2, 29)) << "a real day stays";
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 3, 31), 1), makeDate(2009, 4, 30));
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 8, 31), 1), makeDate(2009, 9, 30));
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 1, 31), 2), makeDate(2009, 3, 31));
}

TEST(DaddMonthsTest, YearsCarryAndKeepTheirCentury) {
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 11, 15), 3), makeDate(2010, 2, 15));
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 11, 15), 0), makeDate(2009, 11, 15));
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 11, 15), 26), makeDate(2012, 1, 15));
    // A two-digit year window must not pull the result back a century.
    EXPECT_EQ(DADDMONTHS(makeDate(2019, 12, 15), 1), makeDate(2020, 1, 15));
    EXPECT_EQ(DADDMONTHS(makeDate(1919, 12, 15), 1), makeDate(1920, 1, 15));
}

TEST(DaddMonthsTest, NegativeCountsGoBack) {
    EXPECT_EQ(DADDMONTHS(makeDate(2010, 2, 15), -3), makeDate(2009, 11, 15));
    EXPECT_EQ(DADDMONTHS(makeDate(2009, 3, 31), -1), makeDate(2009, 2, 28));
    EXPECT_EQ(DADDMONTHS(makeDate(2010, 1, 1), -12), makeDate(2009, 1, 1));
}

TEST(DaddMonthsTest, EmptyOrOutOfRangeGivesTheEmptyDate) {
    EXPECT_TRUE(DADDMONTHS(Date{}, 1).empty());
    EXPECT_TRUE(DADDMONTHS(makeDate(9999, 12, 1), 1).empty());
    EXPECT_TRUE(DADDMONTHS(makeDate(1, 1, 1), -1).empty());
}

TEST(CmesTest, OnlySeptemberHasNoTrailingBlank) {
    EXPECT_EQ(CMES(1), "Enero ");
    EXPECT_EQ(CMES(9), "Septiembre");
    EXPECT_EQ(CMES(12), "Diciembre ");
    for (int m = 1; m <= 12; ++m) {
        if (m != 9) {
            EXPECT_EQ(CMES(m).back(), ' ') << m;
        }
    }
    EXPECT_EQ(CMES(0), "");
    EXPECT_EQ(CMES(13), "");
}

// The window layer's side, recorded.
class FakeDateUi : public WorkingDateUi {
public:
    std::optional<Date> run(WindowRef parent, const WorkingDateLayout& layout, Date date) override {
        runs.push_back({parent, date, runtime::dateFormat()});
        caption = layout.caption;
        if (throwOnRun) throw std::runtime_error("dialog failed");
        return answer;
    }
    void setIndicators(WindowRef window, unsigned indicators, bool on) override {
        bar.push_back({window, indicators, on});
    }
    void refreshStatusBar(WindowRef) override { ++refreshes; }

    struct Run {
        WindowRef parent;
        Date date;
        std::string formatDuringRun;
    };
    struct BarStep {
        WindowRef window;
        unsigned indicators;
        bool on;
    };
    std::vector<Run> runs;
    std::vector<BarStep> bar;
    std::string caption;
    int refreshes = 0;
    std::optional<Date> answer;
    bool throwOnRun = false;
};

class DgetDateTest : public ::testing::Test {
protected:
    void SetUp() override {
        runtime::resetSettings();
        previous_ = setWorkingDateUi(&ui_);
        DSETDATE(makeDate(2024, 3, 5));
    }
    void TearDown() override {
        setWorkingDateUi(previous_);
        setMenuRightsCheck({});
        setProductHooks({});
        clearWorkingDate();
        runtime::resetSettings();
    }
    FakeDateUi ui_;
    WorkingDateUi* previous_ = nullptr;
};

TEST_F(DgetDateTest, DeniedOptionAnswersFalseAndShowsNothing) {
    std::vector<std::string> asked;
    setMenuRightsCheck([&](std::string_view option) {
        asked.emplace_back(option);
        return std::string("0");
    });
    runtime::Value result = DGETDATE();
    ASSERT_TRUE(result.isLogical());
    EXPECT_FALSE(result.logical());
    EXPECT_EQ(asked, std::vector<std::string>{"dGetDate"});
    EXPECT_TRUE(ui_.runs.empty());
    EXPECT_TRUE(ui_.bar.empty());
    EXPECT_EQ(DSETDATE(), makeDate(2024, 3, 5));
}

TEST_F(DgetDateTest, AcceptedDateBecomesWorkingDateWithLongFormatOnlyWhileOpen) {
    ui_.answer = makeDate(2023, 12, 31);
    int window = 0;
    runtime::Value result = DGETDATE(&window);
    ASSERT_EQ(ui_.runs.size(), 1u);
    EXPECT_EQ(ui_.runs[0].parent, &window);
    EXPECT_EQ(ui_.runs[0].date, makeDate(2024, 3, 5));
    EXPECT_EQ(ui_.runs[0].formatDuringRun, "dd-mm-yyyy");
    EXPECT_EQ(ui_.caption, " Cambio fecha de trabajo");
    ASSERT_TRUE(result.isDate());
    EXPECT_EQ(result.date(), makeDate(2023, 12, 31));
    EXPECT_EQ(DSETDATE(), makeDate(2023, 12, 31));
    EXPECT_EQ(runtime::dateFormat(), "dd-mm-yy");
    EXPECT_FALSE(runtime::isCentury());
    // Clock, date and keys off and on around the dialog; date and keys after it.
    ASSERT_EQ(ui_.bar.size(), 4u);
    EXPECT_EQ(ui_.bar[0].indicators, unsigned{kClock | kDate | kKeyboard});
    EXPECT_FALSE(ui_.bar[0].on);
    EXPECT_TRUE(ui_.bar[1].on);
    EXPECT_EQ(ui_.bar[2].indicators, unsigned{kDate | kKeyboard});
    EXPECT_FALSE(ui_.bar[2].on);
    EXPECT_TRUE(ui_.bar[3].on);
    EXPECT_EQ(ui_.refreshes, 2);
}

TEST_F(DgetDateTest, CancelledOrEmptyDateLeavesWorkingDate) {
    ui_.answer = std::nullopt;
    EXPECT_EQ(DGETDATE().date(), makeDate(2024, 3, 5));
    ui_.answer = Date{};  // an invalid typed date converts to the empty date
    EXPECT_EQ(DGETDATE().date(), makeDate(2024, 3, 5));
    EXPECT_EQ(ui_.runs.size(), 2u);
}

TEST_F(DgetDateTest, DefaultWindowIsTheMainWindow) {
    int mainWnd = 0;
    setProductHooks({nullptr, [&] { return static_cast<WindowRef>(&mainWnd); }});
    DGETDATE();
    ASSERT_EQ(ui_.runs.size(), 1u);
    EXPECT_EQ(ui_.runs[0].parent, &mainWnd);
}

TEST_F(DgetDateTest, FailingDialogDoesNotLeaveTheLongDateFormat) {
    ui_.throwOnRun = true;
    EXPECT_THROW(DGETDATE(), std::runtime_error);
    EXPECT_EQ(runtime::dateFormat(), "dd-mm-yy");
    EXPECT_EQ(DSETDATE(), makeDate(2024, 3, 5));
}

TEST_F(DgetDateTest, WithoutWindowsTheDialogCountsAsCancelled) {
    setWorkingDateUi(nullptr);
    runtime::Value result = DGETDATE();
    EXPECT_EQ(result.date(), makeDate(2024, 3, 5));
    EXPECT_EQ(runtime::dateFormat(), "dd-mm-yy");
}

}  // namespace
}  // namespace startup
