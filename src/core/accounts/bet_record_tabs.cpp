#include "core/accounts/bet_record_tabs.h"

#include <cstdio>
#include <span>

#include "core/accounts/query_range.h"
#include "core/notation/odds_format.h"
#include "core/notation/parlay_type.h"

namespace brindle::accounts {
namespace {

using protocol::BankerBetRecord;
using protocol::GroupedBetRecord;
using protocol::OpenedMarketRecord;
using protocol::SingleBetRecord;
using Row = std::vector<std::string>;

constexpr const char* kTabTexts[kRecordTabCount] = {"未结单式",   "已结单式",  "未结万事盘", "已结万事盘",
                                                    "未结开盘",   "已结开盘",  "未结过关",   "已结过关",
                                                    "未结总冠军", "已结总冠军"};
constexpr const char* kPrintTitles[kRecordTabCount] = {
    "未结算单式投注记录",     "已结算单式投注记录",    "未结算万事盘投注记录", "已结算万事盘投注记录",
    "未结算开盘记录",         "已结算开盘记录",        "未结算过关投注记录",   "已结算过关投注记录",
    "未结算私人房间投注记录", "已结算私人房间投注记录"};
constexpr char kOutrightMarketText[] = "总冠军/指数";
// The titles of the columns that show prices: a price column, or content that ends in "@ price".
constexpr char kOddsTitle[] = "赔率";
constexpr char kContentTitle[] = "投注内容";

std::string money(double amount) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", amount);
  return text;
}

std::string odds(double net_price, notation::OddsFormat format) {
  if (format != notation::OddsFormat::kDecimal) return notation::odds_text(net_price, format);
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", net_price + 1.0);
  return text;
}

std::string serial(int number) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10d", number);
  return text;
}

std::string match_text(const std::string& home, const std::string& away) { return home + " vs " + away; }

std::string bet_content(const std::string& selection, double net_price, notation::OddsFormat format) {
  return selection + " @ " + odds(net_price, format);
}

std::string with_cancel(double stake, double cancelled) {
  return money(stake) + "(" + money(cancelled) + ")";
}

// The first record of each run sharing a key: one row per opened market or parlay.
template <typename Record, typename Key>
std::vector<std::size_t> run_starts(const std::vector<Record>& records, Key key) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i == 0 || key(records[i]) != key(records[i - 1])) starts.push_back(i);
  }
  return starts;
}

// The records of the run that starts at `first`.
template <typename Record, typename Key>
std::span<const Record> run_at(const std::vector<Record>& records, std::size_t first, Key key) {
  std::size_t end = first + 1;
  while (end < records.size() && key(records[end]) == key(records[first])) ++end;
  return std::span<const Record>(records).subspan(first, end - first);
}

int market_key(const OpenedMarketRecord& r) { return r.open_market_number; }
int group_key(const GroupedBetRecord& r) { return r.group_number; }

const std::vector<OpenedMarketRecord>& opened_of(int tab, const RecordLists& lists) {
  return tab == 4 ? lists.unsettled_opened : lists.settled_opened;
}
const std::vector<GroupedBetRecord>& parlays_of(int tab, const RecordLists& lists) {
  return tab == 6 ? lists.unsettled_parlays : lists.settled_parlays;
}

// Sums of the positive and of the other win-or-loss values.
struct WinLoss {
  double won = 0.0;
  double lost = 0.0;
  void add(double amount) { (amount > 0 ? won : lost) += amount; }
};

std::string count_and_total(std::size_t count, double total) {
  char text[160];
  std::snprintf(text, sizeof text, "共%zu笔投注，总资金：%.2f。", count, total);
  return text;
}

std::string count_and_result(const char* noun, std::size_t count, const WinLoss& sums) {
  char text[200];
  std::snprintf(text, sizeof text, "共%zu%s，盈利：%.2f，亏损：%.2f。", count, noun, sums.won, sums.lost);
  return text;
}

void single_rows(int tab, const std::vector<SingleBetRecord>& records, notation::OddsFormat format,
                 ports::PrintableList& out) {
  double stakes = 0.0;
  WinLoss sums;
  for (const auto& r : records) {
    if (r.leg_count != 1) continue;  // a parlay leg travels with the singles but is not one
    const std::string match = match_text(r.home_team, r.away_team);
    const std::string content = bet_content(r.selection_text, r.price, format);
    if (tab == 0) {
      out.rows.push_back({match, r.market_name, content, money(r.stake), r.bet_time, r.bet_place,
                          serial(r.serial_number), protocol::unsettled_status_text(r.status)});
      stakes += r.stake;
    } else {
      out.rows.push_back({match, r.final_score, r.market_name, content, money(r.stake), r.bet_time,
                          r.bet_place, money(r.win_loss), protocol::settled_status_text(r.status),
                          serial(r.serial_number)});
      sums.add(r.win_loss);
    }
  }
  if (out.rows.empty()) return;
  out.summary.push_back(tab == 0 ? count_and_total(records.size(), stakes)
                                 : count_and_result("笔投注", records.size(), sums));
}

void banker_bet_rows(int tab, const std::vector<BankerBetRecord>& records, notation::OddsFormat format,
                     ports::PrintableList& out) {
  double stakes = 0.0;
  WinLoss sums;
  for (const auto& r : records) {
    const std::string match = match_text(r.home_team, r.away_team);
    if (tab == 2) {
      out.rows.push_back({match, r.choice_text, r.market_name, odds(r.price, format), money(r.stake),
                          r.bet_time, r.banker_name, r.serial_number});
      stakes += r.stake;
    } else {
      out.rows.push_back({match, r.choice_text, r.market_name, r.final_score, odds(r.price, format),
                          money(r.stake), r.bet_time, r.banker_name, money(r.win_loss),
                          protocol::settled_status_text(r.status), r.serial_number});
      sums.add(r.win_loss);
    }
  }
  if (out.rows.empty()) return;
  out.summary.push_back(tab == 2 ? count_and_total(records.size(), stakes)
                                 : count_and_result("笔投注", records.size(), sums));
}

void opened_market_rows(int tab, const std::vector<OpenedMarketRecord>& records, ports::PrintableList& out) {
  double occupied = 0.0;
  WinLoss sums;
  for (const std::size_t first : run_starts(records, market_key)) {
    const auto& r = records[first];
    const std::string match = match_text(r.home_team, r.away_team);
    if (tab == 4) {
      out.rows.push_back({match, r.market_name, with_cancel(r.banker_stake, r.cancelled_amount), r.open_time,
                          serial(r.open_market_number), kDetailText});
      occupied += r.banker_stake - r.cancelled_amount;
    } else {
      double result = 0.0;
      for (const auto& bet : run_at(records, first, market_key)) result += bet.banker_win_loss;
      out.rows.push_back({match, r.market_name, r.final_score,
                          with_cancel(r.banker_stake, r.cancelled_amount), r.open_time, money(result),
                          serial(r.open_market_number), kDetailText});
      sums.add(result);
    }
  }
  if (out.rows.empty()) return;
  if (tab == 4) {
    char text[160];
    std::snprintf(text, sizeof text, "共%zu场开盘，占用资金：%.2f。", out.rows.size(), occupied);
    out.summary.push_back(text);
  } else {
    out.summary.push_back(count_and_result("场开盘", out.rows.size(), sums));
  }
}

void parlay_rows(int tab, const std::vector<GroupedBetRecord>& records, ports::PrintableList& out) {
  double occupied = 0.0;
  WinLoss sums;
  for (const std::size_t first : run_starts(records, group_key)) {
    const auto& r = records[first];
    const std::string type = notation::parlay_type_name(r.leg_count, r.combination_mask);
    if (tab == 6) {
      out.rows.push_back({"", std::to_string(r.leg_count), type, money(r.stake), r.bet_time, r.bet_place,
                          serial(r.group_number), kDetailText});
      occupied += static_cast<double>(notation::combination_count(r.leg_count, r.combination_mask)) * r.stake;
    } else {
      out.rows.push_back({"", std::to_string(r.leg_count), type, money(r.stake), r.bet_time, r.bet_place,
                          money(r.win_loss), serial(r.group_number), protocol::settled_status_text(r.status),
                          kDetailText});
      sums.add(r.win_loss);  // the group's result, carried by every leg, counts once
    }
  }
  if (out.rows.empty()) return;
  if (tab == 6) {
    char text[160];
    std::snprintf(text, sizeof text, "共%zu笔投注，占用资金：%.2f。", out.rows.size(), occupied);
    out.summary.push_back(text);
  } else {
    out.summary.push_back(count_and_result("笔投注", out.rows.size(), sums));
  }
}

// Outright legs carry the event's name and the selection's name where a match has its teams; the
// parser's market name and selection text (built as for a match) mean nothing here. A settled
// outright shows "取消" when it was cancelled, as every other settled kind does, never "有效".
void outright_rows(int tab, const std::vector<GroupedBetRecord>& records, notation::OddsFormat format,
                   ports::PrintableList& out) {
  double stakes = 0.0;
  WinLoss sums;
  for (const auto& r : records) {
    if (r.leg_count != 1) continue;
    const std::string content = bet_content(r.away_team, r.price, format);
    if (tab == 8) {
      out.rows.push_back({r.home_team, kOutrightMarketText, content, money(r.stake), r.bet_time, r.bet_place,
                          serial(r.group_number), r.status == 1 ? "取消" : "成功"});
      stakes += r.stake;
    } else {
      out.rows.push_back({r.home_team, r.leg_result, kOutrightMarketText, content, money(r.stake), r.bet_time,
                          r.bet_place, money(r.win_loss), protocol::settled_status_text(r.status),
                          serial(r.group_number)});
      sums.add(r.win_loss);
    }
  }
  if (out.rows.empty()) return;
  out.summary.push_back(tab == 8 ? count_and_total(records.size(), stakes)
                                 : count_and_result("笔投注", records.size(), sums));
}

}  // namespace

std::string record_tab_text(int tab) { return tab >= 0 && tab < kRecordTabCount ? kTabTexts[tab] : ""; }

namespace {

std::vector<ports::ListColumn> record_columns_of(int tab) {
  switch (tab) {
    case 0:
    case 8:
      return {{"比赛", 130},     {"类型", 85},     {"投注内容", 170}, {"彩金", 65},
              {"投注时间", 120}, {"投注地点", 60}, {"流水号", 70},    {"状态", 60}};
    case 1:
      return {{"比赛", 140},     {"比分", 45},     {"类型", 80}, {"投注内容", 200}, {"彩金", 65},
              {"投注时间", 105}, {"投注地点", 60}, {"盈亏", 65}, {"状态", 50},      {"流水号", 75}};
    case 9:
      return {{"比赛", 140},     {"成绩", 45},     {"类型", 80}, {"投注内容", 200}, {"彩金", 65},
              {"投注时间", 105}, {"投注地点", 60}, {"盈亏", 65}, {"状态", 50},      {"流水号", 75}};
    case 2:
      return {{"比赛", 140}, {"庄家盘口", 75},  {"类型", 90}, {"赔率", 50},
              {"彩金", 70},  {"投注时间", 115}, {"庄家", 80}, {"流水号", 75}};
    case 3:
      return {{"比赛", 140},     {"庄家盘口", 75}, {"类型", 80}, {"比分", 40}, {"赔率", 60},  {"彩金", 70},
              {"投注时间", 115}, {"庄家", 70},     {"盈亏", 70}, {"状态", 50}, {"流水号", 75}};
    case 4:
      return {{"比赛", 160},     {"类型", 100},  {"开盘彩金(撤单彩金)", 120},
              {"开盘时间", 130}, {"流水号", 90}, {"详细", 70}};
    case 5:
      return {{"比赛", 160},     {"类型", 80}, {"比分", 60},   {"开盘彩金(撤单彩金)", 120},
              {"开盘时间", 110}, {"盈亏", 80}, {"流水号", 80}, {"详细", 60}};
    case 6:
      return {{"", 0},           {"场数", 60},     {"串类型", 90},  {"单注彩金", 90},
              {"投注时间", 120}, {"投注地点", 90}, {"流水号", 110}, {"详细", 70}};
    case 7:
      return {{"", 0},          {"场数", 45}, {"串类型", 90}, {"单注彩金", 70}, {"投注时间", 120},
              {"投注地点", 90}, {"盈亏", 90}, {"流水号", 90}, {"状态", 50},     {"详细", 70}};
    default:
      return {};
  }
}

}  // namespace

std::vector<ports::ListColumn> record_columns(int tab, notation::OddsFormat format) {
  auto columns = record_columns_of(tab);
  for (auto& column : columns) {
    if (column.title == kOddsTitle || column.title == kContentTitle) {
      column.title = notation::odds_title(column.title, format);
    }
  }
  return columns;
}

std::string records_print_title(int tab, const protocol::DateRange& range, const wire::CivilDateTime& today) {
  if (tab < 0 || tab >= kRecordTabCount) return "";
  const std::string dates =
      record_tab_has_range(tab) ? slash_date(range.start) + " - " + slash_date(range.end) : slash_date(today);
  return std::string(kPrintTitles[tab]) + "(" + dates + ")";
}

ports::PrintableList records_list(int tab, const RecordLists& lists, const protocol::DateRange& range,
                                  const wire::CivilDateTime& today, notation::OddsFormat format) {
  ports::PrintableList out;
  out.title = records_print_title(tab, range, today);
  out.columns = record_columns(tab, format);
  switch (tab) {
    case 0:
      single_rows(tab, lists.unsettled_singles, format, out);
      break;
    case 1:
      single_rows(tab, lists.settled_singles, format, out);
      break;
    case 2:
      banker_bet_rows(tab, lists.unsettled_banker_bets, format, out);
      break;
    case 3:
      banker_bet_rows(tab, lists.settled_banker_bets, format, out);
      break;
    case 4:
    case 5:
      opened_market_rows(tab, opened_of(tab, lists), out);
      break;
    case 6:
    case 7:
      parlay_rows(tab, parlays_of(tab, lists), out);
      break;
    case 8:
      outright_rows(tab, lists.unsettled_outrights, format, out);
      break;
    case 9:
      outright_rows(tab, lists.settled_outrights, format, out);
      break;
    default:
      break;
  }
  return out;
}

std::optional<ports::PrintableList> record_detail(int tab, const RecordLists& lists, std::size_t row,
                                                  notation::OddsFormat format) {
  if (!record_tab_has_details(tab)) return std::nullopt;
  ports::PrintableList out;
  if (tab == 4 || tab == 5) {
    const auto& records = opened_of(tab, lists);
    const auto starts = run_starts(records, market_key);
    if (row >= starts.size()) return std::nullopt;
    const auto& market = records[starts[row]];
    out.title = match_text(market.home_team, market.away_team) + " " + market.market_name + " 详细清单";
    out.columns = {{"比赛", 160}, {"投注对象", 105}, {"让球(分)", 90}, {"彩金", 80}, {"投注时间", 120}};
    if (tab == 5) out.columns.push_back({"结算时间", 120});
    out.columns.push_back({"投注人", 70});
    // The bet lines carry the side and the stake taken; the line is part of the side's text and the
    // bettor is not sent, so those cells stay empty.
    for (const auto& bet : run_at(records, starts[row], market_key)) {
      Row cells{match_text(bet.home_team, bet.away_team), bet.choice_text, "", money(bet.amount1),
                bet.bet_time};
      if (tab == 5) cells.push_back("");
      cells.push_back("");
      out.rows.push_back(std::move(cells));
    }
    return out;
  }
  const auto& records = parlays_of(tab, lists);
  const auto starts = run_starts(records, group_key);
  if (row >= starts.size()) return std::nullopt;
  const auto& group = records[starts[row]];
  out.title = notation::parlay_type_name(group.leg_count, group.combination_mask) + " 详细清单";
  out.columns = {
      {"比赛", 160}, {"类型", 100}, {"投注内容", 170}, {notation::odds_title(kOddsTitle, format), 60}};
  if (tab == 7) out.columns.push_back({"赛果", 80});
  for (const auto& leg : run_at(records, starts[row], group_key)) {
    Row cells{match_text(leg.home_team, leg.away_team), leg.market_name, leg.selection_text,
              odds(leg.price, format)};
    if (tab == 7) cells.push_back(leg.leg_result);
    out.rows.push_back(std::move(cells));
  }
  return out;
}

std::optional<OpenedMarket> opened_market_of_row(const RecordLists& lists, std::size_t row) {
  const auto starts = run_starts(lists.unsettled_opened, market_key);
  if (row >= starts.size()) return std::nullopt;
  const auto& r = lists.unsettled_opened[starts[row]];
  return OpenedMarket{match_text(r.home_team, r.away_team), r.market_name, r.open_market_number};
}

}  // namespace brindle::accounts
