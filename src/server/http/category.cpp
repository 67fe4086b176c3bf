#include "server/http/category.h"

#include <array>
#include <cstddef>

namespace brindle::server {
namespace {

struct SubjectRange {
  int first;
  int last;
  RequestCategory category;
};

using enum RequestCategory;

// The client's own table: a SubjectID must arrive under the category the client would choose for it.
constexpr std::array kRanges{
    SubjectRange{1001, 1005, acquire},   SubjectRange{11002, 11002, acquire},
    SubjectRange{13002, 13002, acquire},

    SubjectRange{2001, 2014, update},    SubjectRange{2016, 2016, update},
    SubjectRange{2018, 2022, update},    SubjectRange{12001, 12003, update},
    SubjectRange{12007, 12007, update},  SubjectRange{12010, 12010, update},
    SubjectRange{12014, 12015, update},

    SubjectRange{3001, 3012, trans},     SubjectRange{3016, 3016, trans},
    SubjectRange{3018, 3018, trans},     SubjectRange{3020, 3020, trans},
    SubjectRange{3022, 3022, trans},     SubjectRange{3030, 3033, trans},
    SubjectRange{3050, 3050, trans},     SubjectRange{13001, 13001, trans},
    SubjectRange{13008, 13011, trans},

    SubjectRange{4001, 4032, query},     SubjectRange{4037, 4038, query},
    SubjectRange{4040, 4040, query},     SubjectRange{4050, 4051, query},
    SubjectRange{4054, 4054, query},     SubjectRange{4061, 4061, query},
    SubjectRange{4070, 4070, query},     SubjectRange{5001, 5002, query},
    SubjectRange{14001, 14005, query},   SubjectRange{14011, 14011, query},
    SubjectRange{14016, 14017, query},   SubjectRange{14022, 14030, query},
    SubjectRange{14032, 14038, query},
};

constexpr std::array<std::string_view, 4> kNames{"DATA_ACQUIRE", "DATA_UPDATE", "DATA_TRANS", "DATA_QUERY"};

}  // namespace

std::optional<RequestCategory> category_of(int subject_id) {
  for (const auto& range : kRanges) {
    if (subject_id >= range.first && subject_id <= range.last) return range.category;
  }
  return std::nullopt;
}

std::string_view category_name(RequestCategory category) {
  return kNames[static_cast<std::size_t>(category) - 1];
}

std::optional<RequestCategory> category_from_name(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) return static_cast<RequestCategory>(i + 1);
  }
  return std::nullopt;
}

}  // namespace brindle::server
