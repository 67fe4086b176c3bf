#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brindle::app {

enum class RegistrationSwitch { none, register_server, unregister_server };

// The whole command line as one text, the program path first.
std::string command_line_text(const std::vector<std::string>& arguments);

// Looks at every "-" or "/" in turn and compares the rest of the command line after it, to its end
// and ignoring case, with "UnregServer" and "RegServer": a switch only counts as the last thing on
// the line, so "/RegServer /x" is no switch.
RegistrationSwitch find_registration_switch(std::string_view command_line);

// The standard "Embedding" and "Automation" switches (one argument each, after "-" or "/"): the
// process was started as a component server and stays up without a window.
bool asks_to_run_embedded(const std::vector<std::string>& arguments);

}  // namespace brindle::app
