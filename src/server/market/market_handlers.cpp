#include "server/market/market_handlers.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "server/http/para_fields.h"
#include "server/market/market.h"
#include "server/market/reply_rows.h"
#include "wire/records/market_records.h"

namespace brindle::server {
namespace {

using market::MarketSnapshot;

constexpr int kMarketList = 4027;
constexpr int kParlayRefresh = 4028;
constexpr int kInPlayLine = 4038;
constexpr int kFilteredMarketList = 4070;
constexpr int kOutrightList = 5001;
constexpr int kOutrightEntries = 5002;

constexpr std::string_view kBadParaText = "请求参数格式错误。";
constexpr std::string_view kUnknownMarketText = "不支持的盘口类型。";
constexpr std::string_view kNothingChosenText = "请至少选择一场比赛。";
constexpr std::string_view kTooManyChosenText = "一次查询的比赛太多。";
constexpr std::string_view kUnknownMatchText = "没有这场比赛。";
constexpr std::string_view kUnusedLeague = "0";
constexpr int kMaxChosen = 100;
constexpr std::size_t kNumberWidth = 10;
constexpr int kOutrightListCode = 2;

std::optional<std::int64_t> integer(std::string_view text) {
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<int> int32(std::string_view text) {
  auto value = integer(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
  return static_cast<int>(*value);
}

Reply refused(std::string_view text) { return Reply::failure(kResultRefused, std::string(text)); }

// The fields of txtPara when it has exactly `count` of them and the ones named in `numbers` are
// integers.
std::optional<std::vector<std::string_view>> para_fields(const SubjectRequest& request, std::size_t count,
                                                         std::initializer_list<std::size_t> numbers) {
  if (!request.form.credentials) return std::nullopt;
  auto fields = split_para(request.form.credentials->para);
  if (fields.size() != count) return std::nullopt;
  for (std::size_t at : numbers) {
    if (!int32(fields[at])) return std::nullopt;
  }
  return fields;
}

// A count and its "%.10d" numbers written one after another.
Result<std::vector<int>> chosen_numbers(std::string_view count_text, std::string_view numbers) {
  using R = Result<std::vector<int>>;
  auto count = int32(count_text);
  if (!count || *count < 0) return R::failure(std::string(kBadParaText));
  if (*count == 0) return R::failure(std::string(kNothingChosenText));
  if (*count > kMaxChosen) return R::failure(std::string(kTooManyChosenText));
  if (numbers.size() != static_cast<std::size_t>(*count) * kNumberWidth)
    return R::failure(std::string(kBadParaText));
  std::vector<int> chosen;
  for (std::size_t at = 0; at < numbers.size(); at += kNumberWidth) {
    const auto digits = numbers.substr(at, kNumberWidth);
    if (digits.find_first_not_of("0123456789") != std::string_view::npos)
      return R::failure(std::string(kBadParaText));
    auto number = int32(digits);
    if (!number) return R::failure(std::string(kBadParaText));
    chosen.push_back(*number);
  }
  return chosen;
}

std::string flag(bool on) { return on ? "1" : "0"; }

class MarketHandlers final {
 public:
  explicit MarketHandlers(std::shared_ptr<market::Market> market) : market_(std::move(market)) {}

  // 4027: market type code; context numbers.
  Reply list(const SubjectRequest& request) const {
    auto fields = para_fields(request, 3, {0, 1, 2});
    if (!fields) return refused(kBadParaText);
    return list_reply(request, *int32((*fields)[0]), {});
  }

  // 4070: market type code; context numbers; five league names, "0" where unused.
  Reply filtered_list(const SubjectRequest& request) const {
    auto fields = para_fields(request, 8, {0, 1, 2});
    if (!fields) return refused(kBadParaText);
    std::set<std::string, std::less<>> leagues;
    for (std::size_t i = 3; i < 8; ++i) {
      if ((*fields)[i] != kUnusedLeague && !(*fields)[i].empty()) leagues.emplace((*fields)[i]);
    }
    return list_reply(request, *int32((*fields)[0]), leagues);
  }

  // 5001: "2"; context numbers.
  Reply outright_list(const SubjectRequest& request) const {
    auto fields = para_fields(request, 3, {0, 1, 2});
    if (!fields) return refused(kBadParaText);
    if (*int32((*fields)[0]) != kOutrightListCode) return refused(kUnknownMarketText);
    Reply reply = Reply::success({}, {flag(market_->peak_period())});
    if (withheld_at_peak(request)) return reply;
    reply.add_encoded_rows(market_->snapshot()->encoded->outright_events);
    return reply;
  }

  // 5002: count; event numbers; context numbers.
  Reply outright_entries(const SubjectRequest& request) const {
    auto fields = para_fields(request, 4, {0, 2, 3});
    if (!fields) return refused(kBadParaText);
    auto chosen = chosen_numbers((*fields)[0], (*fields)[1]);
    if (!chosen) return refused(chosen.error());
    auto snapshot = market_->snapshot();
    return rows_of(chosen.value(), snapshot, snapshot->encoded->outright_entries);
  }

  // 4028: count; match numbers; context numbers.
  Reply parlay_refresh(const SubjectRequest& request) const {
    auto fields = para_fields(request, 4, {0, 2, 3});
    if (!fields) return refused(kBadParaText);
    auto chosen = chosen_numbers((*fields)[0], (*fields)[1]);
    if (!chosen) return refused(chosen.error());
    auto snapshot = market_->snapshot();
    return rows_of(chosen.value(), snapshot, snapshot->encoded->parlay_lines);
  }

  // 4038: match number; line kind; market type code (8 or 9); context numbers.
  Reply in_play_line(const SubjectRequest& request) const {
    auto fields = para_fields(request, 5, {0, 1, 2, 3, 4});
    if (!fields) return refused(kBadParaText);
    const int code = *int32((*fields)[2]);
    if (code != static_cast<int>(market::MarketType::in_play_handicap) &&
        code != static_cast<int>(market::MarketType::in_play_over_under)) {
      return refused(kUnknownMarketText);
    }
    auto snapshot = market_->snapshot();
    const market::Match* match = snapshot->find_match(*int32((*fields)[0]));
    if (match == nullptr) return refused(kUnknownMatchText);

    const market::Line* first = nullptr;
    const market::Line* second = nullptr;
    for (const market::Line* line : snapshot->lines_of(match->id)) {
      if (static_cast<int>(line->type) != code) continue;
      (line->line_code >= 1 ? first : second) = line;
    }
    const bool open = match->status == market::MatchStatus::in_play && first != nullptr &&
                      second != nullptr && first->status == market::LineStatus::open &&
                      second->status == market::LineStatus::open && market_->now() < match->ends_at;
    const auto price = [](const market::Line* line) { return line ? line->price_milli / 1000.0 : 0.0; };
    const records::InPlayLineRecord record{open ? 0 : 1,
                                           first ? static_cast<int>(first->selection_id) : 0,
                                           first ? first->line_code : 0,
                                           price(first),
                                           second ? static_cast<int>(second->selection_id) : 0,
                                           second ? second->line_code : 0,
                                           price(second),
                                           first ? first->price_sum_target : 0,
                                           match->score.home,
                                           match->score.away};
    auto out = records::to_fields(record);
    return Reply::success({}, std::move(out));
  }

 private:
  // At peak times an account that never bought credit gets the header alone: the client shows it
  // the peak-time notice instead of the list, so the rows would only load the network.
  bool withheld_at_peak(const SubjectRequest& request) const {
    return market_->peak_period() && request.account && request.account->currency == accounts::Currency::none;
  }

  Reply list_reply(const SubjectRequest& request, int code,
                   const std::set<std::string, std::less<>>& leagues) const {
    if (!market::is_list_code(code)) return refused(kUnknownMarketText);
    Reply reply = Reply::success({}, {flag(market_->peak_period())});
    if (withheld_at_peak(request)) return reply;
    auto snapshot = market_->snapshot();
    const market::EncodedList& list = snapshot->encoded->market_lists.at(code);
    if (leagues.empty()) {
      reply.add_encoded_rows(list.all);
      return reply;
    }
    std::string rows;
    for (const auto& block : list.blocks) {
      if (leagues.contains(block.league_name)) rows += block.gbk;
    }
    reply.add_encoded_rows(std::make_shared<const std::string>(std::move(rows)));
    return reply;
  }

  static Reply rows_of(const std::vector<int>& chosen, const std::shared_ptr<const MarketSnapshot>& snapshot,
                       const std::unordered_map<market::MatchId, std::string>& blocks) {
    (void)snapshot;  // keeps the blocks alive while they are copied
    std::string rows;
    std::set<int> seen;
    for (int id : chosen) {
      if (!seen.insert(id).second) continue;
      auto at = blocks.find(id);
      if (at != blocks.end()) rows += at->second;
    }
    Reply reply = Reply::success({});
    reply.add_encoded_rows(std::make_shared<const std::string>(std::move(rows)));
    return reply;
  }

  std::shared_ptr<market::Market> market_;
};

}  // namespace

Result<void> add_market_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.market) return Result<void>::failure("the market handlers need the market");
  auto handlers = std::make_shared<const MarketHandlers>(services.market);
  const std::pair<int, Reply (MarketHandlers::*)(const SubjectRequest&) const> table[] = {
      {kMarketList, &MarketHandlers::list},
      {kFilteredMarketList, &MarketHandlers::filtered_list},
      {kParlayRefresh, &MarketHandlers::parlay_refresh},
      {kInPlayLine, &MarketHandlers::in_play_line},
      {kOutrightList, &MarketHandlers::outright_list},
      {kOutrightEntries, &MarketHandlers::outright_entries},
  };
  for (const auto& [subject, method] : table) {
    auto added = dispatcher.add(subject, [handlers, method](const SubjectRequest& request) {
      return ((*handlers).*method)(request);
    });
    if (!added) return added;
  }
  return {};
}

}  // namespace brindle::server
