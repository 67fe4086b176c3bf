#include "cli/export_command.h"

#include <cctype>
#include <ctime>
#include <ostream>

#include "cli/client_transport.h"
#include "core/accounts/csv_document.h"
#include "core/accounts/query_range.h"
#include "core/accounts/records_window_model.h"
#include "core/accounts/statement_window_model.h"
#include "core/app/stderr_log_sink.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/login_request.h"
#include "core/net/network_card_address.h"
#include "core/ports/list_output_port.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "core/protocol/session.h"

namespace brindle::cli {
namespace {

constexpr int kUsageError = 2;
constexpr const char* kUsage =
    "usage: brindle-cli export statement START END\n"
    "       brindle-cli export records TAB [START END]\n"
    "  TAB 0-9 as the records window's tabs (odd tabs are the settled kinds and need START END);\n"
    "  START and END as YYYYMMDDHHMMSS, local time\n";

int usage(std::ostream& err, const std::string& problem) {
  err << "brindle-cli: " << problem << "\n" << kUsage;
  return kUsageError;
}

// The local date-time now: the unsettled tabs' lists need no range, but their titles name the day.
wire::CivilDateTime today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// YYYYMMDDHHMMSS naming a real date-time; nothing otherwise.
std::optional<wire::CivilDateTime> civil_of(const std::string& text) {
  if (text.size() != 14) return std::nullopt;
  for (const char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  const auto part = [&text](std::size_t at, std::size_t length) {
    return std::stoi(text.substr(at, length));
  };
  const wire::CivilDateTime civil{part(0, 4), part(4, 2), part(6, 2), part(8, 2), part(10, 2), part(12, 2)};
  if (!wire::is_valid_civil(civil)) return std::nullopt;
  return civil;
}

// The window's messages go to standard error; its output port is never asked for, as the command
// prints whatever list the query left, empty or not.
struct CommandPorts final : ports::MessagePort, ports::ListOutputPort {
  explicit CommandPorts(std::ostream& err) : err_(err) {}
  int show_message(const std::string& text, bool) override {
    err_ << text << "\n";
    return ok;
  }
  void print(const ports::PrintableList&) override {}
  void export_csv(const ports::PrintableList&) override {}
  std::ostream& err_;
};

bool sign_in(protocol::Session& session, std::ostream& err) {
  net::LoginReply login;
  std::string error;
  auto& c = session.context;
  if (net::login_request(c, session.transport, session.progress, c.user_name, c.password,
                         net::kLoginRequestModeMember, net::network_card_address(), login, error))
    return true;
  err << "brindle-cli: " << error << "\n";
  return false;
}

int export_statement(protocol::Session& session, const protocol::DateRange& range, std::ostream& out,
                     std::ostream& err) {
  CommandPorts ports(err);
  accounts::StatementWindowModel model(session, ports, ports, range);
  // The window's range checks come before anything is sent, sign-in included.
  if (const auto refusal = accounts::range_refusal(range, accounts::kStatementHourLimit)) {
    err << *refusal << "\n";
    return 1;
  }
  if (!sign_in(session, err)) return 1;
  if (!model.query()) return 1;
  out << accounts::csv_document(model.list());
  return 0;
}

int export_records(protocol::Session& session, int tab, const protocol::DateRange& range, std::ostream& out,
                   std::ostream& err) {
  if (accounts::record_tab_has_range(tab)) {
    if (const auto refusal = accounts::range_refusal(range)) {
      err << *refusal << "\n";
      return 1;
    }
  }
  if (!sign_in(session, err)) return 1;
  accounts::RecordLists lists;
  if (const auto fetched = accounts::fetch_record_tab(session, tab, range, lists); !fetched) {
    err << fetched.error() << "\n";
    return 1;
  }
  out << accounts::csv_document(
      accounts::records_list(tab, lists, range, today(), session.context.odds_format));
  return 0;
}

}  // namespace

int run_export_command(net::ClientContext& context, net::Transport& transport,
                       const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return usage(err, "export needs statement or records");
  ports::SilentProgress progress;
  protocol::Session session{transport, progress, context};
  const auto range_of = [&args](std::size_t at) -> std::optional<protocol::DateRange> {
    const auto start = civil_of(args[at]);
    const auto end = civil_of(args[at + 1]);
    if (!start || !end) return std::nullopt;
    return protocol::DateRange{*start, *end};
  };
  if (args[0] == "statement") {
    if (args.size() != 3) return usage(err, "export statement takes START and END");
    const auto range = range_of(1);
    if (!range) return usage(err, "START and END must be date-times written YYYYMMDDHHMMSS");
    return export_statement(session, *range, out, err);
  }
  if (args[0] == "records") {
    if (args.size() != 2 && args.size() != 4)
      return usage(err, "export records takes TAB, then START and END");
    const auto& t = args[1];
    if (t.size() != 1 || t[0] < '0' || t[0] > '9') return usage(err, "TAB must be a number from 0 to 9");
    const int tab = t[0] - '0';
    const bool settled = accounts::record_tab_has_range(tab);
    if (settled != (args.size() == 4))
      return usage(err, settled ? "a settled tab (odd) needs START and END"
                                : "an unsettled tab (even) takes no range");
    protocol::DateRange range{today(), today()};
    if (settled) {
      const auto given = range_of(2);
      if (!given) return usage(err, "START and END must be date-times written YYYYMMDDHHMMSS");
      range = *given;
    }
    return export_records(session, tab, range, out, err);
  }
  return usage(err, "unknown export " + args[0]);
}

int run_export_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                       std::ostream& err) {
  ClientTransport transport(context, err);
  return run_export_command(context, *transport, args, out, err);
}

}  // namespace brindle::cli
