#pragma once

#include <array>
#include <string>

#include "core/protocol/account_records.h"
#include "core/protocol/list_rows.h"
#include "core/protocol/session.h"

namespace brindle::protocol {

// The account, transfer, star-member, registration and profile operations.

inline constexpr const char* kTransferAmountRefusal = "拨彩金额不正确！";
// A typed text that would be split into two fields of the request is refused before sending.
inline constexpr const char* kSeparatorRefusal = "输入的内容不能包含“|”！";
// A web session token is accepted at this length; shorter or longer ones are asked for again.
inline constexpr std::size_t kWebTokenLength = 40;
inline constexpr int kWebTokenTries = 5;

// 4012: the figures replace the Client context's account figures.
Outcome fetch_balance(Session& session, AccountBalance& balance);

// 4061, asked again up to four times while the token is not 40 characters long. `token` is the
// Client context's prefix and the token when one was accepted, else the last text as received.
struct WebToken {
  std::string text;
  bool accepted = false;  // 40 characters
  int requests = 0;
  // What the embedded page may be given: not empty and not the server's "Error!".
  bool usable() const { return !text.empty() && text != "Error!"; }
};
Outcome fetch_web_token(Session& session, WebToken& token);

// 2009: refused before any traffic when the amount is not above 0.
Outcome transfer_funds(Session& session, const std::string& withdrawal_password, double amount,
                       const std::string& receiving_user);
// 2012.
Outcome apply_for_star_membership(Session& session);
// 1003: the texts also go to the Client context.
Outcome fetch_star_member_terms(Session& session, StarMemberTerms& terms);
// 1005: into the Client context.
Outcome fetch_second_information(Session& session);

// 2016: the typed user name replaces the Client context's, so that it travels as txtUserName.
Outcome retrieve_password(Session& session, const std::string& typed_user_name);
// 2020 and 2021.
Outcome check_user_name_free(Session& session, const std::string& user_name);
Outcome check_nickname_free(Session& session, const std::string& nickname);

// Three texts that always stand as three fields, empty ones included.
using ParameterGroup = std::array<std::string, 3>;
using ParameterGroups = std::array<ParameterGroup, 4>;
std::string parameter_groups_para(const ParameterGroups& groups);

// 2022: the nine registration texts (user name first, password second), the signature, the
// groups and "1".
Outcome register_account(Session& session, const std::array<std::string, 9>& texts,
                         const ParameterGroups& groups);
// 2004.
Outcome change_profile(Session& session, const std::string& user_name,
                       const std::array<std::string, 7>& texts, const ParameterGroups& groups);

}  // namespace brindle::protocol
