#include "wire/ole_date.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace brindle::wire {
namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms): the
// conversion must not depend on the process's time zone or on the C library's time_t range.
constexpr long long days_from_civil(long long y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

struct Ymd {
  long long year;
  unsigned month;
  unsigned day;
};

constexpr Ymd civil_from_days(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<long long>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

constexpr long long kOleEpoch = days_from_civil(1899, 12, 30);
static_assert(kOleEpoch == -25569);

bool is_leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && is_leap(y) ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  std::array<char, 48> buf{};
  const int n = std::snprintf(buf.data(), buf.size(), pattern, args...);
  return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

bool is_valid_civil(const CivilDateTime& c) {
  return c.year >= kMinYear && c.year <= kMaxYear && c.month >= 1 && c.month <= 12 && c.day >= 1 &&
         c.day <= days_in_month(c.year, c.month) && c.hour >= 0 && c.hour <= 23 && c.minute >= 0 &&
         c.minute <= 59 && c.second >= 0 && c.second <= 59;
}

std::optional<CivilDateTime> ole_to_civil(double ole) {
  // Far beyond year 9999 either way; keeps the conversions below in range.
  if (!std::isfinite(ole) || std::fabs(ole) > 1e7) return std::nullopt;
  const double whole = std::trunc(ole);
  long long seconds = std::llround(std::fabs(ole - whole) * static_cast<double>(kSecondsPerDay));
  const long long days = static_cast<long long>(whole) + seconds / kSecondsPerDay;
  seconds %= kSecondsPerDay;
  const Ymd ymd = civil_from_days(days + kOleEpoch);
  if (ymd.year < kMinYear || ymd.year > kMaxYear) return std::nullopt;
  CivilDateTime c;
  c.year = static_cast<int>(ymd.year);
  c.month = static_cast<int>(ymd.month);
  c.day = static_cast<int>(ymd.day);
  c.hour = static_cast<int>(seconds / 3600);
  c.minute = static_cast<int>(seconds / 60 % 60);
  c.second = static_cast<int>(seconds % 60);
  return c;
}

std::optional<double> civil_to_ole(const CivilDateTime& c) {
  if (!is_valid_civil(c)) return std::nullopt;
  const long long days =
      days_from_civil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) - kOleEpoch;
  const double time =
      static_cast<double>(c.hour * 3600 + c.minute * 60 + c.second) / static_cast<double>(kSecondsPerDay);
  const auto d = static_cast<double>(days);
  return days >= 0 ? d + time : d - time;
}

namespace {

// Zero-padded fields written by hand: the halls format two stamps of every match of a list, and
// printf's machinery cost more than the rest of reading the line. A field that does not fit its
// width (a year past 9999 cannot be made, but a negative one could) is left to printf.
bool fits(int value, int width) { return value >= 0 && value < (width == 4 ? 10000 : 100); }

void put(char*& at, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  at += width;
}

}  // namespace

std::string ole_date_text(double ole) {
  const auto c = ole_to_civil(ole);
  if (!c) return std::string();
  if (!fits(c->year, 4) || !fits(c->month, 2) || !fits(c->day, 2))
    return format("%04d-%02d-%02d", c->year, c->month, c->day);
  char text[10];
  char* at = text;
  put(at, c->year, 4);
  *at++ = '-';
  put(at, c->month, 2);
  *at++ = '-';
  put(at, c->day, 2);
  return std::string(text, sizeof text);
}

std::string ole_time_text(double ole) {
  const auto c = ole_to_civil(ole);
  if (!c) return std::string();
  if (!fits(c->hour, 2) || !fits(c->minute, 2)) return format("%02d:%02d", c->hour, c->minute);
  char text[5];
  char* at = text;
  put(at, c->hour, 2);
  *at++ = ':';
  put(at, c->minute, 2);
  return std::string(text, sizeof text);
}

std::string ole_date_time_text(double ole) {
  const auto c = ole_to_civil(ole);
  return c ? format("%04d-%02d-%02d %02d:%02d:%02d", c->year, c->month, c->day, c->hour, c->minute, c->second)
           : std::string();
}

std::string date_range_text(const CivilDateTime& c) {
  return format("%04d%02d%02d%02d%02d%02d", c.year, c.month, c.day, c.hour, c.minute, c.second);
}

}  // namespace brindle::wire
