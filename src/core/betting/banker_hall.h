#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/betting/hall_model.h"
#include "core/betting/single_ticket.h"
#include "core/protocol/market_records.h"

namespace brindle::betting {

inline constexpr char kBankerLocation[] = " 您现在的位置：对战万事盘";
inline constexpr char kBankerHint[] = "选中左边的盘口类别，点击刷新按钮或右键刷新获取该盘口最新数据。";
inline constexpr char kMenuOpenMarket[] = "我要开盘";
inline constexpr int kBankerKindCount = 5;
// A leaf's key: kind index + group number × this.
inline constexpr int kBankerGroupStride = 65536;

struct BankerKind {
  int flag;
  int list_code;
  const char* name;
};
inline constexpr std::array<BankerKind, kBankerKindCount> kBankerKinds{{
    {1, 1, "胜平负盘"},
    {2, 3, "大小球盘"},
    {4, 2, "比分盘"},
    {8, 6, "篮球大小分"},
    {16, 7, "篮球单双数"},
}};

struct BankerColumn {
  const char* title;
  int width;
};
inline constexpr std::array<BankerColumn, 6> kBankerColumns{{
    {"时间", 150},
    {"庄家", 160},
    {"赔率", 160},
    {"庄家彩金", 160},
    {"可接彩金", 160},
    {"投注", 140},
}};
inline constexpr int kBankerOddsColumn = 2;
inline constexpr int kBankerBetColumn = 5;

// One item of the category tree: a kind (level 1, carries its flag), a day and league, a match, or
// a choice (level 4, carries the key of its offers).
struct BankerTreeItem {
  std::string text;
  int flag = 0;
  int key = -1;
  bool expanded = false;
  bool selected = false;
  std::vector<BankerTreeItem> children;
};

// Puts `fresh` in place of `shown`, matching items by text level by level: a match keeps its
// expansion and selection and takes the fresh key and children; the rest comes and goes with
// `fresh`.
void merge_tree_items(std::vector<BankerTreeItem>& shown, std::vector<BankerTreeItem> fresh);

// The subtree (levels 2–4) of a kind's groups, in reply order.
std::vector<BankerTreeItem> banker_subtree(std::size_t kind_index,
                                           const std::vector<protocol::BankerMarketGroup>& groups);

// A path of child indices from the top level.
using TreePath = std::vector<std::size_t>;

struct BankerHallServices {
  HallServices hall;
  // The open-market window at once, with the tab of a kind flag (0: the first); nothing when unset.
  std::function<void(int initial_kind_flag)> open_market;
  // The same after its notice.
  std::function<void(int initial_kind_flag)> open_market_with_notice;
};

// Page 5: the bankers' offers by kind, day and league, match and choice; a row's "投注" takes one.
class BankerHall {
 public:
  explicit BankerHall(BankerHallServices services);

  // Observers of the tree and list, for a view.
  std::function<void()> tree_changed;
  std::function<void()> offers_changed;

  const std::vector<BankerTreeItem>& tree() const { return tree_; }
  const BankerTreeItem* item(const TreePath& path) const;
  std::optional<TreePath> selected_path() const;
  const std::vector<protocol::BankerMarketRow>& offers() const { return offers_; }
  std::string cell_text(std::size_t row, int column) const;
  bool loaded(std::size_t kind_index) const { return loaded_[kind_index]; }
  std::string location_text() const;
  // The list's titles; the price column's names the odds format when it is not decimal.
  std::string column_title(std::size_t column) const;
  std::vector<std::string> context_menu() const;
  // The hall's own button (the against images) shows only where bets may be taken.
  bool own_button_visible() const;
  // The kind flag of the top-level item above the selection; 0 without one.
  int selected_kind_flag() const;

  // The page and function buttons the market halls share (records, results, other pages); the
  // page's own page button opens a market instead.
  HallModel& buttons() { return *buttons_; }

  // The five kind items, the first selected and loaded.
  void open();
  void select(const TreePath& path);
  void set_expanded(const TreePath& path, bool expanded);
  // "刷新数据" and the refresh button: the selected item's kind again.
  void refresh();
  void load(std::size_t kind_index);
  void menu_command(const std::string& command);
  // A click on a cell of the offer list.
  void click(std::size_t row, int column);
  void own_button();
  void page_button();

 private:
  BankerTreeItem* mutable_item(const TreePath& path);
  void fill_offers();

  BankerHallServices services_;
  TicketServices ticket_;
  // The bettor's odds format as of the last offers filled: cells, titles and location change together.
  net::OddsFormat odds_format_ = net::OddsFormat::kDecimal;
  std::unique_ptr<HallModel> buttons_;
  std::vector<BankerTreeItem> tree_;
  std::array<bool, kBankerKindCount> loaded_{};
  std::map<std::pair<int, int>, std::vector<protocol::BankerMarketRow>> store_;  // (flag, key)
  std::vector<protocol::BankerMarketRow> offers_;
  int offers_flag_ = 0;
};

}  // namespace brindle::betting
