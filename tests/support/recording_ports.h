#pragma once

#include <string>
#include <vector>

#include "core/ports/list_output_port.h"
#include "core/ports/message_port.h"

namespace brindle::testing {

// Keeps every message shown and answers OK.
struct RecordingMessages final : ports::MessagePort {
  int show_message(const std::string& text, bool) override {
    texts.push_back(text);
    return ok;
  }
  std::vector<std::string> texts;
};

// Keeps every message shown and gives the same answer to each.
struct AnsweringMessages final : ports::MessagePort {
  int show_message(const std::string& text, bool) override {
    shown.push_back(text);
    return answer;
  }
  std::vector<std::string> shown;
  int answer = ok;
};

struct RecordingListOutput final : ports::ListOutputPort {
  void print(const ports::PrintableList& list) override { printed.push_back(list); }
  void export_csv(const ports::PrintableList& list) override { exported.push_back(list); }
  std::vector<ports::PrintableList> printed;
  std::vector<ports::PrintableList> exported;
};

}  // namespace brindle::testing
