#include "core/net/fallback_hosts.h"

#ifndef BRINDLE_FALLBACK_HOSTS
#error "the build defines BRINDLE_FALLBACK_HOSTS as the quoted host list"
#endif

namespace brindle::net {

const std::vector<std::string>& fallback_hosts() {
  static const std::vector<std::string> hosts{BRINDLE_FALLBACK_HOSTS};
  return hosts;
}

}  // namespace brindle::net
