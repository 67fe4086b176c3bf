#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <type_traits>

#include "wire/records/record.h"
#include "wire/records/round_trip.h"

namespace brindle::testing {

// 億 is 0x83 0x7C in GBK: its trail byte is the separator's.
inline const std::string kBarTrailText = "億x億";

// The record as the client gets it back: every "|" of its texts arrives full width.
template <class R>
R as_arrived(R record) {
  records::for_each_field(record, [](const auto&, auto& value) {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
      for (std::size_t at = value.find('|'); at != std::string::npos; at = value.find('|', at))
        value.replace(at, 1, "｜");
    }
  });
  return record;
}

// Writes every record as the server does, reads it back as the client does and compares.
template <class R>
void expect_round_trips(std::initializer_list<R> sent) {
  for (const R& record : sent) {
    std::string line;
    EXPECT_EQ(round_trip(record, &line), as_arrived(record)) << "line: " << line;
  }
}

}  // namespace brindle::testing
