// Arbitrary bytes as a settings file, with a section, a key and a value taken from the front of
// the input. Reading never fails; a key that is set reads back as it would from a file holding
// nothing else, and setting it changes no other key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/net/settings_file.h"
#include "wire/gbk.h"

using brindle::net::profile_value;
using brindle::net::with_profile_value;

namespace {

// A name or value from the input: its length from one byte, its text decoded from GBK so that
// Chinese names occur as often as in real files.
std::string take(std::string_view& input, std::size_t length_byte) {
  const std::size_t length = length_byte % 16 < input.size() ? length_byte % 16 : input.size();
  std::string text = brindle::wire::gbk_to_utf8(input.substr(0, length));
  input.remove_prefix(length);
  return text;
}

// Names match ignoring the case of ASCII letters.
bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::string_view input(reinterpret_cast<const char*>(data + 4), size - 4);
  const std::string section = take(input, data[0]);
  const std::string key = take(input, data[1]);
  const std::string value = take(input, data[2]);
  const std::string other_key = take(input, data[3]);
  const std::string_view file = input;

  const std::optional<std::string> before = profile_value(file, section, key);
  const std::optional<std::string> other_before = profile_value(file, section, other_key);
  if (before && brindle::wire::gbk_byte_length(*before) > 259) std::abort();

  const std::optional<std::string> written = with_profile_value(file, section, key, value);
  if (!written) {
    // Refused names are refused whatever the file holds.
    if (with_profile_value("", section, key, value)) std::abort();
    return 0;
  }
  const std::optional<std::string> alone =
      profile_value(*with_profile_value("", section, key, value), section, key);
  if (!alone || profile_value(*written, section, key) != alone) std::abort();

  // Another key of the same section is unchanged; the same key in another case reads the new value.
  const std::optional<std::string> other_after = profile_value(*written, section, other_key);
  if (other_after != (same_name(key, other_key) ? alone : other_before)) std::abort();
  return 0;
}
