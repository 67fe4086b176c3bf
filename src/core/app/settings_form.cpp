#include "core/app/settings_form.h"

#include "core/app/settings.h"

namespace brindle::app {

SettingsFormView settings_form_open(net::ClientContext& context) {
  timer_load(context);
  settings_load(context);
  SettingsFormView view;
  view.refresh_period = context.asia_refresh_period;
  for (std::size_t i = 0; i < context.server_list.size(); ++i) {
    view.servers.push_back(context.server_list[i].text);
    if (context.server_list[i].text == context.chosen_server) view.selected = static_cast<int>(i);
  }
  view.server_text = context.chosen_server;
  return view;
}

std::optional<SettingsFormRefusal> settings_form_confirm(net::ClientContext& context, int refresh_period,
                                                         const std::string& server_text) {
  if (refresh_period < kAsiaTimerMinimum) return SettingsFormRefusal{kRefreshPeriodTooShortText};
  set_current_server(context, server_text);
  set_asia_refresh_period(context, refresh_period);
  return std::nullopt;
}

}  // namespace brindle::app
