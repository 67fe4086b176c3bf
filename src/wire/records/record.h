#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "wire/field_reader.h"
#include "wire/framing.h"

namespace brindle::records {

// What a field is on the wire. A record is an ordered list of them: the order is the wire's, the
// names are those the client's records and its JSON carry.
enum class FieldType {
  integer,   // decimal digits with an optional sign; read as an int
  decimal,   // a decimal number written with a fixed number of places
  text,      // escaped GBK, "null" for the empty text
  ole_date,  // an OLE automation date (days since 1899-12-30) written with six places
};

std::string_view type_name(FieldType type);

template <class Record, class Member>
struct Field {
  std::string_view name;
  FieldType type;
  Member Record::*member;
  int places;  // of a decimal as the server writes it
};

template <class R>
constexpr Field<R, int> integer(std::string_view name, int R::*member) {
  return {name, FieldType::integer, member, 0};
}
template <class R>
constexpr Field<R, double> decimal(std::string_view name, double R::*member, int places) {
  return {name, FieldType::decimal, member, places};
}
template <class R>
constexpr Field<R, std::string> text(std::string_view name, std::string R::*member) {
  return {name, FieldType::text, member, 0};
}
template <class R>
constexpr Field<R, double> ole_date(std::string_view name, double R::*member) {
  return {name, FieldType::ole_date, member, 6};
}

// A record kind declares itself by specialising Schema:
//   template <> struct Schema<MatchLine> {
//     static constexpr std::string_view name = "match_line";
//     static constexpr auto fields = std::make_tuple(integer("match_number", &MatchLine::match_number), ...);
//   };
template <class R>
struct Schema;

template <class R>
constexpr std::size_t field_count() {
  return std::tuple_size_v<std::remove_cvref_t<decltype(Schema<R>::fields)>>;
}

// Calls f(field, value) for every field of the record in wire order.
template <class R, class F>
void for_each_field(R& record, F&& f) {
  std::apply([&](const auto&... field) { (f(field, record.*(field.member)), ...); }, Schema<R>::fields);
}
template <class R, class F>
void for_each_field(const R& record, F&& f) {
  std::apply([&](const auto&... field) { (f(field, record.*(field.member)), ...); }, Schema<R>::fields);
}

// The names and types of a kind's fields, for documents and tools.
struct FieldInfo {
  std::string_view name;
  FieldType type;
};
template <class R>
std::vector<FieldInfo> describe() {
  std::vector<FieldInfo> out;
  std::apply(
      [&](const auto&... field) {
        (out.push_back({field.name, field.type}), ...);
      },
      Schema<R>::fields);
  return out;
}

// A field's value as its declared type decodes it, for tools that show any record.
using FieldValue = std::variant<int, double, std::string>;
struct DecodedField {
  std::string_view name;
  FieldType type;
  FieldValue value;
};
template <class R>
std::vector<DecodedField> decoded(const R& record) {
  std::vector<DecodedField> out;
  out.reserve(field_count<R>());
  for_each_field(record, [&](const auto& field, const auto& value) {
    out.push_back({field.name, field.type, FieldValue(value)});
  });
  return out;
}

// ---- the client's side

// The text capacity of a list row's field and of a single-record reply's.
inline constexpr std::size_t kRowTextCapacity = wire::FieldReader::kMaxFieldBytes + 1;
inline constexpr std::size_t kSingleTextCapacity = wire::FieldReader::kDefaultCapacity;

// Reads the record's fields off the reader in wire order. A missing field reads as empty.
template <class R>
void read(wire::FieldReader& reader, R& record, std::size_t text_capacity = kRowTextCapacity) {
  for_each_field(record, [&](const auto& field, auto& value) {
    using Value = std::remove_cvref_t<decltype(value)>;
    if constexpr (std::is_same_v<Value, std::string>) {
      reader.next(value, text_capacity);
    } else if constexpr (std::is_same_v<Value, int>) {
      value = reader.integer();
    } else {
      static_assert(std::is_same_v<Value, double>);
      (void)field;
      value = reader.decimal();
    }
  });
}

template <class R>
R read(wire::FieldReader& reader, std::size_t text_capacity = kRowTextCapacity) {
  R record{};
  read(reader, record, text_capacity);
  return record;
}

// ---- the server's side

// A decimal with a fixed number of places, as printf's "%.*f" writes it.
std::string decimal_text(double value, int places);

// The record's fields as UTF-8 texts, ready for a reply line.
template <class R>
std::vector<std::string> to_fields(const R& record) {
  std::vector<std::string> out;
  out.reserve(field_count<R>());
  for_each_field(record, [&](const auto& field, const auto& value) {
    using Value = std::remove_cvref_t<decltype(value)>;
    if constexpr (std::is_same_v<Value, std::string>) {
      out.push_back(value);
    } else if constexpr (std::is_same_v<Value, int>) {
      out.push_back(std::to_string(value));
    } else {
      out.push_back(decimal_text(value, field.places));
    }
  });
  return out;
}

// The record as one GBK reply line ending CR LF, appended to `gbk`.
template <class R>
void append_line(std::string& gbk, const R& record) {
  const std::vector<std::string> fields = to_fields(record);
  gbk += wire::format_reply_line(fields);
  gbk += "\r\n";
}

}  // namespace brindle::records
