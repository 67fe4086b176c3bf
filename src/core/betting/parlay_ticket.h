#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/notation/odds_format.h"
#include "core/ports/parlay_windows_port.h"
#include "core/protocol/market_records.h"
#include "core/protocol/parlay.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class FramePort;
class MessagePort;
}  // namespace brindle::ports

namespace brindle::betting {

inline constexpr char kNoLegsText[] = "没有投注选择";
inline constexpr char kMarketChoiceNothingChosenText[] = "请选择投注对象和赔率！";
inline constexpr char kStakeAboveLimitText[] = "单注彩金不能超过200000！";
inline constexpr char kParlayTicketTitle[] = "过关投注";
inline constexpr char kOverLimitText[] =
    "您的单注理论最高派彩已经超过了单注最高派彩额，请参见《投注规则》！（该提示并不影响您继续投注）";
inline constexpr char kOverLimitAfterPriceChangeText[] =
    "您的单注理论最高派彩已经超过了单注最高派彩额，请参见《投注规则》！";
inline constexpr int kMaxTypeStake = 200000;

// The two total lines as the ticket shows them, and whether a combination pays beyond the limit.
struct ParlayQuote {
  long long total_stake = 0;
  double highest_return = 0.0;  // the stake included
  bool over_limit = false;
  std::string stake_line;   // "总投注彩金：%d %s"
  std::string payout_line;  // "理论最高派彩：%.2f", the return less the total stake
};
ParlayQuote quote_parlay(const std::vector<double>& prices,
                         const std::vector<protocol::ParlayTypeEntry>& types,
                         const std::string& currency_name);
// What the lines read right after the types list was rebuilt.
std::string zero_stake_line(const std::string& currency_name);
inline constexpr char kZeroPayoutLine[] = "理论最高派彩：0";

// A leg's texts: "你的选择" and "玩法".
std::string leg_choice_text(const protocol::ParlaySelection& leg);
std::string leg_kind_text(const protocol::ParlaySelection& leg);
// A leg from a match and one of its lines.
protocol::ParlaySelection leg_of(const protocol::MatchRecord& match, const protocol::OddsLine& line);

// The "玩法选择" window's content for a match, and the line that each item stands for.
struct MarketChoices {
  ports::MarketChoiceContent content;
  std::vector<std::vector<std::optional<protocol::OddsLine>>> lines;  // per tab, per item
};
MarketChoices market_choices(const protocol::MatchRecord& match, const std::vector<protocol::OddsLine>& lines,
                             notation::OddsFormat odds_format = notation::OddsFormat::kDecimal);

struct ParlayTicketServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::FramePort& frame;
  ports::ParlayWindowsPort& windows;
};

// Told when the legs, the type rows or the total lines changed.
class ParlayTicketView {
 public:
  virtual ~ParlayTicketView() = default;
  virtual void ticket_changed() = 0;
};

// The lower half of the parlay hall: legs, parlay types with their stakes, the totals and the bet.
class ParlayTicket final {
 public:
  explicit ParlayTicket(ParlayTicketServices services);

  void set_view(ParlayTicketView* view) { view_ = view; }

  // Accepts the leg or shows why not (the last failing check's message); true when accepted.
  bool add_leg(protocol::ParlaySelection leg);
  // A click on an outcome cell of the hall; nothing in the Login modes that take no bets.
  void add_from_hall(const protocol::MatchRecord& match, const protocol::OddsLine& line);
  // The "更多玩法" button: the match's lines (fetched once), then the "玩法选择" window. The match
  // is a copy: a timed refresh under the window replaces the hall's list.
  void choose_more(protocol::MatchRecord match);
  // The delete button of a leg's row.
  void remove_leg(std::size_t row);
  // An edit of a type row's stake cell.
  void edit_stake(std::size_t row, std::string_view typed);
  // After every refresh of the hall: the legs against fresh lines of their matches.
  void check_legs();
  // The bet button: the confirmation, then exactly what it showed is sent.
  void bet();

  const std::vector<protocol::ParlaySelection>& legs() const { return slip_.selections(); }
  const std::vector<protocol::ParlayTypeEntry>& types() const { return slip_.type_entries(); }
  std::string type_name(std::size_t row) const;
  std::string currency() const;
  // The bettor's odds format, for the slip's price column.
  notation::OddsFormat odds_format() const;
  const std::string& stake_line() const { return stake_line_; }
  const std::string& payout_line() const { return payout_line_; }

 private:
  void show(const std::string& text);
  void legs_changed();
  // Recomputes the totals; true when the over-limit mark is set.
  bool show_totals();
  void notify();
  bool takes_bets() const;
  // The "玩法选择" window over its own copies of the lines; the chosen one becomes a leg.
  void run_market_choice(const protocol::MatchRecord& match, const MarketChoices& choices);

  ParlayTicketServices services_;
  ParlayTicketView* view_ = nullptr;
  protocol::ParlaySlip slip_;
  std::map<int, std::vector<protocol::OddsLine>> held_lines_;  // by match: 4028 answers
  std::string stake_line_;
  std::string payout_line_ = kZeroPayoutLine;
  // While the bet's confirmation is open the legs are not checked: the user confirms what he sees.
  bool confirming_ = false;
};

}  // namespace brindle::betting
