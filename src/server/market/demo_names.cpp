#include "server/market/demo_names.h"

#include <array>

namespace brindle::server::market {
namespace {

constexpr std::array kLeagues{
    DemoLeague{"华夏足球超级联赛", Sport::football, false, true},
    DemoLeague{"东海甲级联赛", Sport::football, false, true},
    DemoLeague{"南洋职业联赛", Sport::football, false, true},
    DemoLeague{"亚陆冠军杯", Sport::football, false, true},
    DemoLeague{"环宇国际友谊赛", Sport::football, true, false},
    DemoLeague{"华夏篮球联赛", Sport::basketball, false, true},
    DemoLeague{"环太平洋篮球联赛", Sport::basketball, false, false},
};

constexpr std::array<std::string_view, 24> kPlaces{
    "青岚", "云川", "临渊", "望海", "北辰", "南屿", "澜港", "龙湾", "星港", "金川", "白石", "赤岭",
    "松原", "碧潭", "霁月", "苍梧", "翠屏", "凌霄", "镜湖", "落霞", "栖凤", "玉泉", "沧澜", "远山"};

constexpr std::array<std::string_view, 12> kFootballNicknames{"飞鹰", "猛狮", "海燕", "铁骑", "雷霆", "翔龙",
                                                              "白鹭", "火凤", "青松", "流星", "战狼", "蓝鲸"};

constexpr std::array<std::string_view, 8> kBasketballNicknames{"猎豹", "飓风", "神鹰", "巨犀",
                                                               "烈焰", "金刚", "闪电", "奔马"};

}  // namespace

std::span<const DemoLeague> demo_leagues() { return kLeagues; }

std::vector<std::string> demo_team_names(std::size_t league_index, std::size_t count) {
  const bool basketball = kLeagues[league_index % kLeagues.size()].sport == Sport::basketball;
  const std::span<const std::string_view> nicknames =
      basketball ? std::span<const std::string_view>(kBasketballNicknames)
                 : std::span<const std::string_view>(kFootballNicknames);
  // Each league walks the places from its own start with a nickname of its own; past the last
  // place it takes a second nickname that no other league uses, so two leagues' names never meet.
  std::vector<std::string> names;
  names.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t lap = i / kPlaces.size();
    const std::string_view place = kPlaces[(league_index * 5 + i) % kPlaces.size()];
    const std::string_view nickname = nicknames[(league_index + 5 * lap) % nicknames.size()];
    std::string name = std::string(place) + std::string(nickname);
    if (lap > 1) name += std::to_string(lap) + "队";
    names.push_back(std::move(name));
  }
  return names;
}

}  // namespace brindle::server::market
