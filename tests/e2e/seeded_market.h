// The shared set-up of the end-to-end tests: the reference server seeded with its demo market by the
// real `brindle-server seed`, started in-process, and one client pointed at it with the recording
// ports a hall needs.

#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "../core/betting/hall_fixture.h"
#include "core/betting/hall_model.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/ports/progress_sink.h"
#include "core/protocol/records_queries.h"
#include "core/protocol/session.h"
#include "server/server.h"
#include "support/temp_dir.h"

namespace brindle::testing {

// A further client of the same server, with a session of its own.
struct SeededClient {
  net::ClientContext context;
  net::CurlTransport transport;
  ports::SilentProgress progress;
  protocol::Session session{transport, progress, context};
};

// Local time as the protocol's dates take it.
wire::CivilDateTime civil(std::time_t t);

// From yesterday to tomorrow: today's bets and entries, well inside the statement's week.
protocol::DateRange around_now();

class SeededMarketTest : public ::testing::Test {
 protected:
  // Seeds and starts the server and points context_ at it. False when the test cannot go on: the
  // seed failed (the test is skipped, with `skip_note` before the seed's output) or the server did
  // not start (a fatal failure). Without the feed, prices move only when the test moves them; one
  // tick then brings the running matches to now.
  bool start_server(bool run_feed = true, const std::string& skip_note = {});

  // start_server, then context_ signed in as the demo member demo_rmb (a failure when refused).
  bool start_signed_in(bool run_feed = true);

  // The hall's first list, fetched without a message shown.
  template <typename Hall>
  void refresh_quietly(Hall& hall) {
    hall.refresh();
    ASSERT_TRUE(messages_.texts.empty()) << messages_.texts.front();
  }

  // Signs context_ in as a member; error_ holds the server's words when it is refused.
  bool sign_in(const std::string& user_name, const std::string& password);
  // Points `client` at the started server and signs it in the same way.
  bool sign_in(SeededClient& client, const std::string& user_name, const std::string& password);

  // Runs brindle-server with `words`, its output to `printed`; true when it exits with 0.
  static bool run_server_command(const std::string& words, const std::filesystem::path& printed);

  std::filesystem::path data() const { return dir_ / "server"; }
  std::filesystem::path seed_output() const { return dir_ / "seed.txt"; }

  betting::HallServices services() {
    return {session_, messages_, frame_, shell_, windows_, stake_window_, confirmation_};
  }

  TempDir dir_;
  std::unique_ptr<server::Server> server_;
  net::ClientContext context_;
  net::CurlTransport transport_;
  ports::SilentProgress progress_;
  protocol::Session session_{transport_, progress_, context_};
  RecordingMessages messages_;
  RecordingFrame frame_;
  RecordingShell shell_;
  RecordingWindows windows_;
  ScriptedStakeWindow stake_window_;
  ScriptedBetConfirmation confirmation_;
  std::string error_;

 private:
  void seed_and_start(bool run_feed, const std::string& skip_note);
};

}  // namespace brindle::testing
