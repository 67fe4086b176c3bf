#include "server/accounts/statement_type.h"

#include "wire/records/statement_types.h"

namespace brindle::server::accounts {

std::string_view statement_type_name(int type, storage::Cents amount) {
  return records::statement_type_name(type, amount >= 0);
}

bool is_bet_type(int type) { return records::is_statement_bet_type(type); }

}  // namespace brindle::server::accounts
