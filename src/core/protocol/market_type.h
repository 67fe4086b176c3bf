#pragma once

namespace brindle::protocol {

// The server's numbers for the market kinds.
inline constexpr int kTypeAsianHandicap = 0;
inline constexpr int kType1x2 = 1;
inline constexpr int kTypeCorrectScore = 2;
inline constexpr int kTypeOverUnder = 3;
inline constexpr int kTypeBasketballTotals = 6;
inline constexpr int kTypeBasketballOddEven = 7;
inline constexpr int kTypeInPlayAsianHandicap = 8;
inline constexpr int kTypeInPlayOverUnder = 9;
// In the market-type field of a market-data request: the parlay list.
inline constexpr int kTypeParlayList = -1;

// The market type code of a market kind flag; the Asian handicap flag and every unknown flag give 0.
int market_type_of_kind(int kind_flag);

// The market kind flag of a market type code; 0 (no kind) for a code the table does not hold.
int kind_of_market_type(int market_type);

// Two-sided kinds are priced in pairs whose prices are balanced against the line's target.
bool is_two_sided(int market_type);

}  // namespace brindle::protocol
