#include "core/app/startup_flow.h"

#include <cstdio>

#include "core/app/command_line_switches.h"
#include "core/app/registration_store.h"
#include "core/app/upgrade_log.h"
#include "core/messages/customer_service.h"
#include "core/net/latest_information.h"
#include "core/net/login_request.h"
#include "core/net/member_details.h"
#include "core/net/proxy.h"
#include "core/net/request.h"
#include "core/net/server_lists.h"
#include "core/net/settings.h"
#include "core/net/transport.h"
#include "core/net/version_check.h"
#include "core/ports/login_window_port.h"
#include "core/ports/main_window_port.h"
#include "core/ports/message_port.h"
#include "core/ports/process_launcher.h"
#include "core/ports/splash_port.h"
#include "core/protocol/rooms_messages.h"
#include "core/protocol/session.h"

namespace brindle::app {

std::string program_directory_text(const net::ClientContext& context) {
  std::string text = context.program_directory.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::filesystem::path skin_folder(const net::ClientContext& context) {
  switch (context.skin_size_mode) {
    case 1:
      return context.program_directory / "skin" / "800";
    case 2:
      return context.program_directory / "skin" / "900";
    default:
      return context.program_directory / "skin";
  }
}

UpgraderLaunch upgrader_launch(const net::ClientContext& context) {
  const std::string directory = program_directory_text(context);
  const int length =
      std::snprintf(nullptr, 0, kUpgraderAddress, context.current_server.c_str(), directory.c_str());
  std::string argument(static_cast<std::size_t>(length), '\0');
  std::snprintf(argument.data(), argument.size() + 1, kUpgraderAddress, context.current_server.c_str(),
                directory.c_str());
  return {directory + kUpgraderName, argument};
}

StartupFlow::StartupFlow(net::ClientContext& context, net::Transport& transport, StartupPorts ports,
                         StartupEnvironment environment)
    : context_(context), transport_(transport), ports_(ports), environment_(std::move(environment)) {}

StartupOutcome StartupFlow::run() {
  instance_ = InstanceMarker::create(kInstanceMarkerName, environment_.instance_marker_folder);

  const RegistrationStore registration(context_.state_folder() / kRegistrationFileName);
  switch (find_registration_switch(command_line_text(environment_.arguments))) {
    case RegistrationSwitch::unregister_server:
      registration.unregister_server();
      return StartupOutcome::unregistered;
    case RegistrationSwitch::register_server:
      registration.register_server();
      return StartupOutcome::registered;
    case RegistrationSwitch::none:
      break;
  }
  if (asks_to_run_embedded(environment_.arguments)) return StartupOutcome::stay_up;

  ports_.splash.show(skin_folder(context_) / kSplashBitmapName);
  complete_upgrade();

  switch (sign_in_loop()) {
    case SignIn::cancelled:
      return StartupOutcome::cancelled;
    case SignIn::upgrade_started:
      return StartupOutcome::upgrade_started;
    case SignIn::upgrade_failed:
      return StartupOutcome::upgrade_failed;
    case SignIn::signed_in:
      break;
  }
  ports_.main_window.run(private_room_);
  return StartupOutcome::main_window_closed;
}

void StartupFlow::complete_upgrade() {
  // The upgrader never works in a folder the user cannot write, so nothing there is left to finish.
  if (!context_.program_directory_writable) return;
  UpgradeLog log(context_.program_directory);
  if (complete_pending_upgrade(log, ports_.messages))
    net::write_settings_version(context_, log.contents.header.version);
}

StartupFlow::SignIn StartupFlow::sign_in_loop() {
  bool show_login = true;
  std::string candidate;
  std::size_t next_entry = 0;
  ports::LoginChoice choice;

  for (;;) {
    if (show_login) {
      auto chosen = ports_.login.run();
      if (!chosen) {
        ports_.splash.hide();
        return SignIn::cancelled;
      }
      choice = std::move(*chosen);
      candidate = choice.server;
    }
    net::set_current_server(context_, candidate);

    net::VersionCheckResult versions;
    std::string error;
    if (!net::version_check(context_, transport_, ports_.progress, versions, error)) {
      if (context_.user_proxy ||
          ports_.messages.show_message(error + kProxyQuestionSuffix, true) == ports::MessagePort::ok) {
        net::automatic_proxy_choice(context_, transport_, ports_.progress, environment_.fallback_hosts);
      }
      show_login = !show_login;
      if (!show_login) {
        // The Login window was shown in this pass: retry once by itself with another server.
        net::settings_load(context_);
        if (next_entry < context_.server_list.size()) {
          candidate = context_.server_list[next_entry++].text;
        } else {
          std::string fetch_error;
          if (net::server_list_fetch(context_, transport_, ports_.progress, fetch_error,
                                     environment_.fallback_hosts)) {
            net::settings_load(context_);
            next_entry = 0;
            if (!context_.server_list.empty()) {
              candidate = context_.server_list.front().text;
              next_entry = 1;
            }
          }
        }
        continue;
      }
      ports_.messages.show_message(error + kCheckNetworkSuffix, false);
      ports_.login.clear_entries();
      continue;
    }

    if (versions.server_version != versions.local_version) {
      // An upgrade that stopped says why once, and this start goes on with the version at hand
      // rather than handing over again to an upgrade that cannot finish.
      if (!context_.program_directory_writable) {
        ports_.messages.show_message(kUpgradeByPackageManagerText, false);
      } else if (auto failure = take_upgrade_failure(context_.program_directory)) {
        ports_.messages.show_message(*failure, false);
      } else if (const UpgraderLaunch launch = upgrader_launch(context_);
                 !ports_.launcher.can_start(launch.program)) {
        ports_.messages.show_message(kUpgraderMissingText, false);
      } else {
        ports_.messages.show_message(kNewVersionText, false);
        ports_.splash.hide();
        if (ports_.launcher.start_detached(launch.program, {launch.argument})) return SignIn::upgrade_started;
        ports_.messages.show_message(kUpgraderFailedText, false);
        return SignIn::upgrade_failed;
      }
    }

    if (choice.visitor) {
      context_.login_mode = net::kLoginModeVisitor;
      private_room_ = choice.private_room;
      return SignIn::signed_in;
    }

    net::LoginReply reply;
    if (net::login_request(context_, transport_, ports_.progress, choice.user_name, choice.password,
                           net::kLoginRequestModeMember, environment_.network_card_address, reply, error)) {
      after_login(reply.new_messages);
      private_room_ = choice.private_room;
      return SignIn::signed_in;
    }
    ports_.login.clear_entries();
    ports_.messages.show_message(error, false);
    show_login = true;
  }
}

void StartupFlow::after_login(int new_messages) {
  if (new_messages != 0) {
    protocol::Session session{transport_, ports_.progress, context_};
    std::vector<protocol::PrivateMessage> list;
    const auto fetched = protocol::fetch_private_messages(session, list);
    if (!fetched) {
      ports_.messages.show_message(fetched.error(), false);
    } else if (!list.empty() && ports_.customer_service != nullptr) {
      ports_.customer_service->run_with(std::move(list));
    }
  }
  // Neither failure keeps the user out: the Main window shows what it has.
  std::string error;
  net::member_details_request(context_, transport_, ports_.progress, error);
  net::latest_information_request(context_, transport_, ports_.progress, error);
}

}  // namespace brindle::app
