#include <gtest/gtest.h>

#include "core/net/resend_policy.h"

namespace brindle::net {
namespace {

struct Case {
  CURLcode code;
  bool reused;
  bool bytes_sent;
  bool resend;
};

TEST(TransportResendPolicy, ResendsOnlyWhatTheServerCannotHaveSeen) {
  const Case cases[] = {
      // The connection never came up.
      {CURLE_COULDNT_CONNECT, false, false, true},
      {CURLE_SSL_CONNECT_ERROR, false, false, true},
      // A stale kept-alive connection found dead before the request left.
      {CURLE_SEND_ERROR, true, false, true},
      {CURLE_GOT_NOTHING, true, false, true},
      {CURLE_RECV_ERROR, true, false, true},
      // The request may be at the server: a bet must not go twice.
      {CURLE_GOT_NOTHING, true, true, false},
      {CURLE_SEND_ERROR, true, true, false},
      {CURLE_GOT_NOTHING, false, false, false},
      {CURLE_RECV_ERROR, false, false, false},
      {CURLE_SEND_ERROR, false, false, false},
      {CURLE_OPERATION_TIMEDOUT, false, false, false},
      {CURLE_OPERATION_TIMEDOUT, true, false, false},
      {CURLE_PARTIAL_FILE, false, true, false},
      {CURLE_COULDNT_CONNECT, false, true, false},
      // A second try cannot help.
      {CURLE_COULDNT_RESOLVE_HOST, false, false, false},
      {CURLE_COULDNT_RESOLVE_PROXY, false, false, false},
      {CURLE_URL_MALFORMAT, false, false, false},
      {CURLE_OUT_OF_MEMORY, false, false, false},
      {CURLE_OK, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << curl_easy_strerror(c.code) << " reused=" << c.reused << " sent=" << c.bytes_sent);
    EXPECT_EQ(may_resend(FailedAttempt{c.code, c.reused, c.bytes_sent}), c.resend);
  }
}

}  // namespace
}  // namespace brindle::net
