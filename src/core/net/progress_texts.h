#pragma once

namespace brindle::net {

// The Progress window's texts, shared by every request that shows them.
inline constexpr char kConnectingText[] = "正在与服务器连接...";
inline constexpr char kSendingText[] = "正在向服务器发送请求...";
inline constexpr char kSubmittingText[] = "正在向服务器提交数据...";
inline constexpr char kSigningInText[] = "正在登陆服务器...";
inline constexpr char kReadingText[] = "正在从服务器读取数据...";
inline constexpr char kLatestInformationText[] = "正在获取最新信息...";
inline constexpr char kVerifyingVersionText[] = "正在验证终端版本号...";
// Only a Progress text: nothing in the Version check's reply is a key.
inline constexpr char kFetchingKeyText[] = "正在从服务器获取128位密钥...";

}  // namespace brindle::net
