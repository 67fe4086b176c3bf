#pragma once

#include <string>

namespace brindle::notation {

// Result codes of a settled handicap line.
inline constexpr int kResultPush = 0;
inline constexpr int kResultWin = 1;
inline constexpr int kResultHalfWin = 2;
inline constexpr int kResultLose = 3;
inline constexpr int kResultHalfLose = 4;

// "平", "赢", "赢一半", "输", "输一半"; seen from the other side a win is a loss and the other way
// round. Empty for any other code.
std::string result_name(int code, bool other_side);

}  // namespace brindle::notation
