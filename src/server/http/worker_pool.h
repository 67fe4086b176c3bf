#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace brindle::server {

// A few threads for work too slow for the network threads (password hashing), so that one
// connection's slow request does not hold up other connections' quick ones. Jobs run in the
// order posted.
class WorkerPool final {
 public:
  explicit WorkerPool(std::size_t threads);
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  ~WorkerPool();

  // False once stopped: the job is dropped unrun.
  bool post(std::function<void()> job);
  // Lets the running jobs finish, drops the queued ones and joins the threads. Idempotent.
  void stop();

  std::size_t queued() const;

 private:
  void run();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace brindle::server
