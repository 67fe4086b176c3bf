#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol/history_records.h"
#include "core/protocol/session.h"

namespace brindle::matchinfo {

// The three tabs of "历史战绩", in tab order.
enum class HistoryTab { kRecentSix = 0, kHomeAway = 1, kHeadToHead = 2 };
inline constexpr int kHistoryTabCount = 3;
inline constexpr std::array<std::string_view, kHistoryTabCount> kHistoryTabTitles = {
    "近六场比赛", "近三个主（客）场比赛", "历史交锋"};

struct HistoryColumn {
  std::string_view title;
  int width = 0;
};
inline constexpr std::array<HistoryColumn, 6> kHistoryColumns = {
    {{"比赛时间", 160}, {"比赛名称", 160}, {"比分", 60}, {"让球", 100}, {"赔率", 80}, {"盘路", 60}}};

// One shown row: a text per column.
using HistoryRow = std::array<std::string, kHistoryColumns.size()>;

// The captions of a tab; the lower list is hidden on the head-to-head tab.
struct TabCaptions {
  std::string upper;
  std::string lower;
  bool lower_shown = true;
};
TabCaptions tab_captions(HistoryTab tab, const std::string& home, const std::string& away);

// A past match of `team` on the first two tabs, home side first; `home_away_tab` drops the "受让"
// prefix on a level handicap.
HistoryRow history_row(const protocol::HistoryItem& item, const std::string& team, int line_kind,
                       bool home_away_tab);
HistoryRow head_to_head_row(const protocol::HeadToHeadItem& item, int line_kind);

// What one tab shows.
struct HistoryTabView {
  TabCaptions captions;
  std::vector<HistoryRow> upper;
  std::vector<HistoryRow> lower;
  std::vector<std::string> failures;  // the server's words for each request that failed
};

// The data of one "历史战绩" window: each request goes out the first time its tab is opened, and
// what came back (or the failure, which leaves that list empty) is kept while the window lives.
class MatchHistory final {
 public:
  MatchHistory(protocol::Session& session, int match_number, std::string home, std::string away,
               int line_kind);

  // The tab's view, fetching on the first call for it. The failures are reported once, on that call.
  const HistoryTabView& open_tab(HistoryTab tab);
  bool fetched(HistoryTab tab) const { return fetched_[static_cast<std::size_t>(tab)]; }

 private:
  std::vector<HistoryRow> fetch_team(HistoryTab tab, bool home_team, std::vector<std::string>& failures);

  protocol::Session& session_;
  int match_number_;
  std::string home_;
  std::string away_;
  int line_kind_;
  std::array<bool, kHistoryTabCount> fetched_{};
  std::array<HistoryTabView, kHistoryTabCount> views_;
};

}  // namespace brindle::matchinfo
