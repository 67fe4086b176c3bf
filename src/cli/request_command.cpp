#include "cli/request_command.h"

#include <charconv>
#include <ostream>

#include "cli/client_transport.h"
#include "cli/records_output.h"
#include "core/app/stderr_log_sink.h"
#include "core/net/curl_transport.h"
#include "core/net/request.h"
#include "core/ports/progress_sink.h"
#include "wire/gbk.h"

namespace brindle::cli {

int run_request_command(net::ClientContext& context, std::vector<std::string> args, std::ostream& out,
                        std::ostream& err) {
  const bool as_records = !args.empty() && args[0] == "--records";
  if (as_records) args.erase(args.begin());
  if (args.empty() || args.size() > 2) {
    err << "usage: brindle-cli request [--records] SUBJECT_ID [TXTPARA]\n";
    return 2;
  }
  int subject_id = 0;
  const std::string& id = args[0];
  const auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), subject_id);
  if (ec != std::errc{} || end != id.data() + id.size()) {
    err << "brindle-cli: not a SubjectID: " << id << "\n";
    return 2;
  }

  net::Request request;
  request.set_subject_id(subject_id, context.current_server);
  if (args.size() == 2) request.set_txt_para(args[1]);
  if (request.url().empty()) {
    err << "brindle-cli: SubjectID " << subject_id << " belongs to no request category\n";
    return 1;
  }

  ClientTransport transport(context, err);
  ports::SilentProgress progress;
  std::string error;
  if (!request.send(*transport, progress, context.request_context(), error)) {
    err << error << (error.empty() || error.back() != '\n' ? "\n" : "");
    return 1;
  }
  std::string line;
  if (as_records) {
    std::vector<std::string> lines;
    while (request.read_line(line, 4096)) lines.push_back(line);
    out << records_json(subject_id, lines).dump(2) << "\n";
    return 0;
  }
  while (request.read_line(line, 4096)) out << wire::gbk_to_utf8(line) << "\n";
  return 0;
}

}  // namespace brindle::cli
