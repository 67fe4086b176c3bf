#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wire/field_reader.h"
#include "wire/records/record.h"

namespace brindle::records {

// A record kind by name, for code that meets kinds by subject number rather than by type.
struct KindRef {
  std::string_view name;
  std::vector<DecodedField> (*read)(wire::FieldReader& reader, std::size_t text_capacity);
  std::vector<FieldInfo> (*fields)();

  explicit operator bool() const { return read != nullptr; }
};

template <class R>
constexpr KindRef kind_ref() {
  return {Schema<R>::name,
          [](wire::FieldReader& reader, std::size_t capacity) {
            return decoded(records::read<R>(reader, capacity));
          },
          &describe<R>};
}

// How a reply's data lines are laid out.
enum class Layout {
  single,  // every line joined: one record after the Result code and message
  list,    // the header line's further fields, then one record per line
  blocks,  // as list, but a line whose leading number differs from the line before opens a block
           // with `row`, and the lines after it within the block are `block_row`
};

struct ReplyShape {
  int subject;
  std::string_view operation;  // what the reply answers, in a few words
  Layout layout;
  KindRef header;     // list layouts: the header line's fields after the message, if any
  KindRef row;        // the record of a single reply, of every row, or of a block's first line
  KindRef block_row;  // blocks: the lines after the first
};

// The reply shape of every subject whose reply carries records, in subject order.
std::span<const ReplyShape> reply_shapes();
// Null when the subject's reply carries only the Result code and message.
const ReplyShape* find_shape(int subject);

}  // namespace brindle::records
