#include "core/notation/odds_format.h"

#include <cmath>

#include "core/notation/decimal_text.h"
#include "core/notation/odds_text.h"

namespace brindle::notation {

const char* odds_format_label(OddsFormat format) {
  switch (format) {
    case OddsFormat::kHongKong:
      return "香港盘";
    case OddsFormat::kMalay:
      return "马来盘";
    case OddsFormat::kIndonesian:
      return "印尼盘";
    case OddsFormat::kDecimal:
      break;
  }
  return "欧洲盘";
}

std::optional<double> convert_odds(double net_price, OddsFormat format) {
  if (!std::isfinite(net_price) || net_price < 0.0) return std::nullopt;
  switch (format) {
    case OddsFormat::kDecimal:
      return net_price + 1.0;
    case OddsFormat::kHongKong:
      return net_price;
    case OddsFormat::kMalay:
      return net_price <= 1.0 ? net_price : -1.0 / net_price;
    case OddsFormat::kIndonesian:
      if (net_price == 0.0) return 0.0;
      return net_price >= 1.0 ? net_price : -1.0 / net_price;
  }
  return std::nullopt;
}

std::string odds_text(double net_price, OddsFormat format) {
  if (format == OddsFormat::kDecimal) return displayed_odds(net_price);
  const auto figure = convert_odds(net_price, format);
  return figure ? fixed_decimal(*figure, 3) : std::string("-");
}

std::string odds_title(std::string_view title, OddsFormat format) {
  std::string text(title);
  if (format != OddsFormat::kDecimal) text += std::string("(") + odds_format_label(format) + ")";
  return text;
}

std::string odds_format_note(OddsFormat format) {
  return std::string("（") + odds_format_label(format) + "赔率）";
}

}  // namespace brindle::notation
