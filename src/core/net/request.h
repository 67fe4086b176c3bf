#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace brindle::ports {
class LogSink;
class ProgressSink;
}  // namespace brindle::ports

namespace brindle::net {

class Transport;

// Shown when a reply carries no line at all, so that a failure is never a blank message box.
inline constexpr const char* kEmptyReplyMessage = "服务器没有返回任何数据！";

enum class RequestCategory { none = 0, data_acquire = 1, data_update = 2, data_trans = 3, data_query = 4 };

// The category a SubjectID belongs to; `none` for a number outside every range.
RequestCategory category_for_subject(int subject_id);
// "DATA_ACQUIRE" …; empty for `none`.
const char* category_name(RequestCategory category);

// The signed-in user and the server that every Request body and URL is built from.
struct RequestContext {
  std::string current_server;  // "host" or "host:port"
  std::string user_name;       // UTF-8
  std::string password;        // UTF-8
};

// One exchange with the server: built on the stack, sent once, read line by line.
class Request {
 public:
  Request() = default;
  explicit Request(bool name_not_resolved_wording) : name_not_resolved_wording_(name_not_resolved_wording) {}

  // Records the SubjectID, chooses the category and sets the URL on `server`; a number outside
  // every range leaves the URL empty so that the send fails at once.
  void set_subject_id(int subject_id, const std::string& server);
  void set_url(std::string url) { url_ = std::move(url); }
  // A txtPara that begins with "|" gets one more in front: the receiver drops one leading separator.
  void set_txt_para(std::string txt_para);
  void set_proxy(bool use_proxy, std::string proxy);
  // Absent texts leave the current ones unchanged.
  void set_progress_texts(std::optional<std::string> connecting, std::optional<std::string> sending = {},
                          std::optional<std::string> reading = {});

  // The form body as the server receives it, in GBK: no URL-encoding of any kind.
  std::string body(const RequestContext& context) const;

  // Sends the Request. On success the Reply lines are filled; on failure `error` holds the text to
  // show, or is left untouched when the URL was empty. `no_body` sends a GET (the list documents).
  bool send(Transport& transport, ports::ProgressSink& progress, const RequestContext& context,
            std::string& error, bool no_body = false);

  // Copies the next Reply line (GBK bytes) cut to capacity − 1 bytes at a character boundary;
  // false when no line is left.
  bool read_line(std::string& line, std::size_t capacity);

  const std::string& url() const { return url_; }
  const std::string& txt_para() const { return txt_para_; }
  int subject_id() const { return subject_id_; }
  RequestCategory category() const { return category_; }
  bool name_not_resolved_wording() const { return name_not_resolved_wording_; }
  bool use_proxy() const { return use_proxy_; }
  const std::string& proxy() const { return proxy_; }
  const std::string& connecting_text() const { return connecting_text_; }
  const std::string& sending_text() const { return sending_text_; }
  const std::string& reading_text() const { return reading_text_; }
  const std::vector<std::string>& reply_lines() const { return reply_lines_; }

 private:
  // A warning through the transport's log for Reply lines that are not GBK.
  void report_invalid_bytes(ports::LogSink* log) const;

  std::string url_;
  std::string txt_para_;
  std::string connecting_text_;
  std::string sending_text_;
  std::string reading_text_;
  std::vector<std::string> reply_lines_;
  std::size_t read_cursor_ = 0;
  bool name_not_resolved_wording_ = false;
  int subject_id_ = 0;
  RequestCategory category_ = RequestCategory::none;
  bool use_proxy_ = false;
  std::string proxy_;
};

}  // namespace brindle::net
