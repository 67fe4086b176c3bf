#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/market/market.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"

namespace brindle::server::web {

// The web version of in-play betting that the client's "走地" window opens. Every request is a form
// POST over HTTPS carrying the web token of 4061, which stands for the user's credentials: the
// window's first request sends it, and every form of the page sends it back, so it never appears in
// an address, a history or a referrer.
//
//   POST /inplay/      token [pick=SELECTION] [follow=SERIAL,...]   the page, with a bet slip
//   POST /inplay/bet   token selection price stake key [follow]     places the bet, then the page
//
// A bet goes through the same bet-taking code as 3020, with its checks and refusals, for the
// token's account only.
inline constexpr std::string_view kInPlayPath = "/inplay/";
inline constexpr std::string_view kInPlayBetPath = "/inplay/bet";

inline constexpr std::string_view kInPlayHttpsOnlyText = "403 走地投注页面只接受HTTPS连接";
inline constexpr std::string_view kInPlayPostOnlyText = "405 请从客户端的走地窗口打开本页面";
inline constexpr std::string_view kTokenExpiredText = "走地页面已过期，请关闭本窗口后重新进入走地。";
inline constexpr std::string_view kBadFormText = "请求格式错误，请刷新页面后重试。";
inline constexpr std::string_view kNotOfferedText = "该盘口暂停投注，请选择其他盘口。";
inline constexpr std::string_view kAlreadyPlacedText = "该注单已经提交，请勿重复投注！";
inline constexpr std::string_view kWebServerErrorText = "服务器内部错误，请稍后再试。";

// The schema of the page's own state: the one-time keys of bet forms.
std::span<const storage::Migration> web_migrations();

struct WebAnswer {
  unsigned status = 200;
  std::string gbk_html;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string allow;  // for 405
};

class InPlayWeb final {
 public:
  InPlayWeb(std::shared_ptr<storage::Database> db, std::shared_ptr<market::Market> market)
      : db_(std::move(db)), market_(std::move(market)) {}

  static bool handles(std::string_view path) { return path == kInPlayPath || path == kInPlayBetPath; }
  // Safe to call from several threads at once. `over_tls` is false for plain HTTP, which is refused:
  // the token is as good as a password while it lives.
  WebAnswer answer(bool over_tls, std::string_view method, std::string_view path,
                   std::string_view body) const;

 private:
  std::shared_ptr<storage::Database> db_;
  std::shared_ptr<market::Market> market_;
};

}  // namespace brindle::server::web
