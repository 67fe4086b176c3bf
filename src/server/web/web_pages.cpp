#include "server/web/web_pages.h"

#include <array>

#include "wire/gbk.h"

namespace brindle::server::web {

namespace {

struct Page {
  std::string_view path;
  std::string_view title;
  std::string_view body;  // HTML inside the page's article, UTF-8
};

constexpr std::string_view kStyle =
    "body{margin:0;font-family:'Noto Sans CJK SC','Microsoft "
    "YaHei',sans-serif;background:#f4f6fa;color:#1c2a3a}"
    "header{background:linear-gradient(#163f78,#0b1f3a);color:#fff;padding:14px 28px;border-bottom:3px solid "
    "#f2b441}"
    "header b{color:#f2b441;font-size:22px;margin-right:24px}header a{color:#dfe7f3;margin-right:16px;"
    "text-decoration:none}article{max-width:860px;margin:24px auto;background:#fff;padding:24px 32px;"
    "border-radius:8px;box-shadow:0 2px 8px rgba(11,31,58,.12)}h1{color:#12325c;font-size:22px}"
    "li{margin:6px 0}.note{color:#5a6b80;font-size:13px}table{border-collapse:collapse}"
    "td,th{border:1px solid #d5dce6;padding:6px 12px}"
    // The halls' advertisement pane is 170 pixels wide: the brand and each link stay whole on a line
    // of their own, and a heading fits the pane.
    "@media (max-width:360px){header{padding:10px 12px}header b{display:block;font-size:18px;margin:0 0 6px;"
    "white-space:nowrap}header a{display:inline-block;white-space:nowrap;margin:0 10px 4px 0;font-size:14px}"
    "article{margin:10px 6px;padding:12px 10px}h1{font-size:16px}}";

constexpr std::array kPages = {
    Page{"/", "澜川国际体育",
         "<h1>欢迎光临澜川国际体育</"
         "h1><p>足球、篮球的亚洲让球盘、大小球、胜平负、波胆、过关与走地，一站尽享。</p>"
         "<ul><li><a href='/news/'>最新消息</a></li><li><a href='/doc/rule.htm'>投注规则</a></li>"
         "<li><a href='/doc/paq.htm'>玩法问答</a></li><li><a "
         "href='/doc/agreement.htm'>会员协议</a></li></ul>"},
    Page{"/news/", "最新消息",
         "<h1>最新消息</h1><ul><li>本周英超、西甲、德甲全部场次开出走地盘。</li>"
         "<li>篮球大小分与单双数盘口已全面开放。</li><li>客户端新版本已发布，登陆时将自动升级。</li></ul>"},
    Page{"/doc/law.htm", "声明",
         "<h1>声明</h1><p>本网站仅供合法年龄的会员使用。会员须自行了解并遵守所在地区的法律法规。</p>"
         "<p>所有赛事资料仅供参考，以本公司服务器记录为准。</p>"},
    Page{"/doc/rule.htm", "投注规则",
         "<h1>投注规则</h1><ol><li>所有投注以服务器确认的赔率与金额为准。</li>"
         "<li>赛事腰斩或延期超过十二小时，该场投注一律退还本金。</li>"
         "<li>走地投注以进球时间与比分为准，危险球期间暂停接受投注。</li>"
         "<li>过关投注中任何一场退款，该场赔率按1计算。</li></ol>"},
    Page{"/doc/paq.htm", "玩法问答",
         "<h1>玩法问答</h1><p><b>问：什么是亚洲让球盘？</"
         "b><br>答：强队让弱队若干球，以让球后的比分计算输赢。</p>"
         "<p><b>问：大小球如何计算？</b><br>答：以全场进球总数与分界线比较，多于分界线为大，少于为小。</p>"},
    Page{"/doc/agreement.htm", "会员协议",
         "<h1>会员协议</h1><p>注册成为会员即表示您已年满十八岁，并同意本公司的全部规则与条款。</p>"
         "<p>会员须妥善保管帐户与密码，因个人原因造成的损失由会员自行承担。</p>"},
    Page{"/livebetmsg", "走地历史公告",
         "<h1>走地历史公告</h1><table><tr><th>时间</th><th>公告</th></tr>"
         "<tr><td>20:15</td><td>青岚飞鹰 对 云川飞鹰 第63分钟进球有效，比分2:1。</td></tr>"
         "<tr><td>19:48</td><td>澜港猛狮 对 龙湾猛狮 上半场补时阶段暂停走地投注。</td></tr></table>"},
    Page{
        "/clientad/promo.html", "优惠活动",
        "<h1>新会员首存优惠</h1><p>首次买彩即送10%彩金，最高888元。</p><p class='note'>详情请咨询客服。</p>"},
    Page{"/IOS.html", "手机投注",
         "<h1>手机投注</h1><p>用手机浏览器打开本站地址即可随时随地投注，支持走地与过关。</p>"},
    Page{"/instructions.asp", "玩法说明",
         "<h1>冠军/指数玩法说明</h1><p>冠军盘以赛季或杯赛最终冠军为准；指数盘以公布的最终指数结算。</p>"},
    Page{"/OtherGames.asp", "其他游戏",
         "<h1>其他游戏</h1><p>真人娱乐、路子游戏、棋牌游戏、乐透、KENO与德州扑克，请在左侧选择。</p>"},
    Page{"/games/live.html", "真人娱乐",
         "<h1>真人至尊厅</h1><p>真人百家乐、轮盘与骰宝，荷官现场发牌。</p><p "
         "class='note'>本厅每日正午开放。</p>"},
    Page{"/games/live2.html", "真人天王厅",
         "<h1>真人天王厅</h1><p>天王厅网页版无需下载，登陆会员帐户即可入座。</p>"},
    Page{"/games/luzi.html", "路子游戏",
         "<h1>路子游戏</h1><p>按大路、珠盘路与大眼仔路下注，开奖结果每局公布。</p>"},
    Page{"/games/poker.html", "棋牌游戏",
         "<h1>棋牌游戏</h1><p>斗地主、麻将与十三张，与其他会员同桌对局。</p>"},
    Page{"/games/lotto.html", "乐透", "<h1>乐透</h1><p>每期开出六个号码，选中三个以上即可派彩。</p>"},
    Page{"/games/keno.html", "KENO", "<h1>KENO</h1><p>从八十个号码中任选一至十个，每五分钟开奖一次。</p>"},
    Page{"/Texas.aspx", "德州扑克",
         "<h1>德州扑克</h1><p>网页版德州扑克正在维护，请稍后再试或下载客户端。</p>"},
    Page{"/fc/login.aspx", "财务中心",
         "<h1>财务中心</h1><p>请使用您的会员帐户登陆，办理买彩与兑现。</p>"
         "<form><p>用户名：<input name='u'></p><p>密码：<input name='p' type='password'></p>"
         "<p><button type='button'>登陆</button></p></form>"},
};

}  // namespace

std::string_view page_style() { return kStyle; }

std::optional<std::string> page_for(std::string_view path) {
  for (const Page& page : kPages) {
    if (page.path != path) continue;
    std::string html;
    html.reserve(4096);
    html += "<!DOCTYPE html><html><head><meta charset='GBK'><title>";
    html += page.title;
    html += "</title><style>";
    html += kStyle;
    html +=
        "</style></head><body><header><b>澜川国际</b><a href='/'>首页</a><a href='/news/'>最新消息</a>"
        "<a href='/doc/rule.htm'>投注规则</a><a href='/doc/paq.htm'>玩法问答</a></header><article>";
    html += page.body;
    html += "</article></body></html>";
    return wire::utf8_to_gbk(html);
  }
  return std::nullopt;
}

}  // namespace brindle::server::web
