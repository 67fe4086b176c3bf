#include "core/net/reply_lines.h"

#include "wire/gbk.h"

namespace brindle::net {

namespace {

// Line ends never get here; GBK trail bytes are all above 0x3F, so none is taken for a blank.
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

}  // namespace

void ReplyLineSplitter::feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t end = bytes.find_first_of("\r\n");
    const std::string_view part = bytes.substr(0, end);
    pending_.append(part);
    // Cut only once a byte beyond the limit is known, so that a pair straddling it is kept whole.
    while (pending_.size() > kMaxLineBytes) {
      std::size_t cut = wire::gbk_prefix_length(pending_, kMaxLineBytes);
      if (cut == 0) cut = kMaxLineBytes;
      if (!cutting_) ++cut_lines_;
      cutting_ = true;
      emit(std::string_view(pending_).substr(0, cut));
      pending_.erase(0, cut);
    }
    if (end == std::string_view::npos) return;
    emit(pending_);
    pending_.clear();
    cutting_ = false;
    bytes.remove_prefix(end + 1);
  }
}

void ReplyLineSplitter::finish() {
  emit(pending_);
  pending_.clear();
  cutting_ = false;
}

void ReplyLineSplitter::emit(std::string_view piece) {
  while (!piece.empty() && is_blank(piece.front())) piece.remove_prefix(1);
  while (!piece.empty() && is_blank(piece.back())) piece.remove_suffix(1);
  if (!piece.empty()) keep_(std::string(piece));
}

}  // namespace brindle::net
