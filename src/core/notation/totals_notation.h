#pragma once

#include <string>

namespace brindle::notation {

// The line of a totals code as the over/under hall's line column shows it: "2", "2/2.5", "2.5",
// "2.5/3". Empty for code 0, which is no line.
std::string totals_line_text(int code);

// The same line followed by its side, " 大" for a positive code and " 小" for a negative one
// ("2/2.5 小"), as bet choices show it. Empty for code 0.
std::string totals_text_with_side(int code);

}  // namespace brindle::notation
