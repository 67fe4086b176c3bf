#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace brindle::app {

inline constexpr char kApplicationId[] = "{7A7C285B-2042-4792-A13C-6E30E7581A0D}";
inline constexpr char kAppIdKey[] = "HKCR\\AppID\\{7A7C285B-2042-4792-A13C-6E30E7581A0D}";
inline constexpr char kProgramKey[] = "HKCR\\Vantora.EXE\\AppID";
inline constexpr char kRegistrationFileName[] = "registration.ini";

// Where the component registration lives on this system: a small file of "key=value" lines, one
// per registered value, in the client's state folder.
class RegistrationStore final {
 public:
  explicit RegistrationStore(std::filesystem::path file) : file_(std::move(file)) {}

  // Writes the AppID entry and the program's entry naming it.
  bool register_server() const;
  // Removes the program's entry; the AppID entry is never removed.
  bool unregister_server() const;

  // What is registered now; empty when the file is missing.
  std::map<std::string, std::string> entries() const;

 private:
  bool save(const std::map<std::string, std::string>& entries) const;
  std::filesystem::path file_;
};

}  // namespace brindle::app
