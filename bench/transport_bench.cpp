// Round trips of one Request over TLS on loopback: a transport made afresh for every request (a new
// connection and a full handshake each time) against one transport kept for the whole run, which
// is what the periodic refreshes see.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/net/curl_transport.h"
#include "core/net/request.h"
#include "core/ports/progress_sink.h"
#include "server/server.h"
#include "support/scripted_https_server.h"
#include "support/temp_dir.h"

namespace {

using brindle::net::CurlTransport;
using brindle::net::Request;
using brindle::net::RequestContext;

// The server under test: where requests go and what a request carries.
struct Target {
  std::string name;
  RequestContext context;
  int subject_id = 0;
  std::string txt_para;
};

bool round_trip(CurlTransport& transport, const Target& target) {
  brindle::ports::SilentProgress progress;
  Request request;
  request.set_subject_id(target.subject_id, target.context.current_server);
  request.set_txt_para(target.txt_para);
  std::string error;
  if (!request.send(transport, progress, target.context, error)) return false;
  std::string line;
  while (request.read_line(line, 4095)) benchmark::DoNotOptimize(line);
  return true;
}

void fresh_transport(benchmark::State& state, const Target& target) {
  for (auto _ : state) {
    CurlTransport transport;
    if (!round_trip(transport, target)) state.SkipWithError("request failed");
  }
}

void reused_transport(benchmark::State& state, const Target& target) {
  CurlTransport transport;
  if (!round_trip(transport, target)) state.SkipWithError("request failed");
  for (auto _ : state) {
    if (!round_trip(transport, target)) state.SkipWithError("request failed");
  }
}

void register_round_trips(const Target& target) {
  benchmark::RegisterBenchmark(("TransportRoundTrip/fresh/" + target.name).c_str(), fresh_transport, target)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("TransportRoundTrip/reused/" + target.name).c_str(), reused_transport, target)
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
  brindle::testing::ScriptedHttpsServer scripted;
  scripted.set_default({.body = "1|ok|12.50|null|\r\n"});
  register_round_trips({"scripted", {scripted.authority(), "player", "secret"}, 4001, "1"});

  // The reference server answering the Version check, as every start of the client sends it.
  brindle::testing::TempDir data;
  brindle::server::ServerOptions options;
  options.data_dir = data.path();
  auto reference = brindle::server::Server::start(std::move(options));
  if (!reference) {
    fprintf(stderr, "reference server: %s\n", reference.error().c_str());
    return 1;
  }
  const std::string authority = "127.0.0.1:" + std::to_string(reference.value()->port());
  register_round_trips({"reference", {authority, "", ""}, 13002, ""});

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
