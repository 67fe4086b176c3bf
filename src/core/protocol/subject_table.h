#pragma once

#include <span>

namespace brindle::protocol {

// How one operation of the catalogue is sent: its Progress texts (null = that stage keeps the
// previous text), whether it goes through the user's own proxy setting and whether an unresolved
// server name is reported with the transport's network-problem wording.
struct SubjectEntry {
  int subject_id = 0;
  const char* connecting = nullptr;
  const char* sending = nullptr;
  const char* reading = nullptr;
  bool use_proxy = false;
  bool name_not_resolved_wording = false;
};

// The reading text of a market list fetched for the Asian handicap hall.
extern const char* const kReadingMarketsText;

// Every SubjectID the client sends, in catalogue order.
std::span<const SubjectEntry> catalogue_subjects();

// The entry of a SubjectID; null for one the client never sends.
const SubjectEntry* find_subject(int subject_id);

}  // namespace brindle::protocol
