#include "core/app/command_line_switches.h"

#include <cctype>

namespace brindle::app {

namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::string command_line_text(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) {
    if (!text.empty()) text += ' ';
    text += argument;
  }
  return text;
}

RegistrationSwitch find_registration_switch(std::string_view command_line) {
  for (std::size_t at = command_line.find_first_of("-/"); at != std::string_view::npos;
       at = command_line.find_first_of("-/", at + 1)) {
    const std::string_view rest = command_line.substr(at + 1);
    if (equal_ignoring_case(rest, "UnregServer")) return RegistrationSwitch::unregister_server;
    if (equal_ignoring_case(rest, "RegServer")) return RegistrationSwitch::register_server;
  }
  return RegistrationSwitch::none;
}

bool asks_to_run_embedded(const std::vector<std::string>& arguments) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument.size() < 2 || (argument.front() != '-' && argument.front() != '/')) continue;
    const std::string_view name = argument.substr(1);
    if (equal_ignoring_case(name, "Embedding") || equal_ignoring_case(name, "Automation")) return true;
  }
  return false;
}

}  // namespace brindle::app
