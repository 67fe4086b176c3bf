#include "server/rooms/star_handlers.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/authenticator.h"
#include "server/accounts/ledger.h"
#include "server/accounts/withdrawal_check.h"
#include "server/http/para_fields.h"
#include "server/operations/log.h"
#include "server/rooms/room_store.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"
#include "wire/records/account_records.h"

namespace brindle::server {
namespace {

constexpr int kStarTerms = 1003;
constexpr int kRoomList = 1004;
constexpr int kTransfer = 2009;
constexpr int kApplyForStar = 2012;
constexpr int kCreateRoom = 3006;
constexpr int kRoomPositions = 4006;

using accounts::Currency;
using storage::Cents;
using storage::Connection;

struct Context {
  std::shared_ptr<const ServerConfig> config;
  std::shared_ptr<storage::Database> db;
  std::shared_ptr<const accounts::WithdrawalCheck> withdrawal;
};

Reply server_error() { return Reply::failure(kResultServerError, std::string(kServerErrorText)); }

// A transaction that refuses in the client's words: `refused` holds the text to show, and any other
// failure is the database's, which reaches the client as the generic server error.
struct Refusal {
  std::string text;
  template <typename T>
  Result<T> with(std::string_view words) {
    text = std::string(words);
    return Result<T>::failure(text);
  }
  Reply reply() const { return text.empty() ? server_error() : Reply::failure(kResultRefused, text); }
};

Cents deposit_cents(const ServerConfig& config, Currency currency) {
  // RMB, USD, and HKD for every other code, as the star-member window tests it.
  const std::int64_t units = currency == Currency::rmb   ? config.star_deposit_rmb
                             : currency == Currency::usd ? config.star_deposit_usd
                                                         : config.star_deposit_hkd;
  return units * 100;
}

Reply star_terms(const Context& c, const SubjectRequest&) {
  const auto& config = *c.config;
  // The fourth figure, unused by the client, tells the room commission in percent.
  return Reply::success({},
                        records::to_fields(records::StarTermsRecord{
                            std::to_string(config.star_deposit_rmb), std::to_string(config.star_deposit_hkd),
                            std::to_string(config.star_deposit_usd),
                            storage::money_text(config.room_commission_basis_points)}));
}

Reply apply_for_star(const Context& c, const SubjectRequest& r) {
  Refusal refuse;
  auto done = c.db->transaction([&](Connection& connection) -> Result<void> {
    auto account = accounts::find_account(connection, r.account->id);
    if (!account) return Result<void>::failure(account.error());
    if (!account.value()) return refuse.with<void>(accounts::kNoSuchAccountText);
    const auto& a = *account.value();
    if (a.star_member) return refuse.with<void>(kAlreadyStarText);
    if (a.frozen) return refuse.with<void>(accounts::kAccountFrozenText);
    if (a.currency == Currency::none) return refuse.with<void>(kStarNoCurrencyText);
    // The deposit is checked against the available funds, not held: the star member keeps his
    // money, and the operator reviews the membership before commissions count.
    if (deposit_cents(*c.config, a.currency) > a.balance) return refuse.with<void>(kDepositShortText);
    return accounts::set_star_member(connection, a.id, true);
  });
  if (!done) return refuse.reply();
  return Reply::success(std::string(kStarAcceptedText));
}

// Refusals of the ledger that the client is to see in its words.
bool is_ledger_refusal(const std::string& text) {
  static const std::set<std::string, std::less<>> texts = {
      std::string(accounts::kNotEnoughBalanceText), std::string(accounts::kAccountFrozenText),
      std::string(accounts::kNoCurrencyText),       std::string(accounts::kBadAmountText),
      std::string(accounts::kTransferToSelfText),   std::string(storage::kAmountTooLargeText)};
  return texts.contains(text);
}

Reply transfer(const Context& c, const SubjectRequest& r) {
  const auto& sender = *r.account;
  const auto fields = split_para(r.form.credentials->para);
  if (fields.size() != 3) return Reply::failure(kResultRefused, std::string(kBadTransferText));
  auto amount = storage::parse_amount(fields[1]);
  if (!amount || amount.value() <= 0)
    return Reply::failure(kResultRefused, std::string(kBadTransferAmountText));
  const std::string receiver_name(fields[2]);
  if (receiver_name.empty()) return Reply::failure(kResultRefused, std::string(accounts::kUserNameEmptyText));
  if (receiver_name == sender.user_name)
    return Reply::failure(kResultRefused, std::string(accounts::kTransferToSelfText));

  // The password first, outside the transaction: hashing takes time and holds no lock.
  auto checked = c.withdrawal->verify(sender.id, fields[0]);
  using Kind = accounts::WithdrawalCheck::Kind;
  switch (checked.kind) {
    case Kind::right:
      break;
    case Kind::none_set:
      return Reply::failure(kResultRefused, std::string(kNoWithdrawalPasswordText));
    case Kind::wrong:
      if (checked.refusal.empty()) checked.refusal = kWrongWithdrawalPasswordText;
      [[fallthrough]];
    case Kind::refused:
      return Reply::failure(kResultRefused, std::move(checked.refusal));
    case Kind::failed:
      operations::log::error("transfer: " + checked.refusal);
      return server_error();
  }

  Refusal refuse;
  bool cash_out = false;
  auto done = c.db->transaction([&](Connection& connection) -> Result<void> {
    auto payer = accounts::find_account(connection, sender.id);
    if (!payer) return Result<void>::failure(payer.error());
    auto payee = accounts::find_credential(connection, receiver_name);
    if (!payee) return Result<void>::failure(payee.error());
    if (!payer.value()) return refuse.with<void>(accounts::kNoSuchAccountText);
    if (!payee.value()) return refuse.with<void>(kNoSuchReceiverText);
    const auto& from = *payer.value();
    const auto& to = payee.value()->identity;
    if (!from.star_member && !to.star_member) return refuse.with<void>(kOnlyToStarText);
    if (from.currency != Currency::none && to.currency != Currency::none && from.currency != to.currency)
      return refuse.with<void>(kOtherCurrencyText);
    cash_out = !from.star_member;
    auto moved = accounts::transfer(connection, from.id, to.id, amount.value());
    if (!moved) {
      if (is_ledger_refusal(moved.error())) return refuse.with<void>(moved.error());
      return Result<void>::failure(moved.error());
    }
    return {};
  });
  if (!done) {
    if (refuse.text.empty()) operations::log::error("transfer: " + done.error());
    return refuse.reply();
  }
  return Reply::success(std::string(cash_out ? kCashOutDoneText : kTransferDoneText));
}

Reply room_list(const Context& c, const SubjectRequest&) {
  auto rooms = c.db->read([](Connection& connection) { return rooms::list_rooms(connection); });
  if (!rooms) return server_error();
  // The header's further text: how many rooms there are.
  auto reply = Reply::success({}, records::to_fields(records::RoomListHeader{std::to_string(rooms->size())}));
  for (const auto& room : rooms.value()) {
    reply.add_row(records::to_fields(
        records::RoomLine{room.owner_name, room.creator_text, room.name, std::to_string(room.password),
                          static_cast<int>(room.number), 0, room.position_id, room.position_name,
                          std::string(), room.position_id < 100 ? room.position_name : std::string()}));
  }
  return reply;
}

// A star member with an agent places his rooms there and nowhere else; everyone else chooses among
// the configured positions.
Result<std::vector<ListEntry>> positions_for(const Context& c, Connection& connection,
                                             accounts::AccountId id) {
  auto agent = accounts::find_agent(connection, id);
  if (!agent) return Result<std::vector<ListEntry>>::failure(agent.error());
  if (agent.value()) return std::vector<ListEntry>{{agent.value()->name, agent.value()->id}};
  return c.config->room_positions;
}

Reply room_positions(const Context& c, const SubjectRequest& r) {
  auto positions =
      c.db->read([&](Connection& connection) { return positions_for(c, connection, r.account->id); });
  if (!positions) return server_error();
  auto reply = Reply::success({});
  for (const auto& position : positions.value())
    reply.add_row(records::to_fields(records::RoomPositionLine{position.number, position.text}));
  return reply;
}

Reply create_room(const Context& c, const SubjectRequest& r) {
  const auto fields = split_para(r.form.credentials->para);
  int position_id = 0;
  if (fields.size() != 2 || !parse_int(fields[1], position_id))
    return Reply::failure(kResultRefused, std::string(kBadCreateRoomText));
  Refusal refuse;
  auto made = c.db->transaction([&](Connection& connection) -> Result<rooms::Room> {
    using R = Result<rooms::Room>;
    auto owner = accounts::find_account(connection, r.account->id);
    if (!owner) return R::failure(owner.error());
    if (!owner.value() || !owner.value()->star_member)
      return refuse.with<rooms::Room>(kOnlyStarCreatesRoomText);
    if (owner.value()->frozen) return refuse.with<rooms::Room>(accounts::kAccountFrozenText);
    auto positions = positions_for(c, connection, owner.value()->id);
    if (!positions) return R::failure(positions.error());
    const auto position = std::find_if(positions->begin(), positions->end(),
                                       [&](const ListEntry& p) { return p.number == position_id; });
    if (position == positions->end()) return refuse.with<rooms::Room>(kBadPositionText);
    if (auto ok = rooms::check_room_name(fields[0]); !ok) return refuse.with<rooms::Room>(ok.error());
    auto room = rooms::create_room(connection, owner.value()->id, fields[0], position->number, position->text,
                                   storage::now_unix_seconds());
    if (!room && room.error() == rooms::kTooManyRoomsText) return refuse.with<rooms::Room>(room.error());
    return room;
  });
  if (!made) return refuse.reply();
  return Reply::success(std::string(kRoomCreatedText),
                        records::to_fields(records::CreatedRoomRecord{
                            std::to_string(made->password), storage::ole_from_unix(made->created_at)}));
}

}  // namespace

Result<void> add_star_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.config || !services.db || !services.hasher)
    return Result<void>::failure("star handlers need the configuration, the database and a hasher");
  const Context context{services.config, services.db,
                        std::make_shared<const accounts::WithdrawalCheck>(
                            services.db, services.hasher, services.limiters.withdrawal_by_account)};
  using Handler = Reply (*)(const Context&, const SubjectRequest&);
  struct Entry {
    int subject;
    Handler handler;
    bool signed_in;    // DATA_ACQUIRE subjects come without sign-in fields
    HandlerCost cost;  // a transfer hashes its withdrawal password: on the worker pool
  };
  const auto quick = HandlerCost::quick;
  const Entry table[] = {
      {kStarTerms, star_terms, false, quick},           {kRoomList, room_list, false, quick},
      {kTransfer, transfer, true, HandlerCost::hashes}, {kApplyForStar, apply_for_star, true, quick},
      {kCreateRoom, create_room, true, quick},          {kRoomPositions, room_positions, true, quick},
  };
  // A transfer from an account that may not try its withdrawal password now is refused on the
  // network thread, without queueing behind the pool's hashing.
  const auto withdrawal_precheck =
      [withdrawal = context.withdrawal](const SubjectRequest& request) -> std::optional<Reply> {
    if (!request.account) return std::nullopt;
    auto refused = withdrawal->refusal(request.account->id);
    if (!refused) return std::nullopt;
    return Reply::failure(kResultRefused, std::move(*refused));
  };
  for (const auto& entry : table) {
    auto added = dispatcher.add(
        entry.subject,
        [context, entry](const SubjectRequest& request) -> Reply {
          if (entry.signed_in && (!request.account || !request.form.credentials)) {
            return Reply::failure(accounts::kResultNotSignedIn, std::string(accounts::kWrongCredentialsText));
          }
          return entry.handler(context, request);
        },
        Dispatcher::Access::signed_in, entry.cost,
        entry.cost == HandlerCost::hashes ? SubjectPrecheck(withdrawal_precheck) : SubjectPrecheck{});
    if (!added) return added;
  }
  return {};
}

}  // namespace brindle::server
