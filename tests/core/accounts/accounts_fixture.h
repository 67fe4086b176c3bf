#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "../protocol/catalogue_fixture.h"
#include "core/ports/confirmation_port.h"
#include "core/ports/list_output_port.h"
#include "core/ports/message_port.h"

namespace brindle::testing {

struct AccountsMessages final : ports::MessagePort {
  int show_message(const std::string& text, bool) override {
    texts.push_back(text);
    return ok;
  }
  std::vector<std::string> texts;
};

struct ScriptedConfirmation final : ports::ConfirmationPort {
  bool confirm(const ports::ConfirmationRequest& r) override {
    shown.push_back(r);
    return answer;
  }
  std::vector<ports::ConfirmationRequest> shown;
  bool answer = true;
};

struct RecordingListOutput final : ports::ListOutputPort {
  void print(const ports::PrintableList& list) override { printed.push_back(list); }
  void export_csv(const ports::PrintableList& list) override { exported.push_back(list); }
  std::vector<ports::PrintableList> printed;
  std::vector<ports::PrintableList> exported;
};

// A signed-in account against a scripted server, with the ports of the account windows.
struct AccountsFixture : CatalogueFixture {
  // The txtPara of every exchange so far, in UTF-8.
  std::vector<std::string> paras() const {
    std::vector<std::string> out;
    for (const auto& e : transport.exchanges()) {
      const std::string body = wire::gbk_to_utf8(e.body);
      const auto at = body.find("&txtPara=");
      out.push_back(at == std::string::npos ? std::string() : body.substr(at + 9));
    }
    return out;
  }
  // The SubjectID of every exchange so far.
  std::vector<int> subjects() const {
    std::vector<int> out;
    for (const auto& e : transport.exchanges()) {
      const auto at = e.body.find("txtSubjectID=");
      out.push_back(at == std::string::npos ? 0 : std::atoi(e.body.c_str() + at + 13));
    }
    return out;
  }

  AccountsMessages messages;
  ScriptedConfirmation confirmation;
  RecordingListOutput output;
};

}  // namespace brindle::testing
