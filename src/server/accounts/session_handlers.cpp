#include "server/accounts/session_handlers.h"

#include <string>
#include <utility>

#include "wire/records/account_records.h"

namespace brindle::server {
namespace {

constexpr int kLatestInformation = 1001;
constexpr int kSecondInformation = 1005;
constexpr int kVersionCheck = 13002;

}  // namespace

Result<void> add_session_handlers(Dispatcher& dispatcher, std::shared_ptr<const ServerConfig> config) {
  // The client compares the version with its own and starts its upgrader when they differ.
  auto added = dispatcher.add(kVersionCheck, [config](const SubjectRequest&) {
    return Reply::success(config->login_notice, {std::to_string(config->version)});
  });
  if (!added) return added;
  added = dispatcher.add(kLatestInformation, [config](const SubjectRequest&) {
    return Reply::success({}, records::to_fields(records::OneTextRecord{config->latest_information}));
  });
  if (!added) return added;
  return dispatcher.add(kSecondInformation, [config](const SubjectRequest&) {
    return Reply::success({}, records::to_fields(records::OneTextRecord{config->second_information}));
  });
}

}  // namespace brindle::server
