#pragma once

#include <string_view>

#include "server/storage/money.h"

namespace brindle::server::accounts {

// Transaction types of the account statement, numbered as the client names them.
enum class StatementType : int {
  buy_in = 1,  // "买彩", a withdrawal when negative ("提彩")
  bet_result = 2,
  withdrawal_fee = 3,
  star_commission = 5,
  one_x_two = 6,
  correct_score = 7,
  star_transfer = 8,
  over_under = 9,
  big_small_card = 10,
  basketball_totals = 11,
  basketball_odd_even = 12,
  bet = 13,  // Asian handicap and other bets without a type of their own
  one_x_two_banker = 14,
  correct_score_banker = 15,
  over_under_banker = 16,
  big_small_card_banker = 17,
  basketball_totals_banker = 18,
  basketball_odd_even_banker = 19,
  promotion = 20,
  withdrawal_rejected = 21,
  casino_transfer = 22,
  credit_change = 23,
  loan = 24,
  in_play = 25,
  in_play_over_under = 26,
  parlay = 50,
};

// The name the statement shows for a type and amount (an amount of 0 counts as positive); empty
// for a number that names no type.
std::string_view statement_type_name(int type, storage::Cents amount);

// Bet types: 2, 6–19 except 8, 25, 26 and 50.
bool is_bet_type(int type);

}  // namespace brindle::server::accounts
