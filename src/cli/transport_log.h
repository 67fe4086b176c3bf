#pragma once

namespace brindle::cli {

// What the commands' transport has to say beyond the user's text goes to standard error after this.
inline constexpr char kTransportLogPrefix[] = "brindle-cli: transport: ";

}  // namespace brindle::cli
