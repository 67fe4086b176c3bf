#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "server/market/market_model.h"
#include "wire/result.h"

namespace brindle::server::storage {
class Database;
}

namespace brindle::server::market {

struct EncodedLists;  // the pre-encoded reply rows, market/reply_rows.h

// Everything the market knows at one moment, read from the database at once. Immutable: handlers
// keep the shared pointer for the length of one request.
class MarketSnapshot final {
 public:
  std::int64_t version = 0;       // the database's market version this was read at
  std::int64_t clock_offset = 0;  // seconds the market clock runs ahead of real time
  std::vector<League> leagues;
  std::vector<Match> matches;  // by kick-off, then number
  std::vector<Line> lines;     // by match, market type and side, as the lists send them
  std::vector<OutrightEvent> events;
  std::vector<OutrightSelection> outright_selections;  // by event, type and place
  std::shared_ptr<const EncodedLists> encoded;

  // Builds the lookups and the encoded rows; called once after the vectors are filled.
  void index();

  const Match* find_match(MatchId id) const;
  const OutrightEvent* find_event(MatchId id) const;
  const Line* find_line(SelectionId id) const;
  const OutrightSelection* find_outright_selection(SelectionId id) const;
  // The lines of one match, in list order; empty for an unknown match.
  std::vector<const Line*> lines_of(MatchId id) const;

 private:
  std::unordered_map<MatchId, std::size_t> match_at_;
  std::unordered_map<MatchId, std::size_t> event_at_;
  std::unordered_map<SelectionId, std::size_t> line_at_;
  std::unordered_map<SelectionId, std::size_t> outright_at_;
  std::unordered_map<MatchId, std::pair<std::size_t, std::size_t>> match_lines_;  // first, count
};

// What a bet needs to know about one selection at the moment it is taken.
struct Quote {
  SelectionId selection_id = 0;
  MatchId match_id = 0;  // the match, or the outright event
  bool outright = false;
  MarketType type = MarketType::asian_handicap;
  int line_code = 0;
  int price_milli = 0;
  int price_sum_target = 0;
  int line_kind = kFootballLineKind;
  Score score;              // the running score when quoted: in-play handicap bets count goals after it
  bool open = false;        // bets may be taken on it now
  std::string closed_text;  // when not open, why, in the words to show the user
};

// Refusal texts of a quote that is not open.
inline constexpr std::string_view kMatchStartedText = "比赛已经开始，该盘口已停止投注！";
inline constexpr std::string_view kMatchFinishedText = "比赛已经结束，该盘口已关闭！";
inline constexpr std::string_view kLineSuspendedText = "盘口暂停投注，请稍后再试！";
inline constexpr std::string_view kLineClosedText = "盘口已关闭！";
inline constexpr std::string_view kNotInPlayText = "赛程暂时关闭！";
inline constexpr std::string_view kEventClosedText = "赛事已关闭！";
inline constexpr std::string_view kSelectionDisabledText = "该选项暂停投注！";

// Called once a match or outright event has its result (the clock finished it or an operator
// posted it). Delivery is at least once: a failure, or a crash before the notice is recorded as
// delivered, brings the same number again later, so the handler must be idempotent.
using MatchFinishedHandler = std::function<Result<void>(MatchId)>;

struct MarketOptions {
  bool peak_period = false;
  // How often the feed thread moves the clock and looks for changes that other processes (admin
  // commands) wrote.
  std::chrono::milliseconds poll_interval{1000};
  // Whether the server starts the feed thread; tests that move the clock themselves leave it off.
  bool run_feed = true;
  // How this server is named where the clock's holder is recorded ("host:port pid").
  std::string node = "brindle-server";
};

// The in-memory, thread-safe view of the market that the handlers read. The database is the
// record; the snapshot is replaced whenever the market version there changes.
class Market final {
 public:
  // Reads the first snapshot; the feed thread starts with start().
  static Result<std::shared_ptr<Market>> open(std::shared_ptr<storage::Database> db,
                                              MarketOptions options = {});

  Market(const Market&) = delete;
  Market& operator=(const Market&) = delete;
  ~Market();

  std::shared_ptr<const MarketSnapshot> snapshot() const;

  // Market clock: real time plus the offset that `advance` commands added.
  std::int64_t now() const;

  // The selection as a bet would take it now; nothing for an unknown number.
  std::optional<Quote> quote(SelectionId id) const;
  std::optional<Match> match(MatchId id) const;
  std::optional<OutrightEvent> event(MatchId id) const;
  // Seconds an in-play bet on this match and kind waits before it is judged; nothing for a match
  // that is not in play or a kind that is not in-play.
  std::optional<int> acceptance_delay(MatchId id, MarketType type) const;

  bool peak_period() const { return peak_period_.load(); }
  void set_peak_period(bool on) { peak_period_.store(on); }

  // Replaces the handler; the feed thread calls it outside any database transaction.
  void set_on_match_finished(MatchFinishedHandler handler);

  // One feed step: moves every match to the market clock's now, delivers finished-match notices,
  // and reloads the snapshot when the database changed. The feed thread calls it every poll
  // interval; tests call it directly.
  Result<void> tick();
  // Reloads the snapshot if the market version changed (cheap when it did not).
  Result<void> refresh();

  // Starts and stops the feed thread; stop() is idempotent and the destructor calls it. Of several
  // servers sharing one database, only the one whose feed thread holds the market clock's lock
  // (kMarketClockLock) moves the clock and settles; the others' threads only follow the database,
  // and one of them takes over within a poll interval or two once the holder dies or lets go.
  void start();
  void stop();
  // Whether this server's feed thread holds the market clock now.
  bool holds_clock() const { return holds_clock_.load(); }

 private:
  Market(std::shared_ptr<storage::Database> db, MarketOptions options);
  Result<void> reload();

  std::shared_ptr<storage::Database> db_;
  MarketOptions options_;
  std::atomic<bool> peak_period_;
  std::atomic<bool> holds_clock_ = false;
  mutable std::mutex snapshot_mutex_;
  std::shared_ptr<const MarketSnapshot> snapshot_;
  std::mutex handler_mutex_;
  MatchFinishedHandler on_finished_;
  std::mutex tick_mutex_;  // one feed step at a time
  std::mutex thread_mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace brindle::server::market
