#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/net/odds_format_setting.h"

namespace brindle::notation {

using net::OddsFormat;

// "欧洲盘", "香港盘", "马来盘", "印尼盘".
const char* odds_format_label(OddsFormat format);

// The figure a net price (what the service quotes: decimal odds − 1) shows in `format`: decimal
// odds, the net price itself (Hong Kong), the net price up to 1 and −1 ÷ net above (Malay), the net
// price from 1 and −1 ÷ net below (Indonesian). Nothing for a negative or non-finite price.
// A net price of 0 pays back only the stake and has no finite Indonesian figure; it shows 0, as it
// does in the Hong Kong and Malay formats, rather than dividing by zero.
std::optional<double> convert_odds(double net_price, OddsFormat format);

// The figure with three decimals. Decimal is displayed_odds() byte for byte, whatever the price;
// a price the other formats refuse shows "-".
std::string odds_text(double net_price, OddsFormat format);

// "（香港盘赔率）": what a location line adds when not decimal, and the note beside a box of decimal odds.
std::string odds_format_note(OddsFormat format);

// A price column's or line's title naming the format: "赔率" → "赔率(香港盘)"; decimal keeps it as it is.
std::string odds_title(std::string_view title, OddsFormat format);

}  // namespace brindle::notation
