#pragma once

#include <string>

namespace brindle::notation {

// The line kind of a basketball match; every other line kind is football.
inline constexpr int kBasketballLineKind = 9;

// Handicap codes of football lines: 4 × goals + 1, level (1) to ten goals (41).
inline constexpr int kLowestHandicapCode = 1;
inline constexpr int kHighestHandicapCode = 41;

// The name of a handicap line: "平手", "一球/球半" for goal codes, "3.5" for basketball point codes.
// Empty when the code has no line (goal codes outside 1..41, point codes below 1).
std::string handicap_name(int line_kind, int code);

}  // namespace brindle::notation
