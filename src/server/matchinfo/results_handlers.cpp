#include "server/matchinfo/results_handlers.h"

#include <string>
#include <string_view>
#include <vector>

#include "server/http/para_fields.h"
#include "server/market/line_pricing.h"
#include "server/market/market.h"
#include "server/storage/timestamp.h"
#include "wire/records/match_records.h"

namespace brindle::server {
namespace {

constexpr int kMatchResults = 4025;
constexpr int kOutrightResults = 4040;
constexpr std::string_view kFixturesPara = "-1|-1";
constexpr std::string_view kRangeTooLongText = "只能查询31天的记录！";
// The window's own limit: 31 days with its default times stay below it.
constexpr std::int64_t kLongestRangeSeconds = 745LL * 3600;
constexpr int kNoGoals = -1;

// The match's Asian handicap as the results list names it: the code of the side that gives, and 1
// when that is the away team, so that the home team's name reads "受让".
struct Handicap {
  int code = 0;
  int received = 0;
};
Handicap handicap_of(const market::MarketSnapshot& snapshot, market::MatchId id) {
  for (const market::Line* line : snapshot.lines_of(id)) {
    if (line->type != market::MarketType::asian_handicap || line->line_code <= 0) continue;
    return {market::handicap_code_of(line->line_code),
            market::handicap_side_is_home(line->line_code) ? 0 : 1};
  }
  return {};
}

std::vector<std::string> match_row(const market::MarketSnapshot& snapshot, const market::Match& match,
                                   bool with_result) {
  const Handicap handicap = handicap_of(snapshot, match.id);
  const market::Score* result = with_result && match.result ? &*match.result : nullptr;
  return records::to_fields(
      records::ResultLine{match.league_name, match.home, match.away, result ? result->home : kNoGoals,
                          result ? result->away : kNoGoals, storage::ole_from_unix(match.kickoff),
                          handicap.code, handicap.received, match.line_kind(), std::string()});
}

Result<DateRange> query_range(const SubjectRequest& request) {
  auto range =
      parse_date_range(request.form.credentials ? request.form.credentials->para : std::string_view());
  if (range && range->to - range->from >= kLongestRangeSeconds)
    return Result<DateRange>::failure(std::string(kRangeTooLongText));
  return range;
}

class ResultsHandlers final {
 public:
  explicit ResultsHandlers(std::shared_ptr<market::Market> market) : market_(std::move(market)) {}

  // 4025: "start|end" for the matches finished with a kick-off in the range, "-1|-1" for the
  // matches still to kick off.
  Reply match_results(const SubjectRequest& request) const {
    auto snapshot = market_->snapshot();
    Reply reply = Reply::success({});
    if (request.form.credentials && request.form.credentials->para == kFixturesPara) {
      const std::int64_t now = market_->now();
      for (const auto& match : snapshot->matches) {
        if (match.status == market::MatchStatus::scheduled && match.kickoff > now)
          reply.add_row(match_row(*snapshot, match, false));
      }
      return reply;
    }
    const auto range = query_range(request);
    if (!range) return Reply::failure(kResultRefused, range.error());
    for (const auto& match : snapshot->matches) {
      if (match.status == market::MatchStatus::finished && match.result && match.kickoff >= range->from &&
          match.kickoff <= range->to) {
        reply.add_row(match_row(*snapshot, match, true));
      }
    }
    return reply;
  }

  // 4040: the outright and index events decided in the range, with their winning selection.
  Reply outright_results(const SubjectRequest& request) const {
    const auto range = query_range(request);
    if (!range) return Reply::failure(kResultRefused, range.error());
    auto snapshot = market_->snapshot();
    Reply reply = Reply::success({});
    for (const auto& event : snapshot->events) {
      if (event.status != market::MatchStatus::finished || !event.winning_place) continue;
      if (event.decided_at < range->from || event.decided_at > range->to) continue;
      std::string winner;
      for (const auto& selection : snapshot->outright_selections) {
        if (selection.event_id == event.id && selection.place == *event.winning_place) {
          winner = selection.name;
          break;
        }
      }
      reply.add_row(records::to_fields(records::ResultLine{event.competition, event.name, std::string(), 0, 0,
                                                           storage::ole_from_unix(event.decided_at), 0, 0,
                                                           event.line_kind(), winner}));
    }
    return reply;
  }

 private:
  std::shared_ptr<market::Market> market_;
};

}  // namespace

Result<void> add_results_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.market) return Result<void>::failure("the results handlers need the market");
  auto handlers = std::make_shared<const ResultsHandlers>(services.market);
  if (auto added = dispatcher.add(
          kMatchResults,
          [handlers](const SubjectRequest& request) { return handlers->match_results(request); });
      !added) {
    return added;
  }
  return dispatcher.add(kOutrightResults, [handlers](const SubjectRequest& request) {
    return handlers->outright_results(request);
  });
}

}  // namespace brindle::server
