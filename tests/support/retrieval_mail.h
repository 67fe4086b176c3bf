#pragma once

#include <string>

namespace brindle::testing {

// The password a retrieval mail carries in its base64 body; empty when there is none.
std::string mailed_password(const std::string& mail);

}  // namespace brindle::testing
