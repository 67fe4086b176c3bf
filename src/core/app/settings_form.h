#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/net/client_context.h"

namespace brindle::app {

inline constexpr char kSettingsWindowTitle[] = "系统设置";
inline constexpr char kRefreshPeriodTooShortText[] = "自动刷新时间不能小于60秒!";
// What the period box is reset to after a refused period.
inline constexpr int kRefreshPeriodSuggestion = 300;
inline constexpr char kOddsFormatLabel[] = "赔率显示：";
inline constexpr char kOddsFormatNote[] = "(只改变赔率的显示方式)";

struct SettingsFormView {
  int refresh_period = 0;
  std::vector<std::string> servers;
  int selected = -1;  // the last entry equal to the chosen server
  std::string server_text;
  std::vector<net::OddsFormat> odds_formats;   // the box's entries, decimal first
  std::vector<std::string> odds_format_texts;  // "欧洲盘", …
  int odds_format_index = 0;                   // the context's format
};

// Opening the Settings window: timer load and settings load.
SettingsFormView settings_form_open(net::ClientContext& context);

struct SettingsFormRefusal {
  std::string message;
  int refresh_period = kRefreshPeriodSuggestion;  // put back into the box
};

// "确认": writes the server, the period and the odds format (when one is given) and lets the window
// close, or refuses a period below 60 and writes nothing.
std::optional<SettingsFormRefusal> settings_form_confirm(net::ClientContext& context, int refresh_period,
                                                         const std::string& server_text,
                                                         std::optional<net::OddsFormat> odds_format = {});

}  // namespace brindle::app
