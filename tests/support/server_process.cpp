#include "support/server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace brindle::testing {

ServerProcess::ServerProcess(const std::filesystem::path& binary, const std::filesystem::path& data_dir,
                             const std::filesystem::path& log,
                             const std::vector<std::string>& more_arguments) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  if (!log.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0600);
  std::vector<std::string> arguments = {binary.string(), "serve",      "--listen",
                                        "127.0.0.1:0",   "--data-dir", data_dir.string()};
  arguments.insert(arguments.end(), more_arguments.begin(), more_arguments.end());
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    pid_ = -1;
    throw std::runtime_error("cannot start the server");
  }
  // "listening on https://127.0.0.1:PORT"
  std::string line;
  char c = 0;
  while (read(out[0], &c, 1) == 1 && c != '\n') line.push_back(c);
  close(out[0]);
  const auto colon = line.rfind(':');
  if (line.find("listening on") == std::string::npos || colon == std::string::npos) {
    kill_hard();
    throw std::runtime_error("the server did not start: " + line);
  }
  port_ = static_cast<unsigned short>(std::stoi(line.substr(colon + 1)));
}

void ServerProcess::kill_hard() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace brindle::testing
