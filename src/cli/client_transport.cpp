#include "cli/client_transport.h"

#include <memory>
#include <ostream>

#include "cli/transport_log.h"
#include "core/net/server_keys.h"

namespace brindle::cli {

namespace {

std::shared_ptr<net::ServerKeys> client_keys(const net::ClientContext& context) {
  return std::make_shared<net::ServerKeys>(net::built_in_pins(),
                                           net::ServerKeys::file_in(context.state_folder()));
}

}  // namespace

bool KeyChangeNotice::trust_new_key(const ports::ServerKeyChange& change) {
  err_ << change.text << "\n";
  if (!change.built_in) {
    err_ << "\n核实这次的密钥后，可以这样信任它：\n  brindle-cli trust " << change.server << " "
         << change.presented << "\n";
  }
  return false;
}

ClientTransport::ClientTransport(const net::ClientContext& context, std::ostream& err)
    : log_(kTransportLogPrefix), notice_(err) {
  transport_.set_log_sink(&log_);
  transport_.set_server_keys(client_keys(context));
  transport_.set_key_port(&notice_);
}

int run_trust_command(const net::ClientContext& context, const std::vector<std::string>& args,
                      std::ostream& out, std::ostream& err) {
  if (args.size() != 2) {
    err << "usage: brindle-cli trust HOST:PORT FINGERPRINT\n";
    return 2;
  }
  // The server as the requests name it: "Host:443", "[::1]:443" and "::1" spellings aside.
  std::string endpoint = args[0];
  if (const auto colon = endpoint.rfind(':'); colon != std::string::npos) {
    const std::string port = endpoint.substr(colon + 1);
    if (!port.empty() && port.find_first_not_of("0123456789") == std::string::npos && port.size() <= 5) {
      if (auto normal = net::key_endpoint(endpoint.substr(0, colon), std::stoi(port))) endpoint = *normal;
    }
  }
  const auto keys = client_keys(context);
  if (auto trusted = keys->trust(endpoint, args[1]); !trusted) {
    err << "brindle-cli: " << trusted.error() << "\n";
    return 1;
  }
  out << "brindle-cli: " << endpoint << " is held to the key " << args[1] << " (" << keys->file().string()
      << ")\n";
  return 0;
}

}  // namespace brindle::cli
