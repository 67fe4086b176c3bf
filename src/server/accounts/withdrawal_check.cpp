#include "server/accounts/withdrawal_check.h"

#include <utility>

#include "server/accounts/account_store.h"

namespace brindle::server::accounts {
namespace {

std::string key_of(AccountId id) { return std::to_string(id); }

}  // namespace

std::string withdrawal_refusal(const AttemptVerdict& verdict) {
  return refusal_text(verdict, kWithdrawalLockedFormat, kWithdrawalBackoffFormat);
}

WithdrawalCheck::WithdrawalCheck(std::shared_ptr<storage::Database> database,
                                 std::shared_ptr<const PasswordHasher> hasher,
                                 std::shared_ptr<AttemptLimiter> limiter)
    : database_(std::move(database)), hasher_(std::move(hasher)), limiter_(std::move(limiter)) {}

std::optional<std::string> WithdrawalCheck::refusal(AccountId id) const {
  if (!limiter_) return std::nullopt;
  const auto verdict = limiter_->check(key_of(id));
  if (verdict.allowed()) return std::nullopt;
  return withdrawal_refusal(verdict);
}

WithdrawalCheck::Verdict WithdrawalCheck::verify(AccountId id, std::string_view password) const {
  // Asked again here, right before the hash: the network thread's answer may be stale by now.
  if (auto refused = refusal(id)) return {Kind::refused, std::move(*refused), {}};
  auto stored = database_->read(
      [id](storage::Connection& connection) { return withdrawal_password_hash(connection, id); });
  if (!stored) return {Kind::failed, stored.error(), {}};
  if (stored->empty()) return {Kind::none_set, {}, {}};
  if (hasher_->verify(password, stored.value())) {
    if (limiter_) limiter_->clear(key_of(id));
    return {Kind::right, {}, std::move(stored).value()};
  }
  if (!limiter_) return {Kind::wrong, {}, {}};
  // The failure that locks says so at once; a mere backoff shows on the next attempt.
  const auto next = limiter_->count(key_of(id));
  if (next.kind == AttemptVerdict::Kind::locked) return {Kind::wrong, withdrawal_refusal(next), {}};
  return {Kind::wrong, {}, {}};
}

}  // namespace brindle::server::accounts
