#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/betting/single_ticket.h"
#include "core/ports/outright_ticket_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_records.h"

namespace brindle::betting {

inline constexpr char kEventClosedText[] = "赛事已关闭！";
inline constexpr char kNothingChosenText[] = "请选择投注对象和赔率！";
inline constexpr char kOutrightMarketClosedText[] = "盘口已关闭！";
inline constexpr char kMinimumStakeText[] = "最小投注金额为10元！";
inline constexpr char kOutrightTicketTitle[] = "总冠军投注";
inline constexpr char kOutrightFrameTitle[] = "总冠军/指数(赔率包含本金)";
inline constexpr char kInstructionsTitle[] = "玩法说明";
// The window's fixed label beside the stake, whatever the account's currency.
inline constexpr char kOutrightCurrencyLabel[] = "元整（不含小数）";
inline constexpr std::uint64_t kMinimumOutrightStake = 10;
inline constexpr int kOutrightChoiceCount = 44;

// The tabs of the ticket and the market kind whose entries each lists; the two basketball tabs
// follow only for basketball events.
struct OutrightTabKind {
  const char* caption;
  int market_type;
};
inline constexpr OutrightTabKind kOutrightTabs[] = {
    {"总冠军/指数", 2},
    {"篮球大小分", 6},
    {"篮球单双数", 7},
};

// Entries of every event opened so far, by event number: a second opening reuses them.
using HeldOutrightEntries = std::map<int, std::vector<protocol::OutrightEntry>>;

struct OutrightServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::BetConfirmationPort& confirmation;
  ports::FramePort& frame;
  ports::OutrightTicketPort& window;
};

// The ticket of one event: the window's content, the checks of "确定" and the bet they lead to.
class OutrightTicket final : public ports::OutrightTicketHandler {
 public:
  OutrightTicket(OutrightServices services, protocol::MatchRecord event,
                 std::vector<protocol::OutrightEntry> entries);

  const ports::OutrightTicketView& view() const { return view_; }
  // The entry behind a choice of a tab, when that choice is shown.
  const protocol::OutrightEntry* entry_at(int tab, int choice) const;

  // Runs the window, then the Bet confirmation and the request; the chosen selection and stake are
  // cleared afterwards whatever happened.
  TicketOutcome run();

  bool confirm(int tab, int choice, const std::string& stake_text) override;
  void show_instructions() override;

  // What "确定" set and the bet has not yet used: nothing once run() returns.
  const std::optional<protocol::SelectionEntry>& chosen() const { return chosen_; }
  // The server refused the bet or could not be reached.
  bool refused() const { return refused_; }

 private:
  TicketOutcome place();
  void show(const std::string& text);

  OutrightServices services_;
  protocol::MatchRecord event_;
  std::vector<protocol::OutrightEntry> entries_;
  ports::OutrightTicketView view_;
  std::vector<std::vector<const protocol::OutrightEntry*>> slots_;  // per tab, per choice
  std::optional<protocol::SelectionEntry> chosen_;
  std::string chosen_name_;
  int stake_ = 0;
  bool refused_ = false;
};

// A click on "更多": the closed check, the entries (fetched once per event), then the ticket. A
// refused bet drops the event's entries: a price that moved would otherwise be refused for good.
TicketOutcome run_outright_ticket(OutrightServices services, const protocol::MatchRecord& event,
                                  HeldOutrightEntries& held);

}  // namespace brindle::betting
