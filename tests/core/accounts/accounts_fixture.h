#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "../protocol/catalogue_fixture.h"
#include "core/ports/confirmation_port.h"
#include "support/recording_ports.h"

namespace brindle::testing {

struct ScriptedConfirmation final : ports::ConfirmationPort {
  bool confirm(const ports::ConfirmationRequest& r) override {
    shown.push_back(r);
    return answer;
  }
  std::vector<ports::ConfirmationRequest> shown;
  bool answer = true;
};

// A signed-in account against a scripted server, with the ports of the account windows.
struct AccountsFixture : CatalogueFixture {
  RecordingMessages messages;
  ScriptedConfirmation confirmation;
  RecordingListOutput output;
};

}  // namespace brindle::testing
