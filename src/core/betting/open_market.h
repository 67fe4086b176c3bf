#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ports/confirmation_port.h"
#include "core/ports/message_port.h"
#include "core/ports/open_market_port.h"
#include "core/protocol/market_records.h"
#include "core/protocol/session.h"

namespace brindle::betting {

inline constexpr char kOpenMarketTitle[] = "对战开盘";
inline constexpr char kOpenMarketNoticeTitle[] = "请注意";
inline constexpr char kOpenMarketNoticeText[] =
    "亲爱的客户，请注意：为了给您提供一个良好、和谐的娱乐氛围，请您遵照以下两点进行开盘，对违反规定者，我们将"
    "予以严肃处理，"
    "情节严重者本公司有权终止其帐户使用权。\n\n   1.开盘者“昵称”严禁使用不文明及带有恶意攻击性字眼\n   "
    "2."
    "同一帐户、同一赛事相同盘口最多可开出三个盘\n\n本公司在不断的努力为客户提供一流的服务，请大家共同维护，文"
    "明开盘，祝您好运";
inline constexpr char kOpenMarketBannerStart[] = "请先点击比赛、然后进行开盘！";
inline constexpr char kNoSuggestedOddsText[] = "无建议赔率!";
inline constexpr char kOddsNotANumberText[] = "开盘赔率必须为数字！";
inline constexpr char kStakeNotAWholeNumberText[] = "开盘彩金必须为不超过2147483647的整数！";

enum class OpenMarketKind {
  one_x_two = 0,
  over_under = 1,
  correct_score = 2,
  basketball_totals = 3,
  odd_even = 4
};
inline constexpr int kOpenMarketTabCount = 5;

struct OpenMarketKindInfo {
  const char* caption;
  int flag;
  int list_code;
  int slot_count;
  const char* confirmation_title;
};
const OpenMarketKindInfo& open_market_kind_info(OpenMarketKind kind);
// 1 → 1, 2 → 3, 4 → 2, 8 → 6, 16 → 7, 32 → 8, 64 → 9; 0 for any other flag.
int open_market_list_code(int kind_flag);
// The tab of a market kind flag 1–16; tab 0 for any other value.
int open_market_tab_of_flag(int kind_flag);
// The stake multiple: 10 for RMB and HKD accounts, 1 otherwise.
int open_market_stake_multiple(int currency_code);
// Characters after the first '.', 0 when there is none.
int decimals_in(const std::string& text);

// One option slot of a page: check box, "自定赔率：" label and number box.
struct OpenMarketOption {
  bool shown = false;
  bool checked = false;
  int option_id = 0;
  int code = 0;  // the choice code; for totals the side's line code
  double suggested = 0.0;
  std::string name;
  std::string odds_text;  // the number box, starting at the suggested odds
};

struct OpenMarketServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::ConfirmationPort& confirmation;
};

// One tab of the window: leagues, matches, offers, the checks of "现在开盘" and the request.
class OpenMarketPage {
 public:
  OpenMarketPage(OpenMarketServices services, OpenMarketKind kind);

  OpenMarketKind kind() const { return kind_; }
  // Fetches the openable matches, fills the league box and lists the first league's matches.
  void start();
  void choose_league(std::size_t index);
  // A row of the match list, or nullopt when the selection is lost.
  void select_match(std::optional<std::size_t> row);
  // Chooses the league and row that hold a match; false when no listed match has that number.
  bool select_match_number(int match_number);

  // A click on an option's check box (on the 1X2 page it unchecks conflicting options first).
  void set_checked(std::size_t slot, bool checked);
  // Marks an option without the 1X2 rule, as a scripted caller names several at once.
  void mark(std::size_t slot, bool checked);
  void set_odds_text(std::size_t slot, std::string text);
  void set_stake_text(std::string text);
  // The slot that offers a choice code, if the page has one.
  std::optional<std::size_t> slot_of_code(int code) const;

  // The first failure of "现在开盘" in its order, nullopt when the offer may be sent.
  std::optional<std::string> validate() const;
  std::string offer_list_text() const;
  // Beside the odds boxes when the bettor reads another format: what is typed there is decimal odds,
  // as the service checks them. Empty for decimal.
  std::string odds_box_note() const;
  ports::ConfirmationRequest confirmation() const;

  enum class Result { refused, cancelled, failed, opened };
  // "现在开盘": checks, confirmation, 3008 and the reset; messages go to the message port.
  Result open_now();
  // The serial number of the last successful open.
  const std::string& serial_number() const { return serial_; }
  // The message shown after the last open_now (refusal, failure or success text).
  const std::string& last_message() const { return last_message_; }

  const std::vector<std::string>& leagues() const { return leagues_; }
  std::size_t chosen_league() const { return league_; }
  const std::vector<protocol::MatchRecord>& listed_matches() const { return listed_; }
  std::optional<std::size_t> selected_row() const { return row_; }
  std::optional<int> match_number() const { return match_; }
  const std::string& banner() const { return banner_; }
  const std::vector<OpenMarketOption>& options() const { return options_; }
  // Correct score: the captions "主队胜", "主队平", "主队负".
  const bool* score_captions() const { return captions_; }
  bool stake_enabled() const { return stake_enabled_; }
  const std::string& stake_text() const { return stake_text_; }
  std::string stake_label() const;
  std::string group_caption() const;
  // "%s vs %s" of the selected row, empty with none.
  std::string match_text() const;

 private:
  void show(const std::string& text);
  void clear_options();
  void reset_after_open();
  std::optional<std::string> validate_one_x_two(double stake) const;
  std::optional<std::string> validate_two_sides(double stake) const;
  std::optional<std::string> validate_correct_score(double stake) const;

  OpenMarketServices services_;
  OpenMarketKind kind_;
  std::vector<protocol::MatchRecord> all_;
  std::vector<std::string> leagues_;
  std::size_t league_ = 0;
  std::vector<protocol::MatchRecord> listed_;
  std::optional<std::size_t> row_;
  std::optional<int> match_;
  std::string banner_;
  std::vector<OpenMarketOption> options_;
  bool captions_[3] = {false, false, false};
  bool stake_enabled_ = false;
  std::string stake_text_ = "0";
  std::string serial_;
  std::string last_message_;
};

// The hall's three ways in: with the notice first (page button) or at once, on the tab of the
// hall's selected top-level market kind flag (0 for none).
void open_market_from_hall(ports::ConfirmationPort& confirmation, ports::OpenMarketPort& window,
                           bool with_notice, int selected_kind_flag);

}  // namespace brindle::betting
