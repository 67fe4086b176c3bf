#pragma once

#include <string>

namespace brindle::notation {

// Market kind flags: the client's single-bit names of the market kinds.
inline constexpr int kKind1x2 = 1;
inline constexpr int kKindOverUnder = 2;
inline constexpr int kKindCorrectScore = 4;
inline constexpr int kKindBasketballTotals = 8;
inline constexpr int kKindBasketballOddEven = 16;
inline constexpr int kKindInPlayAsianHandicap = 32;
inline constexpr int kKindInPlayOverUnder = 64;
inline constexpr int kKindOutrightAndIndex = 128;
inline constexpr int kKindIndex = 256;
inline constexpr int kKindAsianHandicap = 4096;

// The name of a market kind ("大小球盘"); empty for a value that is no market kind flag.
std::string market_kind_name(int kind_flag);

}  // namespace brindle::notation
