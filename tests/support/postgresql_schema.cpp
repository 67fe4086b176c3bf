#include "support/postgresql_schema.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace brindle::testing {
namespace {

constexpr const char* kTestDatabase = "BRINDLE_TEST_POSTGRESQL";
constexpr const char* kServerDatabase = "BRINDLE_DATABASE";

void run(const std::string& address, const std::string& sql) {
  PGconn* connection = PQconnectdb(address.c_str());
  if (PQstatus(connection) != CONNECTION_OK) {
    std::string error = PQerrorMessage(connection);
    PQfinish(connection);
    throw std::runtime_error("cannot reach the test database: " + error);
  }
  PQsetNoticeProcessor(
      connection, [](void*, const char*) {}, nullptr);
  PGresult* result = PQexec(connection, sql.c_str());
  const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
  std::string error = PQerrorMessage(connection);
  PQclear(result);
  PQfinish(connection);
  if (!ok) throw std::runtime_error(sql + ": " + error);
}

std::string with_schema(const std::string& address, const std::string& schema) {
  const char joiner = address.find('?') == std::string::npos ? '?' : '&';
  return address + joiner + "options=-csearch_path%3D" + schema;
}

std::string make_schema(const std::string& base, std::string& name) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  name = "t" + std::to_string(::getpid()) + "_" + std::to_string(stamp % 100000000) + "_" +
         std::to_string(counter++);
  run(base, "CREATE SCHEMA " + name);
  return with_schema(base, name);
}

}  // namespace

void PostgresqlSchemaEnvironment::SetUp() {
  const char* base = std::getenv(kTestDatabase);
  if (base == nullptr || *base == '\0') return;
  base_ = base;
  const std::string address = make_schema(base_, schema_);
  ::setenv(kServerDatabase, address.c_str(), 1);
}

void PostgresqlSchemaEnvironment::TearDown() {
  if (schema_.empty()) return;
  try {
    run(base_, "DROP SCHEMA " + schema_ + " CASCADE");
  } catch (const std::exception&) {
    // a cluster that is gone takes the schema with it
  }
}

std::string fresh_postgresql_database() {
  const char* base = std::getenv(kTestDatabase);
  if (base == nullptr || *base == '\0') return {};
  std::string name;
  return make_schema(base, name);
}

bool on_postgresql() {
  const char* base = std::getenv(kTestDatabase);
  return base != nullptr && *base != '\0';
}

}  // namespace brindle::testing
