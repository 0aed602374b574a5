// The toolkit's tables of windows: capacities, reuse of free entries, the
// binding of new dialog handles and the order in which modeless dialogs are
// offered a message.
#include "toolkit/window_tables.h"

#include <gtest/gtest.h>

#include <string>

namespace toolkit {
namespace {

using Handle = int;  // 0 = none

TEST(PendingDialogStackTest, NewHandleBindsToTheUnboundTopEntryOnly) {
    PendingDialogStack<Handle, std::string> stack;
    std::string outer = "outer", inner = "inner";
    EXPECT_EQ(stack.objectFor(5), nullptr) << "empty stack";
    ASSERT_TRUE(stack.push(&outer));
    EXPECT_EQ(stack.objectFor(5), &outer) << "first message binds";
    EXPECT_EQ(stack.objectFor(6), nullptr) << "the top is bound already";
    ASSERT_TRUE(stack.push(&inner));
    EXPECT_EQ(stack.objectFor(7), &inner);
    EXPECT_EQ(stack.objectFor(5), &outer) << "known handles are found below the top";
    EXPECT_EQ(stack.handles(), (std::vector<Handle>{7, 5}));
    stack.pop();
    EXPECT_EQ(stack.objectFor(7), nullptr);
}

TEST(PendingDialogStackTest, HoldsFiftyEntries) {
    PendingDialogStack<Handle, std::string> stack;
    std::string o;
    for (size_t i = 0; i < 50; ++i) ASSERT_TRUE(stack.push(&o));
    EXPECT_FALSE(stack.push(&o));
    EXPECT_EQ(stack.size(), 50u);
}

TEST(ModelessRegistryTest, FirstFreeSlotAndHighestIndex) {
    ModelessRegistry<Handle> reg;
    EXPECT_FALSE(reg.highest().has_value());
    ASSERT_TRUE(reg.add(10));
    ASSERT_TRUE(reg.add(11));
    ASSERT_TRUE(reg.add(12));
    EXPECT_EQ(reg.highest(), 2u);
    reg.remove(11);
    EXPECT_EQ(reg.highest(), 2u);
    ASSERT_TRUE(reg.add(13));  // takes slot 1 again
    reg.remove(12);
    EXPECT_EQ(reg.highest(), 1u) << "lowered to the last used slot";
    reg.remove(13);
    reg.remove(10);
    EXPECT_FALSE(reg.highest().has_value());
}

TEST(ModelessRegistryTest, TwoHundredSlots) {
    ModelessRegistry<Handle> reg;
    for (int i = 1; i <= 200; ++i) ASSERT_TRUE(reg.add(i));
    EXPECT_FALSE(reg.canAdd());
    EXPECT_FALSE(reg.add(999));
    reg.remove(77);
    EXPECT_TRUE(reg.canAdd());
}

TEST(ModelessRegistryTest, LastMatchedDialogIsOfferedFirst) {
    ModelessRegistry<Handle> reg;
    reg.add(10);
    reg.add(11);
    reg.add(12);
    std::vector<Handle> asked;
    auto acceptOnly = [&](Handle wanted) {
        return [&asked, wanted](Handle h) {
            asked.push_back(h);
            return h == wanted;
        };
    };
    EXPECT_TRUE(reg.offer(acceptOnly(12)));
    EXPECT_EQ(asked, (std::vector<Handle>{10, 11, 12}));
    EXPECT_EQ(reg.lastMatched(), 12);
    asked.clear();
    EXPECT_TRUE(reg.offer(acceptOnly(11)));
    EXPECT_EQ(asked, (std::vector<Handle>{12, 10, 11})) << "the last match first, then in order";
    asked.clear();
    EXPECT_FALSE(reg.offer(acceptOnly(99)));
    EXPECT_EQ(asked, (std::vector<Handle>{11, 10, 12})) << "each asked once";
    reg.remove(11);
    EXPECT_EQ(reg.lastMatched(), 0) << "a freed dialog is forgotten";
}

TEST(WindowListTest, FreeEntriesAreReusedBeforeTheListGrows) {
    WindowList<std::string> list;
    EXPECT_EQ(list.add("a"), 0u);
    EXPECT_EQ(list.add("b"), 1u);
    EXPECT_EQ(list.add("c"), 2u);
    list.remove(1);
    EXPECT_EQ(list.at(1), nullptr);
    EXPECT_EQ(list.add("d"), 1u);
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.find([](const std::string& s) { return s == "c"; }), 2u);
    EXPECT_EQ(list.at(99), nullptr);
}

TEST(WindowListTest, AtMostTwoThousandEntries) {
    WindowList<int> list;
    for (int i = 0; i < 2000; ++i) ASSERT_TRUE(list.add(i).has_value());
    EXPECT_FALSE(list.add(2000).has_value());
    list.remove(1234);
    EXPECT_EQ(list.add(5), 1234u);
}

}  // namespace
}  // namespace toolkit
