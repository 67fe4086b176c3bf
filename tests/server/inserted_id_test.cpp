#include "server/storage/inserted_id.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace brindle::server {
namespace {

using storage::Connection;

class InsertedId : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = storage::Database::open_in(dir_.path());
    ASSERT_TRUE(opened.ok()) << opened.error();
    db_ = opened.value();
    auto made = db_->transaction([](Connection& c) {
      return c.execute_script(
          "CREATE TABLE t (id INTEGER PRIMARY KEY, v TEXT NOT NULL);"
          "INSERT INTO t (id, v) VALUES (41, 'before')");
    });
    ASSERT_TRUE(made.ok()) << made.error();
  }

  std::string value_of(std::int64_t id) {
    auto v = db_->read([id](Connection& c) -> Result<std::string> {
      auto s = c.prepare("SELECT v FROM t WHERE id = ?1");
      if (!s) return Result<std::string>::failure(s.error());
      s->bind(1, id);
      auto row = s->step();
      if (!row) return Result<std::string>::failure(row.error());
      return row.value() ? s->column_text(0) : std::string("(no row)");
    });
    EXPECT_TRUE(v.ok()) << v.error();
    return v.ok() ? v.value() : std::string();
  }

  testing::TempDir dir_;
  std::shared_ptr<storage::Database> db_;
};

TEST_F(InsertedId, GivesEachRowItsOwnIdAndLeavesTheTransactionFreeToCommit) {
  auto ids = db_->transaction([](Connection& c) -> Result<std::vector<std::int64_t>> {
    std::vector<std::int64_t> out;
    for (const char* v : {"a", "b", "c"}) {
      // The same cached statement each time: the one before must have run to its end.
      auto s = c.prepare("INSERT INTO t (v) VALUES (?1) RETURNING id");
      if (!s) return Result<std::vector<std::int64_t>>::failure(s.error());
      s->bind(1, v);
      auto id = inserted_id(s.value());
      if (!id) return Result<std::vector<std::int64_t>>::failure(id.error());
      out.push_back(id.value());
    }
    return out;
  });
  ASSERT_TRUE(ids.ok()) << ids.error();
  ASSERT_EQ(ids->size(), 3U);
  EXPECT_EQ(value_of(ids.value()[0]), "a");
  EXPECT_EQ(value_of(ids.value()[1]), "b");
  EXPECT_EQ(value_of(ids.value()[2]), "c");
  EXPECT_LT(ids.value()[0], ids.value()[1]);
  EXPECT_LT(ids.value()[1], ids.value()[2]);
}

TEST_F(InsertedId, AnInsertThatWritesNothingOrBreaksAConstraintFails) {
  struct Case {
    const char* what;
    const char* sql;
    const char* words;
  };
  const Case cases[] = {
      {"no row", "INSERT INTO t (v) SELECT 'x' WHERE 1 = 0 RETURNING id", "insert returned no row"},
      {"NULL text", "INSERT INTO t (v) VALUES (NULL) RETURNING id", "NOT NULL"},
      {"taken id", "INSERT INTO t (id, v) VALUES (41, 'again') RETURNING id", "UNIQUE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto id = db_->transaction([&](Connection& connection) -> Result<std::int64_t> {
      auto s = connection.prepare(c.sql);
      if (!s) return Result<std::int64_t>::failure(s.error());
      return inserted_id(s.value());
    });
    ASSERT_FALSE(id.ok());
    EXPECT_NE(id.error().find(c.words), std::string::npos) << id.error();
  }
  EXPECT_EQ(value_of(41), "before") << "the taken id keeps its row";
  auto rows = db_->read([](Connection& c) -> Result<std::int64_t> {
    auto s = c.prepare("SELECT COUNT(*) FROM t");
    if (!s) return Result<std::int64_t>::failure(s.error());
    auto row = s->step();
    if (!row) return Result<std::int64_t>::failure(row.error());
    return s->column_int64(0);
  });
  ASSERT_TRUE(rows.ok()) << rows.error();
  EXPECT_EQ(rows.value(), 1) << "no failed insert left a row";
}

}  // namespace
}  // namespace brindle::server
