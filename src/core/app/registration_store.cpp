#include "core/app/registration_store.h"

#include <fstream>
#include <string>

#include "core/net/settings_file.h"

namespace brindle::app {

std::map<std::string, std::string> RegistrationStore::entries() const {
  std::map<std::string, std::string> out;
  std::ifstream in(file_);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    out[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return out;
}

bool RegistrationStore::save(const std::map<std::string, std::string>& entries) const {
  std::string text;
  for (const auto& [key, value] : entries) text += key + "=" + value + "\n";
  return net::replace_file_atomically(file_, text);
}

bool RegistrationStore::register_server() const {
  auto current = entries();
  current[kAppIdKey] = "Vantora";
  current[kProgramKey] = kApplicationId;
  return save(current);
}

bool RegistrationStore::unregister_server() const {
  auto current = entries();
  current.erase(kProgramKey);
  return save(current);
}

}  // namespace brindle::app
