#include "core/betting/phrase_format.h"

#include <cctype>
#include <cstddef>

#include "core/notation/decimal_text.h"

namespace brindle::betting {

std::string PhraseArg::render(char conversion, int precision) const {
  switch (kind_) {
    case Kind::kText:
      return std::string(text_);
    case Kind::kInteger:
      if (conversion == 'f')
        return notation::fixed_decimal(static_cast<double>(integer_), precision < 0 ? 6 : precision);
      return std::to_string(integer_);
    case Kind::kReal:
      if (conversion == 'd') return std::to_string(static_cast<long long>(real_));
      return notation::fixed_decimal(real_, precision < 0 ? 6 : precision);
  }
  return {};
}

std::string fill_phrase(std::string_view format, std::initializer_list<PhraseArg> args) {
  std::string out;
  out.reserve(format.size() + 64);
  auto next = args.begin();
  std::size_t i = 0;
  while (i < format.size()) {
    const char ch = format[i];
    if (ch != '%') {
      out.push_back(ch);
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out.push_back('%');
      i += 2;
      continue;
    }
    // Precision ("%.3f"), then the conversion letter.
    ++i;
    int precision = -1;
    if (i < format.size() && format[i] == '.') {
      ++i;
      precision = 0;
      while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])) != 0) {
        precision = precision * 10 + (format[i] - '0');
        ++i;
      }
    }
    if (i >= format.size()) break;
    const char conversion = format[i++];
    if (next != args.end()) {
      out += next->render(conversion, precision);
      ++next;
    }
  }
  return out;
}

}  // namespace brindle::betting
