#pragma once

#include <cstdint>
#include <string>

#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server {

inline constexpr std::string_view kNoInsertedRowText = "internal error: the insert returned no row";

// Runs an "INSERT ... RETURNING id" of one row and gives that id. The statement is stepped to its
// end, so nothing of it is still running when the transaction commits.
inline Result<std::int64_t> inserted_id(storage::Statement& insert) {
  using R = Result<std::int64_t>;
  auto row = insert.step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return R::failure(std::string(kNoInsertedRowText));
  const std::int64_t id = insert.column_int64(0);
  if (auto rest = insert.run(); !rest) return R::failure(rest.error());
  return id;
}

}  // namespace brindle::server
