#pragma once

#include <memory>
#include <string>
#include <vector>

namespace brindle::server {

inline constexpr int kResultSuccess = 1;
inline constexpr int kResultRefused = 0;      // the request itself is malformed or misfiled
inline constexpr int kResultUnsupported = 2;  // a well-formed request this server does not answer
inline constexpr int kResultServerError = 3;  // the server failed while answering

// One answer to a SubjectID: a header line (Result code, message, any further fields) and, for list
// replies, one line per row. Fields are UTF-8 until the reply is written out.
class Reply final {
 public:
  static Reply success(std::string message, std::vector<std::string> fields = {});
  static Reply failure(int result_code, std::string message);

  void add_row(std::vector<std::string> fields);
  // Rows already in GBK, every line ending in CR LF, written after all rows added with add_row: a
  // handler that sends the same rows to many requests encodes them once.
  void add_encoded_rows(std::shared_ptr<const std::string> gbk_lines);

  int result_code() const { return result_code_; }
  const std::vector<std::vector<std::string>>& lines() const { return lines_; }

  // The GBK text of the reply, every line ending in CR LF.
  std::string to_gbk() const;

 private:
  Reply(int result_code, std::vector<std::string> header);

  int result_code_;
  std::vector<std::vector<std::string>> lines_;
  std::vector<std::shared_ptr<const std::string>> encoded_rows_;
};

}  // namespace brindle::server
