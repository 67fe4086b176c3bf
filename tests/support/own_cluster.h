#pragma once

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace brindle::testing {

// A PostgreSQL cluster of the test's own (scripts/pg-cluster), so that stopping or restarting it
// disturbs no other test. It keeps every commit through its own crash, as a production database
// must (synchronous_commit=on). Stopped when the object goes, also when the test fails.
class OwnCluster {
 public:
  explicit OwnCluster(std::filesystem::path script);
  ~OwnCluster();
  OwnCluster(const OwnCluster&) = delete;
  OwnCluster& operator=(const OwnCluster&) = delete;

  const std::string& address() const { return address_; }
  void restart() { run("restart"); }
  // The database crashes and stays away until start().
  void halt() { run("halt"); }
  void start() { run("start"); }

 private:
  std::string run(const std::string& command);

  std::filesystem::path script_;
  TempDir dir_;
  std::string folder_;
  std::string address_;
};

}  // namespace brindle::testing
