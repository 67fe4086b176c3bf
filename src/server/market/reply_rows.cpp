#include "server/market/reply_rows.h"

#include <array>
#include <cstdio>
#include <span>
#include <utility>

#include "server/market/market.h"
#include "server/storage/timestamp.h"
#include "wire/framing.h"
#include "wire/records/market_records.h"

namespace brindle::server::market {
namespace {

constexpr std::array kListCodes{0, 1, 2, 3, 6, 7, 8, 9, kParlayListCode};
// The price of the second side sent with the basketball totals bands of an outright event.
constexpr int kBandCompanionPriceMilli = 500;

using records::append_line;

int flag(bool on) { return on ? 1 : 0; }
double price(int price_milli) { return price_milli / 1000.0; }
double ole(std::int64_t unix_seconds) { return storage::ole_from_unix(unix_seconds); }

// The second time stamp of a match is the end of play.
void append_match_line(std::string& out, const Match& m) {
  append_line(
      out, records::MatchLine{static_cast<int>(m.id), m.line_kind(), m.league_name, ole(m.kickoff),
                              ole(m.ends_at), m.home, m.away, flag(m.neutral_venue), flag(m.offers_in_play)});
}

// The in-play kinds carry the running score and the playing minute.
void append_odds_line(std::string& out, const Line& line, const Match& m) {
  const bool live = is_in_play(line.type);
  append_line(out, records::OddsLine{static_cast<int>(line.match_id), static_cast<int>(line.type),
                                     static_cast<int>(line.status), static_cast<int>(line.selection_id),
                                     line.line_code, price(line.price_milli), line.price_sum_target,
                                     live ? m.score.home : 0, live ? m.score.away : 0, live ? m.minute : 0});
}

// Which lines of a match a list carries. The over/under hall asks for code 3 and shows basketball
// totals beside football's, and the in-play hall asks for code 8 and shows both in-play kinds.
bool list_takes(int code, const Match& m, const Line& line) {
  const auto type = line.type;
  if (is_in_play(type)) {
    if (m.status != MatchStatus::in_play) return false;
    return code == 8 || (code == 9 && type == MarketType::in_play_over_under);
  }
  if (m.status != MatchStatus::scheduled || line.status == LineStatus::closed) return false;
  switch (code) {
    case 3:
      return type == MarketType::over_under || type == MarketType::basketball_totals;
    case kParlayListCode:
      return m.in_parlay_list && type == MarketType::one_x_two;
    default:
      return static_cast<int>(type) == code;
  }
}

bool list_shows_bare_match(int code, const Match& m) {
  return code == kParlayListCode && m.in_parlay_list && m.status == MatchStatus::scheduled;
}

// Two-sided kinds go out first side (positive code) first, as the client pairs them.
std::vector<const Line*> in_wire_order(std::vector<const Line*> lines) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const Line* a = lines[i];
    const Line* b = lines[i + 1];
    if (a->type == b->type && is_two_sided(a->type) && a->line_code < 1 && b->line_code >= 1) {
      std::swap(lines[i], lines[i + 1]);
      ++i;
    }
  }
  return lines;
}

EncodedList encode_market_list(const MarketSnapshot& snapshot, int code) {
  EncodedList list;
  std::string all;
  for (const auto& m : snapshot.matches) {
    std::vector<const Line*> taken;
    for (const Line* line : snapshot.lines_of(m.id)) {
      if (list_takes(code, m, *line)) taken.push_back(line);
    }
    if (taken.empty() && !list_shows_bare_match(code, m)) continue;
    EncodedBlock block{m.league_name, {}};
    append_match_line(block.gbk, m);
    for (const Line* line : in_wire_order(std::move(taken))) append_odds_line(block.gbk, *line, m);
    all += block.gbk;
    list.blocks.push_back(std::move(block));
  }
  list.all = std::make_shared<const std::string>(std::move(all));
  return list;
}

// An outright event goes out as a match line: competition as league, event name as home team,
// and its closed value in the neutral-venue field.
std::string encode_outright_events(const MarketSnapshot& snapshot) {
  std::string out;
  for (const auto& e : snapshot.events) {
    if (e.status != MatchStatus::scheduled) continue;
    append_line(out,
                records::MatchLine{static_cast<int>(e.id), e.line_kind(), e.competition, ole(e.decided_at),
                                   ole(e.decided_at), e.name, std::string(), flag(e.closed), 0});
  }
  return out;
}

}  // namespace

bool is_list_code(int code) {
  for (int known : kListCodes) {
    if (known == code) return true;
  }
  return false;
}

std::string price_text(int price_milli) {
  char text[32];
  const char* sign = price_milli < 0 ? "-" : "";
  const long long magnitude = price_milli < 0 ? -static_cast<long long>(price_milli) : price_milli;
  std::snprintf(text, sizeof text, "%s%lld.%03lld", sign, magnitude / 1000, magnitude % 1000);
  return text;
}

std::string ole_text(std::int64_t unix_seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%.6f", storage::ole_from_unix(unix_seconds));
  return text;
}

EncodedLists encode_lists(const MarketSnapshot& snapshot) {
  EncodedLists lists;
  for (int code : kListCodes) lists.market_lists.emplace(code, encode_market_list(snapshot, code));
  lists.outright_events = std::make_shared<const std::string>(encode_outright_events(snapshot));

  // Outright entry: event, type, market closed, place, price, target, name, selection, disabled.
  // Clients pair the sides of a two-sided kind (basketball totals bands) and balance each pair to
  // its target: the bands go out after one second side whose price, with the target set to the sum,
  // leaves every band's price as it is. The second side pairs with each later band of the event.
  const OutrightSelection* previous = nullptr;
  for (const auto& s : snapshot.outright_selections) {
    const OutrightEvent* e = snapshot.find_event(s.event_id);
    if (e == nullptr) continue;
    std::string& out = lists.outright_entries[s.event_id];
    const bool paired = is_two_sided(s.type);
    const int target = paired ? (s.price_milli + kBandCompanionPriceMilli) / 10 : 0;
    append_line(out, records::OutrightEntryLine{static_cast<int>(s.event_id), static_cast<int>(s.type),
                                                flag(e->market_closed), s.place, price(s.price_milli), target,
                                                s.name, static_cast<int>(s.selection_id), flag(s.disabled)});
    const bool first_of_kind =
        previous == nullptr || previous->event_id != s.event_id || previous->type != s.type;
    if (paired && first_of_kind) {
      // The second side ends after its name: it carries neither selection nor flag.
      records::OutrightEntryLine companion{static_cast<int>(s.event_id),
                                           static_cast<int>(s.type),
                                           flag(e->market_closed),
                                           0,
                                           price(kBandCompanionPriceMilli),
                                           target,
                                           std::string(),
                                           0,
                                           0};
      std::vector<std::string> fields = records::to_fields(companion);
      fields.resize(7);
      out += wire::format_reply_line(fields);
      out += "\r\n";
    }
    previous = &s;
  }

  // Parlay refresh line: match, type, selection, line code, price, target; open pre-match lines.
  for (const auto& m : snapshot.matches) {
    if (m.status != MatchStatus::scheduled) continue;
    std::vector<const Line*> open;
    for (const Line* line : snapshot.lines_of(m.id)) {
      if (!is_in_play(line->type) && line->status == LineStatus::open) open.push_back(line);
    }
    std::string& out = lists.parlay_lines[m.id];
    for (const Line* line : in_wire_order(std::move(open))) {
      append_line(out, records::ParlayPriceLine{static_cast<int>(m.id), static_cast<int>(line->type),
                                                static_cast<int>(line->selection_id), line->line_code,
                                                price(line->price_milli), line->price_sum_target});
    }
  }
  return lists;
}

}  // namespace brindle::server::market
