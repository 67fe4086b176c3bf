#include "cli/notation_commands.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <optional>
#include <ostream>
#include <string_view>
#include <system_error>

#include "core/betting/asian_explanation.h"
#include "core/betting/basketball_explanation.h"
#include "core/betting/totals_explanation.h"
#include "core/notation/bet_choice.h"
#include "core/notation/chinese_numeral.h"
#include "core/notation/currency_name.h"
#include "core/notation/decimal_text.h"
#include "core/notation/handicap_notation.h"
#include "core/notation/market_kind.h"
#include "core/notation/odds_text.h"
#include "core/notation/parlay_type.h"
#include "core/notation/price_balance.h"
#include "core/notation/result_name.h"
#include "core/notation/totals_notation.h"

namespace brindle::cli {

namespace {

constexpr int kUsageError = 2;

// The words of one command after its name, read strictly: a word that is not wholly a number of
// the asked type is refused rather than read as 0.
class Words final {
 public:
  Words(const std::vector<std::string>& args, std::ostream& err) : args_(args), err_(err) {}

  std::optional<int> integer(std::size_t i, std::string_view what) const {
    const std::string& word = args_[i];
    int value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || ec != std::errc{} || end != word.data() + word.size()) {
      err_ << "brindle-cli: " << what << " must be an integer, not \"" << word << "\"\n";
      return std::nullopt;
    }
    return value;
  }

  std::optional<double> real(std::size_t i, std::string_view what) const {
    const std::string& word = args_[i];
    double value = 0.0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || ec != std::errc{} || end != word.data() + word.size() || !std::isfinite(value)) {
      err_ << "brindle-cli: " << what << " must be a number, not \"" << word << "\"\n";
      return std::nullopt;
    }
    return value;
  }

  std::optional<bool> flag(std::size_t i, std::string_view what) const {
    const std::string& word = args_[i];
    if (word == "0") return false;
    if (word == "1") return true;
    err_ << "brindle-cli: " << what << " must be 0 or 1, not \"" << word << "\"\n";
    return std::nullopt;
  }

  std::optional<notation::HandicapSide> side(std::size_t i) const {
    const std::string& word = args_[i];
    if (word == "A") return notation::HandicapSide::kGiving;
    if (word == "B") return notation::HandicapSide::kReceiving;
    err_ << "brindle-cli: SIDE must be A or B, not \"" << word << "\"\n";
    return std::nullopt;
  }

  const std::string& text(std::size_t i) const { return args_[i]; }

 private:
  const std::vector<std::string>& args_;
  std::ostream& err_;
};

struct Command final {
  std::string_view name;
  std::string_view operands;  // for the usage line
  std::size_t operand_count;
  // The text to print, or nothing when an operand was refused (the reason is already on err).
  std::function<std::optional<std::string>(const Words&)> run;
};

template <typename... T>
bool all(const std::optional<T>&... values) {
  return (values.has_value() && ...);
}

const std::vector<Command>& notation_commands() {
  static const std::vector<Command> commands = {
      {"handicap", "LINE_KIND CODE", 2,
       [](const Words& w) -> std::optional<std::string> {
         const auto kind = w.integer(0, "LINE_KIND");
         const auto code = w.integer(1, "CODE");
         if (!all(kind, code)) return std::nullopt;
         return notation::handicap_name(*kind, *code);
       }},
      {"totals", "CODE", 1,
       [](const Words& w) -> std::optional<std::string> {
         const auto code = w.integer(0, "CODE");
         if (!code) return std::nullopt;
         return notation::totals_text_with_side(*code);
       }},
      {"totals-line", "CODE", 1,
       [](const Words& w) -> std::optional<std::string> {
         const auto code = w.integer(0, "CODE");
         if (!code) return std::nullopt;
         return notation::totals_line_text(*code);
       }},
      {"odds", "PRICE", 1,
       [](const Words& w) -> std::optional<std::string> {
         const auto price = w.real(0, "PRICE");
         if (!price) return std::nullopt;
         return notation::displayed_odds(*price);
       }},
      {"numeral", "N", 1,
       [](const Words& w) -> std::optional<std::string> {
         const auto n = w.integer(0, "N");
         if (!n) return std::nullopt;
         return notation::chinese_numeral(*n);
       }},
      {"choice", "KIND_FLAG CHOICE LINE_KIND", 3,
       [](const Words& w) -> std::optional<std::string> {
         const auto kind = w.integer(0, "KIND_FLAG");
         const auto choice = w.integer(1, "CHOICE");
         const auto line_kind = w.integer(2, "LINE_KIND");
         if (!all(kind, choice, line_kind)) return std::nullopt;
         return notation::bet_choice_text(*kind, *choice, *line_kind);
       }},
      {"market", "KIND_FLAG", 1,
       [](const Words& w) -> std::optional<std::string> {
         const auto kind = w.integer(0, "KIND_FLAG");
         if (!kind) return std::nullopt;
         return notation::market_kind_name(*kind);
       }},
      {"result", "CODE FLAG", 2,
       [](const Words& w) -> std::optional<std::string> {
         const auto code = w.integer(0, "CODE");
         const auto other_side = w.flag(1, "FLAG");
         if (!all(code, other_side)) return std::nullopt;
         return notation::result_name(*code, *other_side);
       }},
      {"currency", "CODE CHINESE_FLAG", 2,
       [](const Words& w) -> std::optional<std::string> {
         const auto code = w.integer(0, "CODE");
         const auto chinese = w.flag(1, "CHINESE_FLAG");
         if (!all(code, chinese)) return std::nullopt;
         return notation::currency_name(*code, *chinese);
       }},
      {"combinations", "N MASK", 2,
       [](const Words& w) -> std::optional<std::string> {
         const auto n = w.integer(0, "N");
         const auto mask = w.integer(1, "MASK");
         if (!all(n, mask)) return std::nullopt;
         return std::to_string(notation::combination_count(*n, *mask));
       }},
      {"parlay", "N MASK", 2,
       [](const Words& w) -> std::optional<std::string> {
         const auto n = w.integer(0, "N");
         const auto mask = w.integer(1, "MASK");
         if (!all(n, mask)) return std::nullopt;
         return notation::parlay_type_name(*n, *mask);
       }},
      {"balance", "TARGET P Q", 3,
       [](const Words& w) -> std::optional<std::string> {
         const auto target = w.integer(0, "TARGET");
         const auto p = w.real(1, "P");
         const auto q = w.real(2, "Q");
         if (!all(target, p, q)) return std::nullopt;
         const auto balanced = notation::balance_prices(*target, *p, *q);
         return notation::fixed_decimal(balanced.first, 6) + " " +
                notation::fixed_decimal(balanced.second, 6);
       }},
  };
  return commands;
}

const std::vector<Command>& explain_commands() {
  static const std::vector<Command> commands = {
      {"asian", "CODE A B PRICE SIDE", 5,
       [](const Words& w) -> std::optional<std::string> {
         const auto code = w.integer(0, "CODE");
         const auto price = w.real(3, "PRICE");
         const auto side = w.side(4);
         if (!all(code, price, side)) return std::nullopt;
         return betting::asian_handicap_explanation(*code, w.text(1), w.text(2), *price, *side);
       }},
      {"basketball", "CODE A B PRICE SIDE", 5,
       [](const Words& w) -> std::optional<std::string> {
         const auto code = w.integer(0, "CODE");
         const auto price = w.real(3, "PRICE");
         const auto side = w.side(4);
         if (!all(code, price, side)) return std::nullopt;
         return betting::basketball_handicap_explanation(*code, w.text(1), w.text(2), *price, *side);
       }},
      {"totals", "CODE LINE_KIND PRICE", 3,
       [](const Words& w) -> std::optional<std::string> {
         const auto code = w.integer(0, "CODE");
         const auto line_kind = w.integer(1, "LINE_KIND");
         const auto price = w.real(2, "PRICE");
         if (!all(code, line_kind, price)) return std::nullopt;
         return betting::totals_explanation(*code, *line_kind, *price);
       }},
  };
  return commands;
}

void print_usage(std::string_view group, const std::vector<Command>& commands, std::ostream& err) {
  err << "usage:";
  for (const Command& command : commands) {
    err << "\n  brindle-cli " << group << ' ' << command.name << ' ' << command.operands;
  }
  err << '\n';
}

int run(std::string_view group, const std::vector<Command>& commands, const std::vector<std::string>& args,
        std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    print_usage(group, commands, err);
    return kUsageError;
  }
  for (const Command& command : commands) {
    if (args.front() != command.name) continue;
    if (args.size() - 1 != command.operand_count) {
      err << "usage: brindle-cli " << group << ' ' << command.name << ' ' << command.operands << '\n';
      return kUsageError;
    }
    const std::vector<std::string> operands(args.begin() + 1, args.end());
    const std::optional<std::string> text = command.run(Words(operands, err));
    if (!text) {
      err << "usage: brindle-cli " << group << ' ' << command.name << ' ' << command.operands << '\n';
      return kUsageError;
    }
    out << *text << '\n';
    return 0;
  }
  err << "brindle-cli: unknown " << group << " command \"" << args.front() << "\"\n";
  print_usage(group, commands, err);
  return kUsageError;
}

}  // namespace

int run_notation_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return run("notation", notation_commands(), args, out, err);
}

int run_explain_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return run("explain", explain_commands(), args, out, err);
}

}  // namespace brindle::cli
