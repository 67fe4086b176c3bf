#include "core/betting/hall_list.h"

#include <unordered_map>
#include <unordered_set>

namespace brindle::betting {

std::string hall_group_key(std::string_view kick_off_date, std::string_view league) {
  std::string key;
  key.reserve(kick_off_date.size() + 4 + league.size());
  key.append(kick_off_date).append("    ").append(league);
  return key;
}

void HallList::rebuild(std::size_t count, const std::function<std::string(std::size_t)>& key_of) {
  std::unordered_set<std::string> expanded;
  for (auto& g : groups_) {
    if (g.expanded) expanded.insert(std::move(g.key));
  }
  const bool first_load = !loaded_;
  groups_.clear();
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t line = 0; line < count; ++line) {
    std::string key = key_of(line);
    auto [at, inserted] = index.try_emplace(key, groups_.size());
    if (inserted) {
      const bool open = first_load || expanded.contains(key);
      groups_.push_back(HallGroup{std::move(key), {}, open});
    }
    groups_[at->second].lines.push_back(line);
  }
  line_count_ = count;
  // An empty first reply does not use up the first load: the first groups to arrive all open.
  loaded_ = loaded_ || !groups_.empty();
}

void HallList::set_expanded(std::size_t group, bool expanded) {
  if (group < groups_.size()) groups_[group].expanded = expanded;
}

void HallList::set_all_expanded(bool expanded) {
  for (auto& g : groups_) g.expanded = expanded;
}

}  // namespace brindle::betting
