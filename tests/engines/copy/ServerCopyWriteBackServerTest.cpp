// A copy into a database of another name refuses every trigger, routine, event and view
// whose definition names the source database, with an Error line that names the object, and
// creates those that name only their own database (the source's name in a string or a
// comment is no name): nothing the copy creates writes into the source. A copy that keeps
// the database's name creates them all.
#include "mysql/OpenConnection.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvanto::test
{
namespace
{

// The source `tg` of two tables, its triggers, routines, an event and views; `other` holds a
// table that a view joins, so that the server writes that view's names qualified.
std::string Script(const std::string& tg, const std::string& other)
{
    const std::string db = QuoteName(tg);
    return "CREATE DATABASE " + db + ";\nCREATE DATABASE " + QuoteName(other) + ";\nCREATE TABLE " + QuoteName(other)
        + ".o (id INT);\nUSE " + db
        + ";\n"
          "CREATE TABLE t (id INT, note VARCHAR(60));\n"
          "CREATE TABLE log (id INT, what VARCHAR(20));\n"
          "DELIMITER ;;\n"
          "CREATE TRIGGER t_ai AFTER INSERT ON t FOR EACH ROW INSERT INTO "
        + db
        + ".log VALUES (NEW.id, 'ai');;\n"
          "CREATE TRIGGER t_bi BEFORE INSERT ON t FOR EACH ROW -- not into "
        + tg + ".log\n  SET NEW.note = CONCAT('" + tg
        + ".log ', NEW.id);;\n"
          "CREATE PROCEDURE p_own() INSERT INTO log VALUES (0, 'own');;\n"
          "CREATE FUNCTION f_src() RETURNS INT READS SQL DATA RETURN (SELECT COUNT(*) FROM "
        + db
        + " . log);;\n"
          "CREATE EVENT e_src ON SCHEDULE EVERY 1 DAY DISABLE DO DELETE FROM "
        + db
        + ".log;;\n"
          "DELIMITER ;\n"
          "CREATE VIEW v_own AS SELECT id, note FROM t;\n"
          "CREATE VIEW v_src AS SELECT t.id, o.id AS other FROM t JOIN "
        + QuoteName(other) + ".o ON o.id = t.id;\n";
}

std::string Query(const TestServerAddress& server, const std::string& sql)
{
    std::string output;
    const int code = RunMariadbClient(server, sql, &output, "--skip-column-names");
    return code == 0 ? output : "<failed> " + output;
}

// The triggers, routines, events and tables or views of `database`, one line of names each.
std::string ObjectNames(const TestServerAddress& server, const std::string& database)
{
    const std::string schema = HexLiteral(database);
    return Query(server,
        "SELECT 'triggers', COALESCE(GROUP_CONCAT(TRIGGER_NAME ORDER BY 1), '') FROM information_schema.TRIGGERS "
        "WHERE TRIGGER_SCHEMA = "
            + schema
            + ";\nSELECT 'routines', COALESCE(GROUP_CONCAT(ROUTINE_NAME ORDER BY 1), '') FROM "
              "information_schema.ROUTINES WHERE ROUTINE_SCHEMA = "
            + schema
            + ";\nSELECT 'events', COALESCE(GROUP_CONCAT(EVENT_NAME ORDER BY 1), '') FROM information_schema.EVENTS "
              "WHERE EVENT_SCHEMA = "
            + schema
            + ";\nSELECT 'tables', COALESCE(GROUP_CONCAT(CONCAT(TABLE_NAME, ':', TABLE_TYPE) ORDER BY 1), '') FROM "
              "information_schema.TABLES WHERE TABLE_SCHEMA = "
            + schema + ";\n");
}

TEST(ServerCopyWriteBack, ObjectsThatNameTheSourceAreRefusedInACopyUnderAnotherName)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_tg", {source, target});
    RoundTripDatabase other("kv_tg_other", {source, target});
    const std::string tg = database.name();
    const std::string copy = database.Derived("_copy");
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, Script(tg, other.name()), &output), 0) << output;
    const std::string all = "triggers\tt_ai,t_bi\nroutines\tf_src,p_own\nevents\te_src\n"
                            "tables\tlog:BASE TABLE,t:BASE TABLE,v_own:VIEW,v_src:VIEW\n";
    ASSERT_EQ(ObjectNames(source, tg), all);

    Task task = MakeCopyTask(
        TaskType::BackupToDatabase, source, source, {DatabaseItem {2, tg, ListObjectsForTask(source, tg)}});
    task.backupSettings.destDatabaseName = copy;
    task.extras.routines = task.extras.triggers = task.extras.events = true;
    const EngineDump run = RunCopyEngine(task, MakeMariaDbConnector());
    EXPECT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
    const auto refusal = [&](const std::string& what) {
        return "Refused to create the " + what + " in " + copy + ": its definition names the source database " + tg
            + ", so the copy would act on " + tg + " instead of " + copy + "!\n";
    };
    EXPECT_EQ(run.errors(),
        refusal("trigger " + tg + ".t_ai") + refusal("function " + tg + ".f_src") + refusal("view " + tg + ".v_src")
            + refusal("event " + tg + ".e_src"));
    EXPECT_EQ(ObjectNames(source, copy),
        "triggers\tt_bi\nroutines\tp_own\nevents\t\ntables\tlog:BASE TABLE,t:BASE TABLE,v_own:VIEW\n");

    // What the copy's objects do stays in the copy; the source is as it was.
    EXPECT_EQ(Query(source,
                  "INSERT INTO " + QuoteName(copy) + ".t (id) VALUES (7);\nCALL " + QuoteName(copy)
                      + ".p_own();\nSELECT note FROM " + QuoteName(copy) + ".v_own;\nSELECT COUNT(*) FROM "
                      + QuoteName(copy) + ".log;\nSELECT COUNT(*) FROM " + QuoteName(tg) + ".log;\n"),
        tg + ".log 7\n1\n0\n");
    EXPECT_EQ(ObjectNames(source, tg), all);

    // Under its own name on the other server every object names its own database.
    ASSERT_EQ(RunMariadbClient(target,
                  "CREATE DATABASE " + QuoteName(other.name()) + ";\nCREATE TABLE " + QuoteName(other.name())
                      + ".o (id INT);\n",
                  &output),
        0)
        << output;
    Task same = MakeCopyTask(
        TaskType::BackupToServer, source, target, {DatabaseItem {2, tg, ListObjectsForTask(source, tg)}});
    same.extras = task.extras;
    const EngineDump kept = RunCopyEngine(same, MakeMariaDbConnector());
    EXPECT_EQ(kept.outcome, RunOutcome::Finished) << kept.logText();
    EXPECT_EQ(kept.errors(), "");
    EXPECT_EQ(ObjectNames(target, tg), all);
}

} // namespace
} // namespace kelvanto::test
