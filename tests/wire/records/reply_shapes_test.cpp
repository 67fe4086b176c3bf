#include "wire/records/reply_shapes.h"

#include <gtest/gtest.h>

namespace brindle::records {
namespace {

TEST(ReplyShapes, EverySubjectIsFoundByItsNumberAndNamesTheKindsItsLayoutNeeds) {
  int previous = 0;
  for (const auto& shape : reply_shapes()) {
    EXPECT_LT(previous, shape.subject) << "out of order or twice: " << shape.subject;
    previous = shape.subject;
    EXPECT_EQ(find_shape(shape.subject), &shape);
    EXPECT_TRUE(shape.row) << shape.subject;
    EXPECT_EQ(static_cast<bool>(shape.block_row), shape.layout == Layout::blocks) << shape.subject;
    if (shape.layout == Layout::single) {
      EXPECT_FALSE(shape.header) << shape.subject;
    }
  }
  EXPECT_EQ(find_shape(2009), nullptr);  // a transfer answers with its message alone
  EXPECT_EQ(find_shape(0), nullptr);
}

}  // namespace
}  // namespace brindle::records
