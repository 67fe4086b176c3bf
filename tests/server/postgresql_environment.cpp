#include "support/postgresql_schema.h"

// Each test process runs on a schema of its own when the tests run against PostgreSQL.
static const auto* const kPostgresql =
    ::testing::AddGlobalTestEnvironment(new brindle::testing::PostgresqlSchemaEnvironment);
