#include "core/net/request.h"

#include <array>
#include <cstdio>

#include "core/net/transport.h"
#include "core/ports/log_sink.h"
#include "wire/gbk.h"

namespace brindle::net {

namespace {

struct SubjectRange {
  int first;
  int last;
  RequestCategory category;
};

constexpr auto A = RequestCategory::data_acquire;
constexpr auto U = RequestCategory::data_update;
constexpr auto T = RequestCategory::data_trans;
constexpr auto Q = RequestCategory::data_query;

// Which endpoint answers which operation; a number in no range has no endpoint.
constexpr std::array kSubjectRanges{
    SubjectRange{1001, 1005, A},   SubjectRange{11002, 11002, A}, SubjectRange{13002, 13002, A},
    SubjectRange{2001, 2014, U},   SubjectRange{2016, 2016, U},   SubjectRange{2018, 2022, U},
    SubjectRange{12001, 12003, U}, SubjectRange{12007, 12007, U}, SubjectRange{12010, 12010, U},
    SubjectRange{12014, 12015, U}, SubjectRange{3001, 3012, T},   SubjectRange{3016, 3016, T},
    SubjectRange{3018, 3018, T},   SubjectRange{3020, 3020, T},   SubjectRange{3022, 3022, T},
    SubjectRange{3030, 3033, T},   SubjectRange{3050, 3050, T},   SubjectRange{13001, 13001, T},
    SubjectRange{13008, 13011, T}, SubjectRange{4001, 4032, Q},   SubjectRange{4037, 4038, Q},
    SubjectRange{4040, 4040, Q},   SubjectRange{4050, 4051, Q},   SubjectRange{4054, 4054, Q},
    SubjectRange{4061, 4061, Q},   SubjectRange{4070, 4070, Q},   SubjectRange{5001, 5002, Q},
    SubjectRange{14001, 14005, Q}, SubjectRange{14011, 14011, Q}, SubjectRange{14016, 14017, Q},
    SubjectRange{14022, 14030, Q}, SubjectRange{14032, 14038, Q},
};

}  // namespace

RequestCategory category_for_subject(int subject_id) {
  for (const auto& range : kSubjectRanges) {
    if (subject_id >= range.first && subject_id <= range.last) return range.category;
  }
  return RequestCategory::none;
}

const char* category_name(RequestCategory category) {
  switch (category) {
    case RequestCategory::data_acquire:
      return "DATA_ACQUIRE";
    case RequestCategory::data_update:
      return "DATA_UPDATE";
    case RequestCategory::data_trans:
      return "DATA_TRANS";
    case RequestCategory::data_query:
      return "DATA_QUERY";
    case RequestCategory::none:
      return "";
  }
  return "";
}

void Request::set_subject_id(int subject_id, const std::string& server) {
  subject_id_ = subject_id;
  const RequestCategory category = category_for_subject(subject_id);
  if (category == RequestCategory::none) {
    url_.clear();
    return;
  }
  category_ = category;
  url_ = "https://" + server + "/betengine/VTServer220.dll?" + category_name(category);
}

void Request::set_txt_para(std::string txt_para) {
  if (!txt_para.empty() && txt_para.front() == '|') txt_para.insert(txt_para.begin(), '|');
  txt_para_ = std::move(txt_para);
}

void Request::set_proxy(bool use_proxy, std::string proxy) {
  use_proxy_ = use_proxy;
  proxy_ = std::move(proxy);
}

void Request::set_progress_texts(std::optional<std::string> connecting, std::optional<std::string> sending,
                                 std::optional<std::string> reading) {
  if (connecting) connecting_text_ = std::move(*connecting);
  if (sending) sending_text_ = std::move(*sending);
  if (reading) reading_text_ = std::move(*reading);
}

std::string Request::body(const RequestContext& context) const {
  std::string text = "txtLanguage=1&txtSubjectID=" + std::to_string(subject_id_);
  if (category_ != RequestCategory::data_acquire) {
    text += "&txtUserName=" + context.user_name + "&txtPwd=" + context.password + "&txtPara=" + txt_para_;
  }
  return wire::utf8_to_gbk(text);
}

bool Request::send(Transport& transport, ports::ProgressSink& progress, const RequestContext& context,
                   std::string& error, bool no_body) {
  if (url_.empty()) return false;
  HttpExchange exchange;
  exchange.url = url_;
  exchange.has_body = !no_body;
  if (!no_body) exchange.body = body(context);
  exchange.use_proxy = use_proxy_;
  exchange.proxy = proxy_;
  exchange.name_not_resolved_wording = name_not_resolved_wording_;
  exchange.connecting_text = connecting_text_;
  exchange.sending_text = sending_text_;
  exchange.reading_text = reading_text_;

  auto reply = transport.exchange(exchange, progress);
  reply_lines_.clear();
  read_cursor_ = 0;
  if (!reply) {
    error = reply.error();
    return false;
  }
  reply_lines_ = std::move(reply).value();
  report_invalid_bytes(transport.log_sink());
  return true;
}

void Request::report_invalid_bytes(ports::LogSink* log) const {
  if (log == nullptr) return;
  std::size_t first = 0;
  std::size_t count = 0;
  for (std::size_t i = 0; i < reply_lines_.size(); ++i) {
    if (wire::is_valid_gbk(reply_lines_[i])) continue;
    if (count++ == 0) first = i + 1;
  }
  if (count == 0) return;
  // The fields read from such lines show U+FFFD where the bytes were: say so where it can be seen.
  std::string text = "reply";
  if (subject_id_ != 0) text += " to SubjectID " + std::to_string(subject_id_);
  text += " from " + url_ + ": " + std::to_string(count) +
          " line(s) hold bytes that are not GBK (first: line " + std::to_string(first) +
          "); they read as U+FFFD";
  log->warn(text);
}

bool Request::read_line(std::string& line, std::size_t capacity) {
  if (read_cursor_ >= reply_lines_.size()) return false;
  const std::string& next = reply_lines_[read_cursor_++];
  const std::size_t room = capacity == 0 ? 0 : capacity - 1;
  line.assign(next, 0, wire::gbk_prefix_length(next, room));
  return true;
}

}  // namespace brindle::net
