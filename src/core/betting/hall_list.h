#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::betting {

// The group key of a hall line: its kick-off date, four blanks and its league.
std::string hall_group_key(std::string_view kick_off_date, std::string_view league);

// One group of a hall's list: the lines that share a key, in reply order.
struct HallGroup {
  std::string key;
  std::vector<std::size_t> lines;  // indices into the hall's held lines
  bool expanded = false;
};

// The grouped list of a hall and the user's expansion of it. Groups keep the order in which their
// first line arrived; a rebuild keeps expanded exactly the groups that were expanded before, and
// on the very first rebuild expands them all.
class HallList final {
 public:
  // Regroups `count` lines whose keys `key_of` gives.
  void rebuild(std::size_t count, const std::function<std::string(std::size_t)>& key_of);

  const std::vector<HallGroup>& groups() const { return groups_; }
  std::size_t line_count() const { return line_count_; }
  void set_expanded(std::size_t group, bool expanded);
  void set_all_expanded(bool expanded);
  bool loaded() const { return loaded_; }

 private:
  std::vector<HallGroup> groups_;
  std::size_t line_count_ = 0;
  bool loaded_ = false;
};

}  // namespace brindle::betting
