#pragma once

#include <gtest/gtest.h>

#include <string>

namespace brindle::testing {

// When the test runs against PostgreSQL (BRINDLE_TEST_POSTGRESQL names a database), every test
// process gets a schema of its own there and BRINDLE_DATABASE points the server, its admin commands
// and the processes the test starts at it; the schema is dropped when the process ends. Without
// the variable nothing changes and the tests run on SQLite.
class PostgresqlSchemaEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  std::string base_;
  std::string schema_;
};

// The address of a schema of its own in the test database, empty on SQLite runs. For a test that
// needs a second, separate database (a copy's target).
std::string fresh_postgresql_database();

// Whether this test process runs against PostgreSQL.
bool on_postgresql();

}  // namespace brindle::testing
