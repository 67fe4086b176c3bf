#include "server/matchinfo/history_handlers.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/http/para_fields.h"
#include "server/market/line_pricing.h"
#include "server/market/market.h"
#include "server/matchinfo/match_records.h"
#include "server/storage/timestamp.h"
#include "wire/ole_date.h"
#include "wire/records/match_records.h"

namespace brindle::server {
namespace {

using matchinfo::PastMatch;

constexpr int kOddsTrend = 4022;
constexpr int kRecentMatches = 4023;
constexpr int kHomeAwayMatches = 4024;
constexpr int kHeadToHead = 4026;

constexpr int kRecentCount = 6;
constexpr int kHomeAwayCount = 3;
constexpr int kMeetingCount = 10;

constexpr std::string_view kBadParaText = "请求参数格式错误。";
constexpr std::string_view kUnknownMatchText = "没有这场比赛。";
constexpr std::string_view kStorageFailedText = "服务器暂时无法读取比赛记录，请稍后再试。";

Reply refused(std::string_view text) { return Reply::failure(kResultRefused, std::string(text)); }

// The match and a 0/1 flag, or the match alone.
struct Para {
  market::MatchId match = 0;
  bool flag = false;
};
std::optional<Para> parse(const SubjectRequest& request, bool with_flag) {
  if (!request.form.credentials) return std::nullopt;
  const auto fields = split_para(request.form.credentials->para);
  if (fields.size() != (with_flag ? 2u : 1u)) return std::nullopt;
  Para para;
  if (!parse_int(fields[0], para.match)) return std::nullopt;
  if (with_flag) {
    if (fields[1] != "0" && fields[1] != "1") return std::nullopt;
    para.flag = fields[1] == "1";
  }
  return para;
}

// One line of a team's history: time texts, opponent, home flag, the team's goals, the opponent's,
// then the handicap code, whether the home side received, the result code and the odds.
std::vector<std::string> team_row(const PastMatch& m, const std::string& team) {
  const bool at_home = m.home == team;
  const auto line = matchinfo::past_line(m);
  const double ole = storage::ole_from_unix(m.kickoff);
  return records::to_fields(records::HistoryLine{
      wire::ole_date_text(ole), wire::ole_time_text(ole), at_home ? m.away : m.home, at_home ? 1 : 0,
      at_home ? m.result.home : m.result.away, at_home ? m.result.away : m.result.home, line.code,
      line.home_received ? 1 : 0, line.result_code, line.odds});
}

std::vector<std::string> meeting_row(const PastMatch& m) {
  const auto line = matchinfo::past_line(m);
  return records::to_fields(records::HeadToHeadLine{storage::ole_from_unix(m.kickoff), m.home, m.away,
                                                    m.result.home, m.result.away, line.code,
                                                    line.home_received ? 1 : 0, line.result_code, line.odds});
}

class HistoryHandlers final {
 public:
  explicit HistoryHandlers(const ServerServices& services) : db_(services.db), market_(services.market) {}

  Reply recent(const SubjectRequest& request) const { return team_form(request, false); }
  Reply home_away(const SubjectRequest& request) const { return team_form(request, true); }

  Reply head_to_head(const SubjectRequest& request) const {
    const auto para = parse(request, false);
    if (!para) return refused(kBadParaText);
    const auto match = market_->match(para->match);
    if (!match) return refused(kUnknownMatchText);
    auto found = db_->read([&](storage::Connection& c) {
      return matchinfo::meetings(c, match->home, match->away, match->kickoff, kMeetingCount);
    });
    if (!found) return Reply::failure(kResultServerError, std::string(kStorageFailedText));
    Reply reply = Reply::success({});
    for (const auto& m : found.value()) reply.add_row(meeting_row(m));
    return reply;
  }

  // The points of the side the hall row shows: the away team when it gives, else the home team.
  Reply trend(const SubjectRequest& request) const {
    const auto para = parse(request, true);
    if (!para) return refused(kBadParaText);
    if (!market_->match(para->match)) return refused(kUnknownMatchText);
    const bool home_side = !para->flag;
    auto found =
        db_->read([&](storage::Connection& c) { return matchinfo::line_history(c, para->match, home_side); });
    if (!found) return Reply::failure(kResultServerError, std::string(kStorageFailedText));
    Reply reply = Reply::success({});
    for (const auto& p : found.value()) {
      const bool away_gives = p.line_code > 1000 || p.line_code < -1000;
      reply.add_row(records::to_fields(records::TrendPointLine{storage::ole_from_unix(p.at),
                                                               market::handicap_code_of(p.line_code),
                                                               p.price_milli / 1000.0, away_gives ? 1 : 0}));
    }
    return reply;
  }

 private:
  Reply team_form(const SubjectRequest& request, bool venue_only) const {
    const auto para = parse(request, true);
    if (!para) return refused(kBadParaText);
    const auto match = market_->match(para->match);
    if (!match) return refused(kUnknownMatchText);
    const std::string& team = para->flag ? match->home : match->away;
    const auto venue = !venue_only  ? matchinfo::Venue::any
                       : para->flag ? matchinfo::Venue::home_only
                                    : matchinfo::Venue::away_only;
    auto found = db_->read([&](storage::Connection& c) {
      return matchinfo::team_matches(c, team, venue, match->kickoff,
                                     venue_only ? kHomeAwayCount : kRecentCount);
    });
    if (!found) return Reply::failure(kResultServerError, std::string(kStorageFailedText));
    Reply reply = Reply::success({});
    for (const auto& m : found.value()) reply.add_row(team_row(m, team));
    return reply;
  }

  std::shared_ptr<storage::Database> db_;
  std::shared_ptr<market::Market> market_;
};

}  // namespace

Result<void> add_history_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.market || !services.db) return Result<void>::failure("the history handlers need the market");
  auto handlers = std::make_shared<const HistoryHandlers>(services);
  const std::pair<int, Reply (HistoryHandlers::*)(const SubjectRequest&) const> table[] = {
      {kOddsTrend, &HistoryHandlers::trend},
      {kRecentMatches, &HistoryHandlers::recent},
      {kHomeAwayMatches, &HistoryHandlers::home_away},
      {kHeadToHead, &HistoryHandlers::head_to_head},
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
