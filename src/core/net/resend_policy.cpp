#include "core/net/resend_policy.h"

namespace brindle::net {

bool may_resend(const FailedAttempt& attempt) {
  if (attempt.request_bytes_sent) return false;
  switch (attempt.code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
      return true;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      // On a fresh connection these come after the request started out; only a stale kept-alive
      // connection fails this way with nothing sent.
      return attempt.connection_reused;
    default:
      // Time-outs, names that do not resolve, local errors: either the request may be at the server
      // or a second try cannot help.
      return false;
  }
}

}  // namespace brindle::net
