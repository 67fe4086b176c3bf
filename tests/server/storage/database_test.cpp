#include "server/storage/database.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "server/storage/migration.h"
#include "support/temp_dir.h"

namespace brindle::server::storage {
namespace {

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = Database::open_in(dir_.path());
    ASSERT_TRUE(opened.ok()) << opened.error();
    db_ = opened.value();
    auto made =
        db_->transaction([](Connection& c) { return c.execute_script("CREATE TABLE t (v TEXT NOT NULL)"); });
    ASSERT_TRUE(made.ok()) << made.error();
  }

  Result<void> insert(Connection& c, std::string_view value) {
    auto s = c.prepare("INSERT INTO t (v) VALUES (?1)");
    if (!s) return Result<void>::failure(s.error());
    s->bind(1, value);
    return s->run();
  }

  std::int64_t count() {
    auto n = db_->read([](Connection& c) -> Result<std::int64_t> {
      auto s = c.prepare("SELECT count(*) FROM t");
      if (!s) return Result<std::int64_t>::failure(s.error());
      auto row = s->step();
      if (!row) return Result<std::int64_t>::failure(row.error());
      return s->column_int64(0);
    });
    EXPECT_TRUE(n.ok()) << n.error();
    return n.ok() ? n.value() : -1;
  }

  testing::TempDir dir_;
  std::shared_ptr<Database> db_;
};

TEST_F(DatabaseTest, CommitsWorkThatSucceedsAndRollsBackWorkThatFailsOrThrows) {
  ASSERT_TRUE(db_->transaction([&](Connection& c) { return insert(c, "kept"); }).ok());

  auto failed = db_->transaction([&](Connection& c) -> Result<void> {
    if (auto ok = insert(c, "lost"); !ok) return ok;
    return Result<void>::failure("refused after writing");
  });
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), "refused after writing");

  auto threw = db_->transaction([&](Connection& c) -> Result<int> {
    (void)insert(c, "lost too");
    throw std::runtime_error("boom");
  });
  EXPECT_FALSE(threw.ok());
  EXPECT_NE(threw.error().find("boom"), std::string::npos);

  // A constraint failure inside the work is a failure of the whole transaction.
  auto violated = db_->transaction([&](Connection& c) -> Result<void> {
    if (auto ok = insert(c, "lost three"); !ok) return ok;
    auto s = c.prepare("INSERT INTO t (v) VALUES (NULL)");
    if (!s) return Result<void>::failure(s.error());
    return s->run();
  });
  EXPECT_FALSE(violated.ok());

  EXPECT_EQ(count(), 1);
}

TEST_F(DatabaseTest, RefusesNestedTransactionsInsteadOfDeadlocking) {
  auto outer = db_->transaction([&](Connection&) -> Result<void> {
    auto inner = db_->transaction([&](Connection& c) { return insert(c, "inner"); });
    EXPECT_FALSE(inner.ok());
    auto reading = db_->read([](Connection&) -> Result<void> { return {}; });
    EXPECT_FALSE(reading.ok());
    return {};
  });
  EXPECT_TRUE(outer.ok());
  EXPECT_EQ(count(), 0);
}

TEST_F(DatabaseTest, TextsAreDataNeverSql) {
  const std::string hostile[] = {"x'); DROP TABLE t; --", "名字|^s", std::string("nul\0byte", 8)};
  for (const auto& text : hostile)
    ASSERT_TRUE(db_->transaction([&](Connection& c) { return insert(c, text); }).ok());
  auto values = db_->read([](Connection& c) -> Result<std::vector<std::string>> {
    auto s = c.prepare("SELECT v FROM t ORDER BY rowid");
    if (!s) return Result<std::vector<std::string>>::failure(s.error());
    std::vector<std::string> out;
    while (true) {
      auto row = s->step();
      if (!row) return Result<std::vector<std::string>>::failure(row.error());
      if (!row.value()) return out;
      out.push_back(s->column_text(0));
    }
  });
  ASSERT_TRUE(values.ok()) << values.error();
  EXPECT_EQ(values.value(), std::vector<std::string>(std::begin(hostile), std::end(hostile)));
}

// An empty view that points nowhere is still an empty text: the column is NOT NULL.
TEST_F(DatabaseTest, AnEmptyTextIsStoredAsEmptyNotNull) {
  EXPECT_TRUE(db_->transaction([&](Connection& c) { return insert(c, std::string_view{}); }).ok());
}

TEST_F(DatabaseTest, TheSameQueryMayRunNestedOnOneConnection) {
  ASSERT_TRUE(db_->transaction([&](Connection& c) -> Result<void> {
                   for (auto v : {"a", "b"}) {
                     if (auto ok = insert(c, v); !ok) return ok;
                   }
                   return {};
                 })
                  .ok());
  auto pairs = db_->read([](Connection& c) -> Result<int> {
    constexpr std::string_view sql = "SELECT v FROM t";
    auto outer = c.prepare(sql);
    if (!outer) return Result<int>::failure(outer.error());
    int n = 0;
    while (outer->step().value()) {
      auto inner = c.prepare(sql);
      if (!inner) return Result<int>::failure(inner.error());
      while (inner->step().value()) ++n;
    }
    return n;
  });
  ASSERT_TRUE(pairs.ok()) << pairs.error();
  EXPECT_EQ(pairs.value(), 4);
}

TEST_F(DatabaseTest, ABadStatementIsAFailureNotACrash) {
  auto bad = db_->read([](Connection& c) -> Result<void> {
    auto s = c.prepare("SELECT nope FROM nowhere");
    if (!s) return Result<void>::failure(s.error());
    return {};
  });
  EXPECT_FALSE(bad.ok());
  EXPECT_FALSE(bad.error().empty());
}

class MigrationTest : public DatabaseTest {
 protected:
  std::int64_t applied() {
    auto n = db_->read([](Connection& c) -> Result<std::int64_t> {
      auto s = c.prepare("SELECT count(*) FROM schema_migrations");
      if (!s) return Result<std::int64_t>::failure(s.error());
      (void)s->step();
      return s->column_int64(0);
    });
    return n.ok() ? n.value() : -1;
  }
};

TEST_F(MigrationTest, RunsEachStepOnceAcrossRepeatedStarts) {
  const Migration steps[] = {
      {"a", 1, "CREATE TABLE a1 (x INTEGER)"},
      {"b", 1, "CREATE TABLE b1 (x INTEGER)"},
      {"a", 2, "ALTER TABLE a1 ADD COLUMN y INTEGER"},
  };
  ASSERT_TRUE(migrate(*db_, steps).ok());
  // A second run would fail on the ALTER if it ran the steps again.
  auto again = migrate(*db_, steps);
  ASSERT_TRUE(again.ok()) << again.error();
  EXPECT_EQ(applied(), 3);

  // Reopening the file keeps the record.
  db_.reset();
  db_ = Database::open_in(dir_.path()).value();
  EXPECT_TRUE(migrate(*db_, steps).ok());
  EXPECT_EQ(applied(), 3);
}

TEST_F(MigrationTest, AFailingStepLeavesNoHalfAndStopsTheRun) {
  const Migration steps[] = {
      {"m", 1, "CREATE TABLE m1 (x INTEGER); CREATE TABLE m1 (x INTEGER)"},
      {"m", 2, "CREATE TABLE m2 (x INTEGER)"},
  };
  auto result = migrate(*db_, steps);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error().find("m 1"), std::string::npos);
  EXPECT_EQ(applied(), 0);
  auto tables = db_->read([](Connection& c) -> Result<std::int64_t> {
    auto s = c.prepare("SELECT count(*) FROM sqlite_schema WHERE name IN ('m1', 'm2')");
    if (!s) return Result<std::int64_t>::failure(s.error());
    (void)s->step();
    return s->column_int64(0);
  });
  EXPECT_EQ(tables.value(), 0);
}

}  // namespace
}  // namespace brindle::server::storage
