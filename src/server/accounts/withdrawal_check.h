#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "server/accounts/account.h"
#include "server/accounts/attempt_limiter.h"
#include "server/accounts/password_hash.h"
#include "server/storage/database.h"

namespace brindle::server::accounts {

// The refusals of a withdrawal password while its account's failures are slowed down.
inline constexpr std::string_view kWithdrawalLockedFormat = "提彩密码错误次数过多，请%d分钟后再试！";
inline constexpr std::string_view kWithdrawalBackoffFormat = "提彩密码错误，请%d秒后再试！";

// Checks the withdrawal password (提彩密码) that transfers (2009) and profile changes (2004) ask
// for. Only a signed-in user gets this far, so failures count per account: backoff, then a lock,
// as the sign-in name's. A refused attempt hashes nothing. Thread-safe; the full check belongs on
// the worker pool.
class WithdrawalCheck final {
 public:
  enum class Kind {
    right,
    wrong,    // `refusal` holds the lock's text when this failure locked the account
    refused,  // backed off or locked: `refusal` says how long
    none_set,
    failed,  // the database failed: `refusal` holds its words, for the log only
  };
  struct Verdict {
    Kind kind = Kind::failed;
    std::string refusal;
    std::string stored_hash;  // what a right password (or none_set) was checked against
  };

  // Without a limiter nothing is slowed down.
  WithdrawalCheck(std::shared_ptr<storage::Database> database, std::shared_ptr<const PasswordHasher> hasher,
                  std::shared_ptr<AttemptLimiter> limiter);

  // Without hashing or reading: the refusal while the account may not try, else nothing.
  std::optional<std::string> refusal(AccountId id) const;
  Verdict verify(AccountId id, std::string_view password) const;

 private:
  std::shared_ptr<storage::Database> database_;
  std::shared_ptr<const PasswordHasher> hasher_;
  std::shared_ptr<AttemptLimiter> limiter_;
};

std::string withdrawal_refusal(const AttemptVerdict& verdict);

}  // namespace brindle::server::accounts
