#include "support/own_cluster.h"

#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>

namespace brindle::testing {

OwnCluster::OwnCluster(std::filesystem::path script) : script_(std::move(script)) {
  ::chmod(dir_.path().c_str(), 0755);  // its owner, an unprivileged user, must reach the folder
  folder_ = (dir_.path() / "pg").string();
  address_ = run("start");
  while (!address_.empty() && address_.back() == '\n') address_.pop_back();
}

OwnCluster::~OwnCluster() {
  try {
    run("stop");
  } catch (...) {
  }
}

std::string OwnCluster::run(const std::string& command) {
  const std::string line =
      "PG_CLUSTER_OPTIONS='-c fsync=on -c synchronous_commit=on -c full_page_writes=on' " + script_.string() +
      " " + command + " " + folder_ + " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string out;
  char chunk[256];
  while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
  if (pclose(pipe) != 0 && command != "stop") throw std::runtime_error(command + ": " + out);
  return out;
}

}  // namespace brindle::testing
