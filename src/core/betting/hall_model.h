#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/betting/hall_list.h"
#include "core/net/odds_format_setting.h"
#include "core/protocol/list_rows.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class BetConfirmationPort;
class FramePort;
class HallViewPort;
class HallWindowsPort;
class MessagePort;
class ShellPort;
class StakeWindowPort;
}  // namespace brindle::ports

namespace brindle::betting {

inline constexpr char kNoMarketsText[] = "此时没有盘口提供";
inline constexpr char kPeakTimeNotice[] =
    "亲爱的客户您好，由于现在是投注高峰，为了减小网络负担，确保每位客户投注顺畅，我们已经设置了\"高峰期\"，\n"
    "未开户账户将无法查看到所有盘口信息。请您点击菜单中\"买彩\"键,买彩成功后便可正常查看所有信息及投注等."
    "谢谢！";
inline constexpr char kPrivateRoomRefused[] = "您现在不能使用私人房间！";
inline constexpr char kMenuRefresh[] = "刷新数据";
inline constexpr char kMenuRecords[] = "投注记录";
inline constexpr char kMenuPrivateRoom[] = "私人房间";
inline constexpr char kMenuPublicRoom[] = "公共房间";
inline constexpr char kMobileAddressFormat[] = "http://%s/IOS.html";
inline constexpr char kAdvertisementPath[] = "/clientad/promo.html";
// The league chooser looks at no more lines than this.
inline constexpr std::size_t kLeagueChooserLines = 100;

inline constexpr int kAsianHandicapPage = 1;
inline constexpr int kOverUnderPage = 2;
inline constexpr int kInPlayPage = 3;
inline constexpr int kParlayPage = 4;
inline constexpr int kBankerMarketsPage = 5;
inline constexpr int kOutrightPage = 6;
inline constexpr int kOtherGamesPage = 7;

enum class HallRoom { kPublic, kPrivate };

// What a cell of a hall's list holds: text, or one of the pictures of the cell image list.
enum class CellKind { kText, kBetButton, kHistoryButton, kTrendButton, kMoreButton };

// Whether the price in a cell moved since the previous refresh.
enum class PriceMove { kNone, kUp, kDown };

struct HallColumn {
  const char* title;
  std::array<int, 3> widths;  // pixels in Skin size modes 0, 1 and 2
  CellKind kind = CellKind::kText;
  bool bet_cell = false;  // a click here opens a ticket
};

struct HallServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::FramePort& frame;
  ports::ShellPort& shell;
  ports::HallWindowsPort& windows;
  ports::StakeWindowPort& stake_window;
  ports::BetConfirmationPort& bet_confirmation;
};

// The in-play button of every page: with the in-play web mode on, the frozen check, the web token
// and the "走地" window, then page 1; otherwise page 3.
void press_in_play_button(protocol::Session& session, ports::MessagePort& messages, ports::FramePort& frame,
                          ports::HallWindowsPort& windows);

// What every market hall shares: the grouped list and its expansion memory, the refresh flow, the
// league chooser, the room state and its commands, the page buttons and the in-play check. Each
// hall adds its columns, its data request and what a click on its cells does.
class HallModel {
 public:
  explicit HallModel(HallServices services);
  virtual ~HallModel();
  HallModel(const HallModel&) = delete;
  HallModel& operator=(const HallModel&) = delete;

  virtual int page() const = 0;
  virtual const std::vector<HallColumn>& columns() const = 0;
  // The number of lines held and one cell's text; a line no longer held shows an empty text.
  virtual std::size_t line_count() const = 0;
  virtual std::string cell_text(std::size_t line, int column) const = 0;
  // A column's title as shown: a price column's names the odds format when it is not decimal.
  std::string column_title(int column) const;
  virtual bool has_league_chooser() const { return true; }

  void set_view(ports::HallViewPort* view) { view_ = view; }

  const HallList& list() const { return list_; }
  void set_expanded(std::size_t group, bool expanded) { list_.set_expanded(group, expanded); }
  const std::string& empty_text() const { return empty_text_; }
  std::string location_text() const;
  std::vector<std::string> context_menu() const;
  HallRoom room() const { return room_; }
  bool league_filter_active() const { return filtered_; }
  PriceMove price_move(std::size_t line, int column) const;

  // The first refresh of a new hall.
  void open() { refresh(); }
  // The refresh command and button: filtered or full as the league chooser left it.
  void refresh() { run_refresh(filtered_); }
  // The Main window's periodic refresh: always every league.
  void timed_refresh() { run_refresh(false); }

  // "全部联赛", then the distinct leagues of the first lines in the order they first occur.
  std::vector<std::string> league_choices() const;
  void choose_league(const std::string& league);

  // A click on a cell (0x506); bet cells run the ticket, picture cells their windows.
  void click(std::size_t line, int column);

  void private_room_command();
  void switch_room(HallRoom wanted);
  // The page came on show: follows the room that the user is in.
  void became_visible();

  // A page button: the go-to-page message, the in-play check first for page 3.
  void page_button(int page);
  void in_play_button();
  void mobile_button();
  void records_button();
  void results_button();
  std::string advertisement_address() const;

 protected:
  // Fetches the hall's lines into a holding place; the held lines stay until commit_fetched().
  virtual protocol::Outcome fetch(bool filtered) = 0;
  virtual void commit_fetched() = 0;
  virtual void clear_lines() = 0;
  virtual std::string group_key(std::size_t line) const = 0;
  virtual std::string league_of(std::size_t line) const = 0;
  // Bet cells and the history and trend pictures; nothing by default.
  virtual void bet_click(std::size_t line, int column);
  virtual void history_click(std::size_t line);
  virtual void trend_click(std::size_t line);
  virtual void more_click(std::size_t line);
  // After a refresh that replaced the lines.
  virtual void refreshed() {}
  // The selection and net price a cell shows, for marking moved prices.
  virtual std::optional<std::pair<int, double>> cell_price(std::size_t line, int column) const;
  virtual bool fetches_balance() const { return true; }
  virtual std::string public_location() const = 0;
  virtual std::string private_location_prefix() const = 0;
  // Whether the private location line ends with the room's name.
  virtual bool shows_room_name() const { return true; }
  virtual const char* private_room_refusal() const { return kPrivateRoomRefused; }

  HallServices& services() { return services_; }
  const HallServices& services() const { return services_; }
  void show(const std::string& text);
  // A net price in the odds format of the lines shown.
  std::string odds_text(double net_price) const;
  net::OddsFormat odds_format() const { return odds_format_; }

 private:
  void run_refresh(bool filtered);
  void post_room();
  void remember_prices();

  HallServices services_;
  ports::HallViewPort* view_ = nullptr;
  HallList list_;
  std::string empty_text_ = kNoMarketsText;
  HallRoom room_ = HallRoom::kPublic;
  bool filtered_ = false;
  std::unordered_map<int, double> previous_prices_;  // by selection number, as of the last refresh
  // The bettor's choice as of the last refresh: a new choice reaches cells, titles and the location
  // line together, with the next refresh.
  net::OddsFormat odds_format_ = net::OddsFormat::kDecimal;
};

}  // namespace brindle::betting
