#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/matchinfo/other_games.h"
#include "core/net/client_context.h"
#include "core/ports/window_message.h"

namespace brindle::net {
class Transport;
}

namespace brindle::ports {
class MainWindowView;
class MessagePort;
class ProgressSink;
class ShellPort;
}  // namespace brindle::ports

namespace brindle::app {

struct CommandEntry;

inline constexpr int kPageCount = 8;  // 0 is the home page, 1–7 the hall pages
inline constexpr int kInPlayPage = 3;
inline constexpr unsigned kInformationTicks = 600;
inline constexpr char kInPlayCountdownFormat[] = " 您现在的位置：走地盘 (剩余刷新时间：%d 秒)";
inline constexpr char kWelcomeFormat[] =
    "欢迎%s光临澜川国际体育                                     "
    "进入盘口界面后点击+号可打开相应盘口，点击-号将卷起相应盘口";
inline constexpr char kBankClientNotice[] = "请安装招行专业版客户端汇款！";
inline constexpr char kPrivateRoomsRefused[] = "您现在不能使用私人房间！";
using matchinfo::kProgramStartFailed;  // the game buttons of page 7 show it too

// The seconds the in-play page shows until the next timed refresh.
std::string in_play_countdown_text(int asia_refresh_period, unsigned refresh_counter);
// The running line when the server has no latest information.
std::string welcome_text(const std::string& user_name);

struct MainWindowServices {
  net::ClientContext& context;
  net::Transport& transport;
  ports::ProgressSink& progress;
  ports::MessagePort& messages;
  ports::ShellPort& shell;
  ports::MainWindowView& view;
};

// Everything the Main window decides: what each button and menu command does, which page shows,
// the account panel, the one-second timer and the messages other windows send it.
class MainWindowModel final {
 public:
  explicit MainWindowModel(MainWindowServices services);

  // The window's opening: buttons gated by the Login mode, account panel, refresh periods, page 1.
  void open(bool private_room);
  void click(int control);
  void menu_command(int command);
  // One second of the main timer.
  void tick();
  void handle(ports::WindowMessage message, int first = 0, int second = 0);
  void switch_page(int page, int argument = 0);
  // The periodic refresh: the account figures, and the page on show refreshes itself.
  void refresh();
  // The exit command: true when the window may close.
  bool confirm_exit();

  std::optional<int> current_page() const { return current_page_; }
  unsigned tick_counter() const { return tick_counter_; }
  unsigned refresh_counter() const { return refresh_counter_; }
  int cash_out_mode() const { return cash_out_mode_; }
  bool show_toggled() const { return show_toggled_; }

 private:
  void perform(const CommandEntry& entry, int control);
  void rebuild_account_panel();
  void refresh_account();
  void show_second_information(bool fetch);
  void fetch_latest_information();
  int refresh_period() const;
  bool hall_showing() const { return current_page_ && *current_page_ >= 1; }

  MainWindowServices services_;
  std::optional<int> current_page_;  // none until the first switch, so that it always acts
  std::array<bool, kPageCount> created_{};
  unsigned tick_counter_ = 0;
  unsigned refresh_counter_ = 0;
  int cash_out_mode_ = 0;
  bool show_toggled_ = false;
};

}  // namespace brindle::app
