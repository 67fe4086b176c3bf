#include "server/storage/database.h"

#include <chrono>
#include <random>
#include <thread>

namespace brindle::server::storage {
namespace {

thread_local bool t_inside_work = false;

// Clears the flag however the work ends.
struct InsideWork {
  InsideWork() { t_inside_work = true; }
  ~InsideWork() { t_inside_work = false; }
  InsideWork(const InsideWork&) = delete;
  InsideWork& operator=(const InsideWork&) = delete;
};

// Gives the connection back however the attempt ends.
struct Lease {
  Lease(ConnectionSource& from, Connection* taken, Access kind)
      : source(from), connection(taken), access(kind) {}
  ConnectionSource& source;
  Connection* connection;
  Access access;
  ~Lease() { source.give_back(connection, access); }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
};

// Losers of a conflict wait a little, more each time and at random, so they do not meet again.
void back_off(int attempt) {
  thread_local std::minstd_rand random{std::random_device{}()};
  const int ceiling_ms = std::min(2 << std::min(attempt, 6), 100);
  std::uniform_int_distribution<int> wait(1, ceiling_ms);
  std::this_thread::sleep_for(std::chrono::milliseconds(wait(random)));
}

}  // namespace

Result<void> Statement::run() {
  for (;;) {
    auto row = step();
    if (!row) return Result<void>::failure(row.error());
    if (!row.value()) return {};
  }
}

Database::Database(std::unique_ptr<ConnectionSource> source, DatabaseOptions options)
    : source_(std::move(source)), options_(options) {}

Database::~Database() = default;

Engine Database::engine() const { return source_->engine(); }

std::string Database::description() const { return source_->description(); }

std::optional<std::string> Database::run_attempts(Access access,
                                                  const std::function<bool(Connection&)>& attempt) {
  if (t_inside_work) return std::string(kNestedTransactionText);
  const int attempts = std::max(1, options_.conflict_attempts);
  const auto patient_until =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.conflict_patience_ms);
  for (int round = 1;; ++round) {
    auto taken = source_->take(access);
    if (!taken) return taken.error();
    Lease lease(*source_, taken.value(), access);
    Connection& connection = *lease.connection;
    if (auto begun = connection.begin(access, round); !begun) {
      // A link that died while it lay idle (the database restarted): nothing was done on it, so
      // the work goes to a new one.
      if (connection.broken() && round < attempts) continue;
      return begun.error();
    }
    bool stood = false;
    {
      InsideWork inside;
      stood = attempt(connection);
    }
    const bool again = round < attempts || std::chrono::steady_clock::now() < patient_until;
    if (!stood || connection.transaction_failed()) {
      const bool conflict = connection.conflict_failed();
      connection.rollback();
      if (conflict && again) {
        back_off(round);
        continue;
      }
      // The work's own refusal stands; a failure it did not see (a statement it let fail) does not
      // become a success.
      if (!stood) return std::nullopt;
      return std::string("database error: the transaction failed and was rolled back");
    }
    auto committed = connection.commit();
    if (committed) return std::nullopt;
    const bool conflict = connection.conflict_failed();
    connection.rollback();
    if (conflict && again) {
      back_off(round);
      continue;
    }
    return committed.error();
  }
}

}  // namespace brindle::server::storage
