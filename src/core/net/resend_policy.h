#pragma once

#include <curl/curl.h>

namespace brindle::net {

// What is known of an attempt that failed.
struct FailedAttempt {
  CURLcode code = CURLE_OK;
  bool connection_reused = false;   // it went out on a connection kept alive from an earlier exchange
  bool request_bytes_sent = false;  // some of the request was handed to the connection
};

// True only when the server cannot have seen the request: the connection never came up, or a
// kept-alive connection was found closed before a byte of the request left. A request that may have
// reached the server is never sent again, whatever went wrong after, so a bet is never placed twice.
bool may_resend(const FailedAttempt& attempt);

}  // namespace brindle::net
