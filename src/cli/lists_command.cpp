#include "cli/lists_command.h"

#include <ostream>

#include "cli/client_transport.h"
#include "core/app/stderr_log_sink.h"
#include "core/net/curl_transport.h"
#include "core/net/server_lists.h"
#include "core/ports/progress_sink.h"

namespace brindle::cli {

int run_lists_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err) {
  if (args.size() != 1 || args[0] != "fetch") {
    err << "usage: brindle-cli lists fetch\n";
    return 2;
  }
  ClientTransport transport(context, err);
  ports::SilentProgress progress;
  std::string error;
  int status = 0;
  // Asked of the servers the settings name first, as the Login window's refresh asks.
  const std::vector<std::string> hosts = net::list_document_hosts(context);
  if (net::server_list_fetch(context, *transport, progress, error, hosts)) {
    out << "server list: " << context.server_list.size() << " entries\n";
  } else {
    err << "server list: " << error << "\n";
    status = 1;
  }
  if (net::proxy_list_fetch(context, *transport, progress, error, hosts)) {
    out << "proxy list: " << context.proxy_list.size() << " entries\n";
  } else {
    err << "proxy list: " << error << "\n";
    status = 1;
  }
  return status;
}

}  // namespace brindle::cli
