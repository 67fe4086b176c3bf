#include "core/app/settings_form.h"

#include "core/net/settings.h"
#include "core/notation/odds_format.h"

namespace brindle::app {

SettingsFormView settings_form_open(net::ClientContext& context) {
  net::timer_load(context);
  net::settings_load(context);
  SettingsFormView view;
  view.refresh_period = context.asia_refresh_period;
  for (std::size_t i = 0; i < context.server_list.size(); ++i) {
    view.servers.push_back(context.server_list[i].text);
    if (context.server_list[i].text == context.chosen_server) view.selected = static_cast<int>(i);
  }
  view.server_text = context.chosen_server;
  view.odds_formats = {net::OddsFormat::kDecimal, net::OddsFormat::kHongKong, net::OddsFormat::kMalay,
                       net::OddsFormat::kIndonesian};
  for (std::size_t i = 0; i < view.odds_formats.size(); ++i) {
    view.odds_format_texts.emplace_back(notation::odds_format_label(view.odds_formats[i]));
    if (view.odds_formats[i] == context.odds_format) view.odds_format_index = static_cast<int>(i);
  }
  return view;
}

std::optional<SettingsFormRefusal> settings_form_confirm(net::ClientContext& context, int refresh_period,
                                                         const std::string& server_text,
                                                         std::optional<net::OddsFormat> odds_format) {
  if (refresh_period < net::kAsiaTimerMinimum) return SettingsFormRefusal{kRefreshPeriodTooShortText};
  net::set_current_server(context, server_text);
  net::set_asia_refresh_period(context, refresh_period);
  if (odds_format) net::set_odds_format(context, *odds_format);
  return std::nullopt;
}

}  // namespace brindle::app
