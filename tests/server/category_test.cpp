#include "server/http/category.h"

#include <gtest/gtest.h>

#include <optional>

namespace brindle::server {
namespace {

using enum RequestCategory;

TEST(Category, RangeEdgesMatchTheClientsTable) {
  const struct {
    int subject_id;
    std::optional<RequestCategory> category;
  } cases[] = {
      {1000, {}},     {1001, acquire}, {1005, acquire}, {1006, {}},      {11002, acquire}, {13002, acquire},
      {2001, update}, {2014, update},  {2015, {}},      {2016, update},  {2017, {}},       {2018, update},
      {2022, update}, {2023, {}},      {12007, update}, {12014, update}, {12016, {}},      {3001, trans},
      {3012, trans},  {3013, {}},      {3030, trans},   {3033, trans},   {3034, {}},       {13001, trans},
      {13008, trans}, {13011, trans},  {13012, {}},     {4001, query},   {4032, query},    {4033, {}},
      {4061, query},  {5002, query},   {14038, query},  {14039, {}},     {0, {}},          {-1001, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(category_of(c.subject_id), c.category) << c.subject_id;
}

TEST(Category, NamesRoundTripAndAreCaseSensitive) {
  for (auto category : {acquire, update, trans, query}) {
    EXPECT_EQ(category_from_name(category_name(category)), category);
  }
  EXPECT_EQ(category_name(trans), "DATA_TRANS");
  EXPECT_FALSE(category_from_name("data_acquire").has_value());
  EXPECT_FALSE(category_from_name("").has_value());
  EXPECT_FALSE(category_from_name("DATA_ACQUIRE&x").has_value());
}

}  // namespace
}  // namespace brindle::server
