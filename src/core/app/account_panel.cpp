#include "core/app/account_panel.h"

#include <cstdio>
#include <vector>

#include "core/notation/currency_name.h"

namespace brindle::app {

namespace {

constexpr std::size_t kLongName = 11;  // characters
constexpr std::size_t kShortenedName = 8;

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string account_panel_name(std::string_view utf8_name) {
  // Characters, not bytes: a Chinese name must never be cut inside a character.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < utf8_name.size(); ++i) {
    if (!is_continuation(utf8_name[i])) starts.push_back(i);
  }
  if (starts.size() < kLongName) return std::string(utf8_name);
  return std::string(utf8_name.substr(0, starts[kShortenedName])) + "...";
}

std::string account_panel_text(const net::ClientContext& context) {
  if (context.login_mode == net::kLoginModeVisitor) return {};
  const std::string name = account_panel_name(context.user_name);
  const std::string currency = notation::currency_name(context.currency_code, true);
  const int size = std::snprintf(nullptr, 0, kAccountPanelFormat, name.c_str(), context.balance,
                                 currency.c_str(), context.frozen_amount, currency.c_str());
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), kAccountPanelFormat, name.c_str(), context.balance,
                currency.c_str(), context.frozen_amount, currency.c_str());
  text.resize(static_cast<std::size_t>(size));
  return text;
}

}  // namespace brindle::app
