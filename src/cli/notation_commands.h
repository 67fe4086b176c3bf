#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace brindle::cli {

// args = the words after "notation" (resp. "explain"); prints the text and "\n" to out; on bad
// arguments prints a usage/error line to err and returns 2; returns 0 on success.
int run_notation_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_explain_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace brindle::cli
