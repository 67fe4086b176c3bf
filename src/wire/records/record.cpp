#include "wire/records/record.h"

#include <cmath>

namespace brindle::records {

std::string_view type_name(FieldType type) {
  switch (type) {
    case FieldType::integer:
      return "integer";
    case FieldType::decimal:
      return "decimal";
    case FieldType::text:
      return "text";
    case FieldType::ole_date:
      return "ole_date";
  }
  return "";
}

std::string decimal_text(double value, int places) {
  char text[400];  // the widest double in fixed notation with up to 30 places
  const int written = std::snprintf(text, sizeof text, "%.*f", places, value);
  if (written < 0) return "0";
  return std::string(text, static_cast<std::size_t>(written) < sizeof text ? static_cast<std::size_t>(written)
                                                                           : sizeof text - 1);
}

}  // namespace brindle::records
