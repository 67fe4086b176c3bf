#pragma once

#include <string>

namespace brindle::notation {

// "%.Nf" of value, always with a decimal point: the texts are the service's and must not follow the
// locale a front end may have switched to.
std::string fixed_decimal(double value, int digits);

}  // namespace brindle::notation
