#include "core/protocol/account_requests.h"

#include <cmath>

#include "core/net/client_context.h"
#include "core/net/digest.h"
#include "core/protocol/account_parsers.h"
#include "core/protocol/bet_submission.h"
#include "wire/gbk.h"

namespace brindle::protocol {
namespace {

template <typename Parse>
Outcome query(Session& session, int subject_id, std::string para, Parse&& parse) {
  auto sent = send_subject(session, subject_id, std::move(para));
  if (!sent) return Outcome::failure(sent.error());
  return parse(sent->reply_lines());
}

Outcome acknowledged(Session& session, int subject_id, std::string para) {
  return query(session, subject_id, std::move(para),
               [](const auto& lines) { return parse_acknowledgement(lines); });
}

bool has_separator(const std::string& text) { return text.find('|') != std::string::npos; }

template <typename Texts>
bool any_separator(const Texts& texts) {
  for (const auto& t : texts) {
    if (has_separator(t)) return true;
  }
  return false;
}

bool any_separator(const ParameterGroups& groups) {
  for (const auto& g : groups) {
    if (any_separator(g)) return true;
  }
  return false;
}

}  // namespace

Outcome fetch_balance(Session& session, AccountBalance& balance) {
  AccountBalance fresh;
  auto outcome =
      query(session, 4012, {}, [&](const auto& lines) { return parse_account_balance(lines, fresh); });
  if (!outcome) return outcome;
  auto& context = session.context;
  context.account_amount = fresh.amount;
  context.frozen_amount = fresh.frozen_amount;
  context.balance = fresh.balance;
  context.currency_code = fresh.currency_code;
  context.credit = fresh.credit;
  balance = fresh;
  return outcome;
}

Outcome fetch_web_token(Session& session, WebToken& token) {
  std::string text;
  Outcome outcome = Outcome::failure({});
  int requests = 0;
  while (requests < kWebTokenTries) {
    ++requests;
    outcome = query(session, 4061, {}, [&](const auto& lines) { return parse_one_text(lines, text); });
    if (!outcome) break;
    if (wire::gbk_byte_length(text) == kWebTokenLength) break;
  }
  if (!outcome) return outcome;
  token.accepted = wire::gbk_byte_length(text) == kWebTokenLength;
  token.text = token.accepted ? session.context.web_token_prefix + text : text;
  token.requests = requests;
  return outcome;
}

Outcome transfer_funds(Session& session, const std::string& withdrawal_password, double amount,
                       const std::string& receiving_user) {
  if (!(amount > 0.0) || !std::isfinite(amount)) return Outcome::failure(kTransferAmountRefusal);
  if (has_separator(withdrawal_password) || has_separator(receiving_user))
    return Outcome::failure(kSeparatorRefusal);
  return acknowledged(session, 2009, withdrawal_password + "|" + amount_text(amount) + "|" + receiving_user);
}

Outcome apply_for_star_membership(Session& session) { return acknowledged(session, 2012, "0"); }

Outcome fetch_star_member_terms(Session& session, StarMemberTerms& terms) {
  StarMemberTerms fresh;
  auto outcome =
      query(session, 1003, {}, [&](const auto& lines) { return parse_star_member_terms(lines, fresh); });
  if (!outcome) return outcome;
  session.context.star_member_terms = {fresh.rmb_deposit, fresh.hkd_deposit, fresh.usd_deposit, fresh.fourth};
  terms = std::move(fresh);
  return outcome;
}

Outcome fetch_second_information(Session& session) {
  return query(session, 1005, {},
               [&](const auto& lines) { return parse_one_text(lines, session.context.second_information); });
}

Outcome retrieve_password(Session& session, const std::string& typed_user_name) {
  session.context.user_name = typed_user_name;
  return acknowledged(session, 2016, {});
}

Outcome check_user_name_free(Session& session, const std::string& user_name) {
  if (has_separator(user_name)) return Outcome::failure(kSeparatorRefusal);
  return acknowledged(session, 2020, user_name + "|0");
}

Outcome check_nickname_free(Session& session, const std::string& nickname) {
  if (has_separator(nickname)) return Outcome::failure(kSeparatorRefusal);
  return acknowledged(session, 2021, nickname + "|1");
}

std::string parameter_groups_para(const ParameterGroups& groups) {
  std::string para;
  for (const auto& g : groups) para += "|" + g[0] + "|" + g[1] + "|" + g[2];
  return para;
}

Outcome register_account(Session& session, const std::array<std::string, 9>& texts,
                         const ParameterGroups& groups) {
  if (any_separator(texts) || any_separator(groups)) return Outcome::failure(kSeparatorRefusal);
  std::string para;
  for (const auto& t : texts) para += t + "|";
  para += net::registration_signature(texts[0], texts[1]);
  para += parameter_groups_para(groups) + "|1";
  return acknowledged(session, 2022, std::move(para));
}

Outcome change_profile(Session& session, const std::string& user_name,
                       const std::array<std::string, 7>& texts, const ParameterGroups& groups) {
  if (has_separator(user_name) || any_separator(texts) || any_separator(groups)) {
    return Outcome::failure(kSeparatorRefusal);
  }
  std::string para = user_name;
  for (const auto& t : texts) para += "|" + t;
  para += parameter_groups_para(groups);
  return acknowledged(session, 2004, std::move(para));
}

}  // namespace brindle::protocol
