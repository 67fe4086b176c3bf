#pragma once

#include <optional>
#include <string>

#include "core/net/request.h"
#include "wire/result.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {
class Transport;
struct ClientContext;
}  // namespace brindle::net

namespace brindle::protocol {

// What every operation of the catalogue runs against: the transport, the Progress window and the
// Client context it reads the server, the user and the context numbers from and writes back to.
struct Session {
  net::Transport& transport;
  ports::ProgressSink& progress;
  net::ClientContext& context;
};

// Builds the Request of a catalogued SubjectID with its Progress texts, proxy setting and wording
// flag, sends it and hands it back for its Reply lines; the transport's text on failure.
// `reading` replaces the catalogue's reading text (the Asian handicap hall's market lists).
Result<net::Request> send_subject(Session& session, int subject_id, std::string txt_para,
                                  std::optional<std::string> reading = std::nullopt);

// Free text typed by the user, made safe to stand as one txtPara field.
std::string clean_free_text(std::string_view text);

}  // namespace brindle::protocol
