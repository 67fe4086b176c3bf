// Every transport failure the client can meet, in the client's own language.

#include "core/net/transport_error_text.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using brindle::net::transport_error_text;

TEST(TransportErrorText, EachFailureHasChineseWordsOfItsMeaning) {
  const struct {
    CURLcode code;
    const char* text;
  } cases[] = {
      {CURLE_COULDNT_CONNECT, "无法与服务器建立连接。"},
      {CURLE_OPERATION_TIMEDOUT, "操作超时，服务器没有响应。"},
      {CURLE_SSL_CONNECT_ERROR, "无法与服务器建立安全连接。"},
      {CURLE_SSL_CIPHER, "无法与服务器建立安全连接。"},
      {CURLE_PEER_FAILED_VERIFICATION, "安全证书有问题，无法建立安全连接。"},
      {CURLE_SSL_CERTPROBLEM, "安全证书有问题，无法建立安全连接。"},
      {CURLE_RECV_ERROR, "接收服务器数据时连接中断。"},
      {CURLE_SEND_ERROR, "向服务器发送数据时连接中断。"},
      {CURLE_PARTIAL_FILE, "与服务器的连接意外中断。"},
      {CURLE_GOT_NOTHING, "服务器没有作出应答就关闭了连接。"},
      {CURLE_WEIRD_SERVER_REPLY, "服务器返回了无法识别的应答。"},
      {CURLE_COULDNT_RESOLVE_PROXY, "无法解析代理服务器的名称。"},
      {CURLE_PROXY, "与代理服务器握手失败。"},
      {CURLE_COULDNT_RESOLVE_HOST, "无法解析服务器的名称或地址。"},
      {CURLE_FILESIZE_EXCEEDED, "服务器返回的数据过大。"},
      {CURLE_READ_ERROR, "无法读取文件。"},
      {CURLE_FILE_COULDNT_READ_FILE, "无法读取文件。"},
      {CURLE_WRITE_ERROR, "无法保存收到的数据。"},
      {CURLE_OUT_OF_MEMORY, "内存不足，无法完成操作。"},
      {CURLE_ABORTED_BY_CALLBACK, "操作已取消。"},
      {CURLE_UNSUPPORTED_PROTOCOL, "不支持该协议。"},
      {CURLE_URL_MALFORMAT, "服务器地址格式不正确。"},
      {CURLE_FAILED_INIT, "网络组件发生了内部错误。"},
      {CURLE_UNRECOVERABLE_POLL, "网络组件发生了内部错误。"},
      {CURLE_TOO_MANY_REDIRECTS, "网络错误（代码 47）。"},
      {CURLE_LDAP_CANNOT_BIND, "网络错误（代码 38）。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(transport_error_text(c.code), c.text) << curl_easy_strerror(c.code);
  }
  EXPECT_EQ(transport_error_text(CURL_LAST), "网络错误（代码 " + std::to_string(CURL_LAST) + "）。");
}

// Nothing libcurl can return reaches the user in English.
TEST(TransportErrorText, NoCodeFallsBackToLibcurlsEnglish) {
  for (int code = 1; code < CURL_LAST; ++code) {
    const std::string text = transport_error_text(static_cast<CURLcode>(code));
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_GE(static_cast<unsigned char>(text.front()), 0xE0U) << code << " " << text;  // a CJK character
  }
}

}  // namespace
