#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace brindle::betting {

// One argument of a phrase template: a text, an integer or a price. Implicit on purpose, so that a
// call reads like the printf call it stands for; a text is only viewed, so it must outlive the call.
class PhraseArg final {
 public:
  PhraseArg(std::string_view text) : kind_(Kind::kText), text_(text) {}
  PhraseArg(const std::string& text) : kind_(Kind::kText), text_(text) {}
  PhraseArg(const char* text) : kind_(Kind::kText), text_(text) {}
  PhraseArg(int number) : kind_(Kind::kInteger), integer_(number) {}
  PhraseArg(long long number) : kind_(Kind::kInteger), integer_(number) {}
  PhraseArg(double number) : kind_(Kind::kReal), real_(number) {}

  // The argument as the conversion ("s", "d", "f") with the given precision (-1 when none) writes it.
  std::string render(char conversion, int precision) const;

 private:
  enum class Kind { kText, kInteger, kReal };
  Kind kind_;
  std::string_view text_;
  long long integer_ = 0;
  double real_ = 0.0;
};

// Fills a printf-style template (the service's own texts keep their printf form) with the
// arguments in order. Understands %s, %d and %.Nf, and %% for a percent sign; a conversion
// without an argument left writes nothing. Formatting ignores the locale.
std::string fill_phrase(std::string_view format, std::initializer_list<PhraseArg> args);

}  // namespace brindle::betting
