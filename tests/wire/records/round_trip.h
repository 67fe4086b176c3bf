#pragma once

#include <string>
#include <vector>

#include "wire/field_reader.h"
#include "wire/framing.h"
#include "wire/records/record.h"

namespace brindle::testing {

// A record written as the server writes it, one GBK reply line, and read back as the client reads
// a list row. The line is returned too, so that a test can look at the bytes.
template <class R>
R round_trip(const R& sent, std::string* line = nullptr) {
  const std::vector<std::string> fields = records::to_fields(sent);
  const std::string gbk = wire::format_reply_line(fields);
  if (line != nullptr) *line = gbk;
  wire::FieldReader reader(gbk);
  return records::read<R>(reader);
}

// Edge texts as they come back: "|" cannot travel and arrives full width.
inline const std::string kEdgeText = "a^b|c";
inline const std::string kEdgeTextBack = "a^b｜c";
// The last moment an OLE date can name: 9999-12-31 23:59:59.
inline constexpr double kFarOle = 2958465.999988;

}  // namespace brindle::testing
