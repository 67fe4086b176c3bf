#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>

namespace brindle::server {

// What was wrong with a command line that app refused, in the server's own words: "unknown option
// '--x'", "--x needs a value", "--x takes no value", "--x is required", or a check's own message.
inline std::string parse_problem(const CLI::ParseError& error, const CLI::App& app) {
  const std::string what = error.what();
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    const auto rest = app.remaining();
    if (rest.empty()) return what;
    const std::string& first = rest.front();
    return (first.starts_with('-') ? "unknown option '" : "unexpected argument '") + first + "'";
  }
  const auto colon = what.find(": ");
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    if (const auto at = what.find(" was given a disallowed flag override"); at != std::string::npos) {
      const std::string name = what.substr(0, at);
      return (name.starts_with('-') ? name : "--" + name) + " takes no value";
    }
    if (colon != std::string::npos && what.ends_with(" missing"))
      return what.substr(0, colon) + " needs a value";
  }
  // A check's message stands on its own; CLI11 puts the option's name before it.
  if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr && colon != std::string::npos)
    return what.substr(colon + 2);
  return what;
}

}  // namespace brindle::server
