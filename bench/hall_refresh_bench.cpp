// A hall refresh on a long list: 2,000 Asian handicap matches parsed from GBK reply lines, the
// hall's groups rebuilt with the user's expansion kept, and the offscreen list updated and drawn.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/betting/asian_handicap_hall.h"
#include "core/net/client_context.h"
#include "core/net/transport.h"
#include "core/ports/bet_confirmation_port.h"
#include "core/ports/frame_port.h"
#include "core/ports/hall_windows_port.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "core/ports/shell_port.h"
#include "core/ports/stake_window_port.h"
#include "core/protocol/session.h"
#include "gui/betting/hall_item_model.h"
#include "gui/betting/hall_page.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;

constexpr int kMatches = 2000;
constexpr int kLeagues = 61;  // prime to the three days: 183 groups

// Answers the market list with the prepared lines and the balance request with one line.
class ListTransport final : public net::Transport {
 public:
  explicit ListTransport(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  Result<std::vector<std::string>> exchange(const net::HttpExchange& exchange,
                                            ports::ProgressSink&) override {
    if (exchange.body.find("txtSubjectID=4012") != std::string::npos) {
      return std::vector<std::string>{"1|ok|0|0|1000|1|0"};
    }
    return lines_;
  }

 private:
  std::vector<std::string> lines_;
};

std::vector<std::string> market_lines() {
  std::vector<std::string> utf8{"1|ok|0"};
  for (int m = 1; m <= kMatches; ++m) {
    const std::string league = "联赛" + std::to_string(m % kLeagues);
    const std::string day = std::to_string(45352 + m % 3) + ".75";
    utf8.push_back(std::to_string(m) + "|0|" + league + "|" + day + "|0|主队" + std::to_string(m) + "|客队" +
                   std::to_string(m) + "|" + std::to_string(m % 7 == 0) + "|0");
    const int code = 1 + m % 9;
    const bool away_gives = m % 4 == 0;
    const int flagged = away_gives ? 1000 + code : code;
    utf8.push_back(std::to_string(m) + "|0|0|" + std::to_string(2 * m) + "|" +
                   std::to_string(away_gives ? -flagged : flagged) + "|0.93|190|0|0");
    utf8.push_back(std::to_string(m) + "|0|0|" + std::to_string(2 * m + 1) + "|" +
                   std::to_string(away_gives ? flagged : -flagged) + "|0.97|190|0|0");
  }
  std::vector<std::string> gbk;
  gbk.reserve(utf8.size());
  for (const auto& line : utf8) gbk.push_back(wire::utf8_to_gbk(line));
  return gbk;
}

struct Quiet final : ports::MessagePort,
                     ports::FramePort,
                     ports::ShellPort,
                     ports::HallWindowsPort,
                     ports::StakeWindowPort,
                     ports::BetConfirmationPort {
  int show_message(const std::string&, bool) override { return ok; }
  void post(ports::WindowMessage, int, int) override {}
  void open_address(const std::string&) override {}
  bool file_exists(const std::string&) override { return false; }
  bool start_program(const std::string&) override { return false; }
  void open_bet_records() override {}
  void open_results() override {}
  void open_match_history(int, const std::string&, const std::string&, int) override {}
  void open_odds_trend(const ports::OddsTrend&) override {}
  bool choose_private_room() override { return false; }
  void open_in_play_web(const std::string&) override {}
  std::optional<std::string> ask_stake(const ports::StakeWindowContent&, const std::string&,
                                       const std::function<bool(const std::string&)>&) override {
    return std::nullopt;
  }
  bool confirm_bet(const ports::BetConfirmation&) override { return false; }
};

void BM_AsianHandicapHallRefresh(benchmark::State& state) {
  ListTransport transport(market_lines());
  ports::SilentProgress progress;
  net::ClientContext context;
  context.current_server = "127.0.0.1:1";
  context.currency_code = 1;
  protocol::Session session{transport, progress, context};
  Quiet quiet;
  auto hall = std::make_unique<betting::AsianHandicapHall>(
      betting::HallServices{session, quiet, quiet, quiet, quiet, quiet, quiet});
  gui::HallPage page(std::move(hall), {{}, 0, false});
  page.resize(1010, 565);
  page.show();
  page.open();
  // The user has folded every third group: a refresh must keep that.
  for (int g = 0; g < page.model()->rowCount(); g += 3) page.list()->collapse(page.model()->index(g, 0));
  QCoreApplication::processEvents();

  for (auto _ : state) {
    page.hall().refresh();
    QCoreApplication::processEvents();
    page.list()->viewport()->repaint();
  }
  state.counters["rows"] = static_cast<double>(page.hall().line_count());
  state.counters["groups"] = page.model()->rowCount();
}
BENCHMARK(BM_AsianHandicapHallRefresh)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
