// The shared open, lock and append routines, including the sharing cases
// against a second process that holds the table.
#include "tables/netuse.h"

#include "os/clock.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/process.h"
#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/maintenance.h"
#include "tables/tables_testutil.h"
#include "tables/wait.h"

namespace tables::testing {
namespace {

class NetUseTest : public TablesTest {};

TEST_F(NetUseTest, MissingTableShowsNotFoundOnceAndClearsCode) {
    EXPECT_FALSE(LNETUSE(path("Diario")));
    ASSERT_EQ(alerts_.shown.size(), 1u);
    const auto& box = alerts_.shown[0];
    EXPECT_EQ(box.title, "Atenci\xF3n");
    EXPECT_EQ(box.kind, runtime::kAlertStop);
    std::string folder = fileFolder(path("Diario"));
    EXPECT_EQ(box.message,
              "No se ha encontrado el fichero que se intentaba abrir :Diario.dbf.\r\n"
              "Compruebe que este fichero exista en el directorio :\r\n" +
                  folder);
    EXPECT_EQ(NERRORCODE(), 0);
    EXPECT_TRUE(recordedWaits().empty());
    EXPECT_FALSE(USED());
}

TEST_F(NetUseTest, OpensAndSetsTheRequestedOrder) {
    createPeople("PEOPLE", 3);
    use("PEOPLE");
    ORDCREATE("", "BYAGE", "AGE");
    ORDCREATE("", "BYNAME", "NAME");
    DBCLOSEAREA();
    EXPECT_TRUE(LNETUSE(path("PEOPLE"), true, 1, "PEOPLE", true, false, true, 2));
    EXPECT_EQ(INDEXORD(), 2);
    EXPECT_EQ(ALIAS(), "PEOPLE");
    EXPECT_TRUE(alerts_.shown.empty());
}

TEST_F(NetUseTest, OpenFailingWithoutCodeIsTriedTenTimesOneSecondApart) {
    // A table whose header is damaged: the open error reaches the handler's
    // dialog (answered "default" here) and leaves no OS code behind.
    {
        auto f = os::File::open(path("BROKEN") + ".dbf", os::Access::ReadWrite, os::Share::Shared,
                                os::Disposition::CreateAlways);
        ASSERT_TRUE(f.ok());
        const char junk[] = "this is not a table at all, only a few bytes of text";
        ASSERT_TRUE(f->write(0, junk, sizeof junk).ok());
    }
    EXPECT_FALSE(LNETUSE(path("BROKEN"), false, 0));
    EXPECT_EQ(recordedWaits(), std::vector<double>(10, 1.0));
    EXPECT_TRUE(alerts_.shown.empty());
    EXPECT_EQ(recorder_->errors.size(), 10u);
    EXPECT_EQ(recorder_->errors[0].genCode, 21);
    EXPECT_FALSE(recorder_->errors[0].silent);
    EXPECT_FALSE(USED());
}

TEST_F(NetUseTest, DefaultSecondsGiveOneAttemptAndOneWait) {
    {
        auto f = os::File::open(path("BROKEN") + ".dbf", os::Access::ReadWrite, os::Share::Shared,
                                os::Disposition::CreateAlways);
        ASSERT_TRUE(f.ok());
        ASSERT_TRUE(f->write(0, "xx", 2).ok());
    }
    EXPECT_FALSE(LNETUSE(path("BROKEN")));
    EXPECT_EQ(recordedWaits(), std::vector<double>{1.0});
}

TEST_F(NetUseTest, TableHeldExclusivelyByAnotherProcessIsRefusedAtOnce) {
    createPeople("Diario", 2);
    HeldTable held(path("Diario"), "exclusive", 0, dir_.string());
    ASSERT_TRUE(held.ready());
    EXPECT_FALSE(LNETUSE(path("Diario")));
    ASSERT_EQ(alerts_.shown.size(), 1u);
    EXPECT_EQ(alerts_.shown[0].title, "Acceso denegado");
    EXPECT_EQ(alerts_.shown[0].kind, runtime::kAlertExclamation);
    EXPECT_EQ(
        alerts_.shown[0].message,
        "Es necesario tener acceso exclusivo al fichero Diario.dbf. Revise los procesos abiertos");
    EXPECT_TRUE(recordedWaits().empty());
    EXPECT_EQ(NERRORCODE(), 0);
}

TEST_F(NetUseTest, RecordLockedByAnotherProcessIsTriedThreeTimesOverASecond) {
    createPeople("Diario", 2);
    HeldTable held(path("Diario"), "lock", 1, dir_.string());
    ASSERT_TRUE(held.ready());
    runtime::SET(runtime::Set::Exclusive, runtime::Value(false));
    use("Diario", true);
    DBGOTO(1);
    static int pumps;
    pumps = 0;
    MessagePump previousPump = setMessagePump([] { ++pumps; });
    setWaitFunction([](double s) {  // really wait, and remember how long
        recordedWaits().push_back(s);
        setWaitFunction(nullptr);
        waitSeconds(s);
        setWaitFunction([](double s2) {
            recordedWaits().push_back(s2);
            uint64_t start = os::monotonicMs();
            while (os::monotonicMs() - start < static_cast<uint64_t>(s2 * 1000)) os::sleepMs(1);
        });
    });
    uint64_t start = os::monotonicMs();
    EXPECT_FALSE(LNETRECLOCK());
    uint64_t elapsed = os::monotonicMs() - start;
    setMessagePump(previousPump);
    EXPECT_EQ(recordedWaits(), (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(pumps, 2);
    EXPECT_GE(elapsed, 1000u);
    ASSERT_EQ(alerts_.shown.size(), 1u);
    EXPECT_EQ(alerts_.shown[0].title, "Acceso denegado");
    EXPECT_EQ(alerts_.shown[0].message, "El registro que se intenta procesar est\xE1 bloqueado");
    DBGOTO(2);
    EXPECT_TRUE(LNETRECLOCK());  // another record is free
}

TEST_F(NetUseTest, LockQuestionRepeatsUntilGiveUp) {
    createPeople("Diario", 1);
    HeldTable held(path("Diario"), "lock", 1, dir_.string());
    ASSERT_TRUE(held.ready());
    use("Diario", true);
    DBGOTO(1);
    dialogs_.answers = {0, kLockRetryButton, kLockGiveUpButton};  // closed, retry, give up
    EXPECT_FALSE(LNETQSTLOCK({"El asiento", "está en uso"}));
    ASSERT_EQ(dialogs_.shown.size(), 3u);
    const DialogLayout& d = dialogs_.shown[0];
    EXPECT_EQ(d.resourceId, 20048);
    ASSERT_EQ(d.lines.size(), 2u);
    EXPECT_EQ(d.lines[0].id, 100);
    EXPECT_EQ(d.lines[1].id, 110);
    EXPECT_EQ(d.lines[0].color, 128u);
    EXPECT_EQ(d.bitmap, "BMP_STOP");
}

TEST_F(NetUseTest, AppendToATableLockedByAnotherProcessFailsSoftly) {
    createPeople("Diario", 2);
    HeldTable held(path("Diario"), "table", 0, dir_.string());
    ASSERT_TRUE(held.ready());
    use("Diario", true);
    DBAPPEND();
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(RECCOUNT(), 2u);
    EXPECT_FALSE(FILLOCK(1));
    EXPECT_EQ(recordedWaits(), (std::vector<double>{0.5, 0.5}));
    ASSERT_EQ(alerts_.shown.size(), 1u);
    EXPECT_EQ(alerts_.shown[0].message, "El fichero que se intenta procesar est\xE1 bloqueado");
    recordedWaits().clear();
    EXPECT_FALSE(LNETRECADD());
    EXPECT_EQ(recordedWaits(), (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(alerts_.shown.size(), 1u);  // no message of its own
    EXPECT_EQ(RECCOUNT(), 2u);
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(NetUseTest, RecAddOnExclusiveTableSucceedsAtOnce) {
    createPeople("T", 2);
    use("T");
    EXPECT_TRUE(LNETRECADD());
    EXPECT_EQ(RECNO(), 3u);
    EXPECT_EQ(FIELDGET(1).text(), std::string(10, ' '));
    EXPECT_TRUE(recordedWaits().empty());
    EXPECT_TRUE(FILLOCK(1));
}

TEST_F(NetUseTest, DbUseAreaShortFormUsesTheDefaultDriversFirstThreeLetters) {
    createPeople("T", 1);
    _DBUSEAREA(true, "NONSENSE", path("T"), "T", false);
    EXPECT_FALSE(NETERR());
    EXPECT_EQ(RDDNAME(), "ADSCDX");
}

}  // namespace
}  // namespace tables::testing
