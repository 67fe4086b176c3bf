#include "core/net/transport_error_text.h"

#include <cstdio>
#include <string>

namespace brindle::net {

namespace {

constexpr char kCannotConnectText[] = "无法与服务器建立连接。";
constexpr char kTimedOutText[] = "操作超时，服务器没有响应。";
constexpr char kSecureChannelText[] = "无法与服务器建立安全连接。";
constexpr char kCertificateText[] = "安全证书有问题，无法建立安全连接。";
constexpr char kReceiveFailedText[] = "接收服务器数据时连接中断。";
constexpr char kSendFailedText[] = "向服务器发送数据时连接中断。";
constexpr char kConnectionBrokenText[] = "与服务器的连接意外中断。";
constexpr char kGotNothingText[] = "服务器没有作出应答就关闭了连接。";
constexpr char kUnrecognisedReplyText[] = "服务器返回了无法识别的应答。";
constexpr char kProxyNotResolvedText[] = "无法解析代理服务器的名称。";
constexpr char kProxyFailedText[] = "与代理服务器握手失败。";
constexpr char kHostNotResolvedText[] = "无法解析服务器的名称或地址。";
constexpr char kReplyTooLargeText[] = "服务器返回的数据过大。";
constexpr char kFileUnreadableText[] = "无法读取文件。";
constexpr char kCannotKeepDataText[] = "无法保存收到的数据。";
constexpr char kOutOfMemoryText[] = "内存不足，无法完成操作。";
constexpr char kAbortedText[] = "操作已取消。";
constexpr char kUnsupportedProtocolText[] = "不支持该协议。";
constexpr char kBadAddressText[] = "服务器地址格式不正确。";
constexpr char kInternalErrorText[] = "网络组件发生了内部错误。";
constexpr char kOtherErrorFormat[] = "网络错误（代码 %d）。";

}  // namespace

std::string transport_error_text(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT:
      return kCannotConnectText;
    case CURLE_OPERATION_TIMEDOUT:
      return kTimedOutText;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_USE_SSL_FAILED:
      return kSecureChannelText;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return kCertificateText;
    case CURLE_RECV_ERROR:
      return kReceiveFailedText;
    case CURLE_SEND_ERROR:
    case CURLE_SEND_FAIL_REWIND:
      return kSendFailedText;
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_HTTP3:
    case CURLE_QUIC_CONNECT_ERROR:
      return kConnectionBrokenText;
    case CURLE_GOT_NOTHING:
      return kGotNothingText;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
      return kUnrecognisedReplyText;
    case CURLE_COULDNT_RESOLVE_PROXY:
      return kProxyNotResolvedText;
    case CURLE_PROXY:
      return kProxyFailedText;
    case CURLE_COULDNT_RESOLVE_HOST:
      return kHostNotResolvedText;
    case CURLE_FILESIZE_EXCEEDED:
      return kReplyTooLargeText;
    case CURLE_READ_ERROR:
    case CURLE_FILE_COULDNT_READ_FILE:
      return kFileUnreadableText;
    case CURLE_WRITE_ERROR:
      return kCannotKeepDataText;
    case CURLE_OUT_OF_MEMORY:
      return kOutOfMemoryText;
    case CURLE_ABORTED_BY_CALLBACK:
      return kAbortedText;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kUnsupportedProtocolText;
    case CURLE_URL_MALFORMAT:
      return kBadAddressText;
    case CURLE_FAILED_INIT:
    case CURLE_NOT_BUILT_IN:
    case CURLE_BAD_FUNCTION_ARGUMENT:
    case CURLE_UNKNOWN_OPTION:
    case CURLE_RECURSIVE_API_CALL:
    case CURLE_UNRECOVERABLE_POLL:
    case CURLE_AGAIN:
      return kInternalErrorText;
    default:
      break;
  }
  char text[64];
  std::snprintf(text, sizeof text, kOtherErrorFormat, static_cast<int>(code));
  return text;
}

}  // namespace brindle::net
