#pragma once

#include <string>
#include <string_view>

namespace brindle::server::storage {

// The stores write one SQL for every engine: parameters numbered ?1, ?2 … and schema words as
// SQLite spells them. What differs between the engines is translated here, word by word, leaving
// quoted texts, quoted names and comments alone.

struct NumberedSql {
  std::string text;
  int parameter_count = 0;  // the highest parameter number used
};

// ?1 → $1 (a bare ? takes the next number), as PostgreSQL numbers its parameters.
NumberedSql dollar_parameters(std::string_view sql);

// A schema script in SQLite's words, as PostgreSQL says it: INTEGER is BIGINT (SQLite's integers
// are 64-bit), an INTEGER PRIMARY KEY numbers its rows itself, REAL is DOUBLE PRECISION, BLOB is
// BYTEA, unixepoch() is the epoch's seconds now, and AUTOINCREMENT goes.
std::string postgresql_schema(std::string_view sqlite_script);

}  // namespace brindle::server::storage
