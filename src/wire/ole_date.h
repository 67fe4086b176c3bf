#pragma once

#include <optional>
#include <string>

namespace brindle::wire {

// A date and time as written on a calendar and a clock, with no time zone.
struct CivilDateTime {
  int year = 1899;
  int month = 12;  // 1-12
  int day = 30;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;

  friend bool operator==(const CivilDateTime&, const CivilDateTime&) = default;
};

// OLE automation dates: days since 1899-12-30, the fraction the time of day. Below zero the
// fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00). Times round to the
// nearest second. The range is that of the format: years 100 to 9999.

// The civil date-time of an OLE date; nothing for a number outside the range or not finite.
std::optional<CivilDateTime> ole_to_civil(double ole);

// The OLE date of a civil date-time; nothing for a date-time that does not exist (month 13,
// February 30, hour 24, ...) or lies outside the range.
std::optional<double> civil_to_ole(const CivilDateTime& civil);

bool is_valid_civil(const CivilDateTime& civil);

// The texts the records keep. A number outside the range gives the empty text, as a reply that
// carries no date does.
std::string ole_date_text(double ole);       // "%Y-%m-%d"
std::string ole_time_text(double ole);       // "%H:%M"
std::string ole_date_time_text(double ole);  // "%Y-%m-%d %H:%M:%S"

// A date range bound in a request: "%Y%m%d%H%M%S".
std::string date_range_text(const CivilDateTime& civil);

}  // namespace brindle::wire
