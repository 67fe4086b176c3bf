#pragma once

#include <string>
#include <string_view>

#include "core/net/client_context.h"

namespace brindle::app {

inline constexpr char kAccountPanelFormat[] = "%s帐户彩金：%.2f%s\n冻结帐户彩金：%.2f%s";

// A name of 11 characters or more is cut to its first 8 and "...": the panel is narrow.
std::string account_panel_name(std::string_view utf8_name);

// The account panel: name, balance and frozen amount with the currency's name; empty for a visitor.
std::string account_panel_text(const net::ClientContext& context);

}  // namespace brindle::app
