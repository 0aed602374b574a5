// Tests of error objects and of the launcher: retry counting, defaults,
// substitution, recovery failure, the nesting limit and BREAK.
#include "runtime/error.h"

#include <gtest/gtest.h>

#include "runtime/arith.h"

namespace runtime {
namespace {

// An error of the given class that allows what `allowed` names.
ObjectPtr err(int genCode, const char* allowed = nullptr) {
    ObjectPtr e = makeError(genCode, 0, "TEST");
    if (allowed) e->set(allowed, true);
    return e;
}

class ErrorTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = ERRORBLOCK(Block()); }
    void TearDown() override { ERRORBLOCK(saved_); }

    // Installs a handler that always answers `answer` and counts its calls.
    void answerWith(Value answer) {
        ERRORBLOCK(Block([this, answer](std::span<const Value> args) {
            ++calls_;
            last_ = args.empty() ? Value() : args[0];
            return answer;
        }));
    }
    static int exitCodeOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const ProgramExit& e) {
            return e.code;
        }
        return -1;
    }

    int calls_ = 0;
    Value last_;

private:
    Block saved_;
};

TEST_F(ErrorTest, NewErrorHasTheDocumentedFieldsAndValues) {
    ObjectPtr e = ERRORNEW();
    EXPECT_EQ(e->className(), "ERROR");
    EXPECT_EQ(e->fields().size(), 14u);
    EXPECT_EQ(e->get("args").num(), 0);
    EXPECT_FALSE(e->get("CANDEFAULT").logical());
    EXPECT_FALSE(e->get("CanRetry").logical());
    EXPECT_FALSE(e->get("CanSubstitute").logical());
    EXPECT_TRUE(e->has("Cargo"));
    EXPECT_TRUE(e->get("Cargo").isNil());
    for (const char* text : {"Description", "FileName", "Operation", "SubSystem"}) {
        EXPECT_EQ(e->get(text).text(), "") << text;
    }
    for (const char* num : {"GenCode", "OsCode", "Severity", "SubCode", "Tries"}) {
        EXPECT_EQ(e->get(num).num(), 0) << num;
    }
}

TEST_F(ErrorTest, MakeErrorFillsDescriptionFromGenericCode) {
    ErrorFields def;
    def.genCode = gen::kOpen;
    def.fileName = "DIARIO.DBF";
    def.args = Array{1, "x"};
    ObjectPtr e = makeError(def);
    EXPECT_EQ(e->get("Description").text(), "Open error");
    EXPECT_EQ(e->get("Severity").num(), kSeverityError);
    EXPECT_EQ(e->get("Args").array()->size(), 2u);
    ObjectPtr f = makeError(gen::kNoTable, 2001, "DBCMD", "DBAPPEND");
    EXPECT_EQ(f->get("Description").text(), "Workarea not in use");
    EXPECT_EQ(f->get("Operation").text(), "DBAPPEND");
    EXPECT_EQ(f->get("SubCode").num(), 2001);
    EXPECT_FALSE(f->get("CanDefault").logical());
    EXPECT_EQ(genCodeDescription(gen::kZeroDiv), "Zero divisor");
    EXPECT_EQ(genCodeDescription(gen::kAppendLock), "Append lock failed");
    EXPECT_EQ(genCodeDescription(gen::kNoTable), "Workarea not in use");
    EXPECT_EQ(genCodeDescription(999), "");
}

TEST_F(ErrorTest, RetryIsCountedInTries) {
    answerWith(true);
    ObjectPtr e = err(gen::kOpen, "CanRetry");
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(launchError(e).action, Recovery::Retry);
        EXPECT_EQ(e->get("Tries").num(), i);
    }
    EXPECT_EQ(calls_, 3);
    EXPECT_EQ(last_.object(), e);  // the handler received the object itself
}

TEST_F(ErrorTest, DefaultAndSubstituteAreAcceptedWhenAllowed) {
    answerWith(false);
    ObjectPtr e = err(gen::kOpen, "CanDefault");
    EXPECT_EQ(launchError(e).action, Recovery::Default);
    EXPECT_EQ(e->get("Tries").num(), 0);

    answerWith(0);
    ObjectPtr div = err(gen::kZeroDiv, "CanSubstitute");
    ErrorOutcome r = launchError(div);
    EXPECT_EQ(r.action, Recovery::Substitute);
    EXPECT_EQ(r.value.num(), 0);
}

TEST_F(ErrorTest, PermissionsAreReadAfterTheHandlerRan) {
    // A handler may grant the default itself before answering false.
    ERRORBLOCK(Block([](std::span<const Value> args) -> Value {
        args[0].object()->set("CanDefault", true);
        return false;
    }));
    EXPECT_EQ(launchError(err(gen::kCreate)).action, Recovery::Default);
}

TEST_F(ErrorTest, ForbiddenAnswersEndWithRecoveryFailure) {
    answerWith(true);  // retry without CanRetry
    EXPECT_EQ(exitCodeOf([] { launchError(err(gen::kOpen)); }), 1);
    answerWith(false);  // default without CanDefault
    EXPECT_EQ(exitCodeOf([] { launchError(err(gen::kOpen, "CanRetry")); }), 1);
    answerWith(7);  // a value without CanSubstitute
    EXPECT_EQ(exitCodeOf([] { launchError(err(gen::kArg, "CanDefault")); }), 1);
    EXPECT_EQ(handlerDepth(), 0);  // the depth count unwound
}

TEST_F(ErrorTest, NestedHandlerCallsStopAtTheNinth) {
    int deepest = 0;
    ERRORBLOCK(Block([&](std::span<const Value>) -> Value {
        deepest = std::max(deepest, handlerDepth());
        // Every handler call raises a new error: the calls nest.
        launchError(err(gen::kArg, "CanDefault"));
        return false;
    }));
    EXPECT_EQ(exitCodeOf([] { launchError(err(gen::kArg)); }), 1);
    EXPECT_EQ(deepest, kMaxHandlerDepth);
    EXPECT_EQ(handlerDepth(), 0);
}

TEST_F(ErrorTest, EightNestedCallsAreAllowed) {
    int remaining = kMaxHandlerDepth - 1;
    ERRORBLOCK(Block([&](std::span<const Value>) -> Value {
        if (remaining-- > 0) launchError(err(gen::kArg, "CanDefault"));
        return false;
    }));
    EXPECT_EQ(launchError(err(gen::kArg, "CanDefault")).action, Recovery::Default);
}

TEST_F(ErrorTest, WithoutHandlerTheProgramEnds) {
    EXPECT_EQ(exitCodeOf([] { launchError(err(gen::kOpen)); }), 1);
}

TEST_F(ErrorTest, BreakLeavesTheInnermostProtectedBlock) {
    // A temporary DOBREAK error block drops an error raised inside the block.
    Block previous = ERRORBLOCK(Block([](std::span<const Value>) -> Value { DOBREAK(); }));
    bool after = false;
    auto r = runProtected([&] {
        launchError(err(gen::kWrite));
        after = true;
    });
    ERRORBLOCK(previous);
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(r->isNil());
    EXPECT_FALSE(after);
    EXPECT_EQ(handlerDepth(), 0);

    auto inner = runProtected([] {
        auto nested = runProtected([] { BREAK(5); });
        EXPECT_EQ(nested->num(), 5);
    });
    EXPECT_FALSE(inner.has_value());
}

TEST_F(ErrorTest, DivisionByZeroTakesTheHandlersAnswer) {
    answerWith(0);
    EXPECT_EQ(divide(7, 2), 3.5);
    EXPECT_EQ(calls_, 0);
    EXPECT_EQ(divide(7, 0), 0);
    ASSERT_EQ(calls_, 1);
    const ObjectPtr& e = last_.object();
    EXPECT_EQ(e->get("GenCode").num(), gen::kZeroDiv);
    EXPECT_EQ(e->get("Description").text(), "Zero divisor");
    EXPECT_EQ(e->get("Operation").text(), "/");
    EXPECT_EQ(e->get("Args").array()->at(0).num(), 7);
    EXPECT_TRUE(e->get("CanSubstitute").logical());
    answerWith("not a number");
    EXPECT_EQ(modulus(7, 0), 0);
    EXPECT_EQ(modulus(-7, 3), -1);
}

TEST_F(ErrorTest, QuitUsesTheErrorLevel) {
    int before = ERRORLEVEL(3);
    EXPECT_EQ(exitCodeOf([] { __QUIT(); }), 3);
    ERRORLEVEL(before);
}

}  // namespace
}  // namespace runtime
