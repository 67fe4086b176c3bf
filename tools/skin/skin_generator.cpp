// brindle-skin: draws the installation's default skin into a Program directory:
//   skin/Splash.bmp, skin/900/theme.ini with the Main window's frame and bitmaps, SkinSM/theme.ini,
//   and the application icon brindle.png (256 px) with brindle-48.png.
// Usage: brindle-skin <program directory>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <cstdio>
#include <utility>
#include <vector>

#include "skin/skin_painter.h"

namespace {

using namespace brindle::skin;
namespace p = brindle::skin::palette;

// The Main window's client area in the 900 skin; the hall pages sit at (0, 38) and are 1225 × 602.
constexpr int kClientWidth = 1225;
constexpr int kClientHeight = 744;
constexpr int kPageTop = 38;
constexpr int kPageBottom = 640;

class Writer {
 public:
  explicit Writer(QString folder) : folder_(std::move(folder)) { QDir().mkpath(folder_); }
  void bitmap(const QString& name, const QImage& image) {
    if (!save_bitmap(image, folder_ + "/" + name)) {
      std::fprintf(stderr, "brindle-skin: cannot write %s\n", qPrintable(folder_ + "/" + name));
      failed_ = true;
    }
  }
  // Theme files are GBK on disk; every text the generator writes into one is ASCII.
  void text(const QString& name, const QString& contents) {
    QFile file(folder_ + "/" + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents.toLatin1()) < 0) {
      std::fprintf(stderr, "brindle-skin: cannot write %s\n", qPrintable(folder_ + "/" + name));
      failed_ = true;
    }
  }
  void png(const QString& name, const QImage& image) {
    if (!image.save(folder_ + "/" + name, "PNG")) {
      std::fprintf(stderr, "brindle-skin: cannot write %s\n", qPrintable(folder_ + "/" + name));
      failed_ = true;
    }
  }
  bool failed() const { return failed_; }

 private:
  QString folder_;
  bool failed_ = false;
};

// Four (or three) state bitmaps "<prefix>00.bmp" ….
void button_set(Writer& out, const QString& prefix, const QString& caption, int width, int height,
                const ButtonStyle& style, int states = 4) {
  for (int s = 0; s < states; ++s) {
    out.bitmap(QStringLiteral("%1%2.bmp").arg(prefix).arg(s, 2, 10, QLatin1Char('0')),
               button_face(caption, width, height, static_cast<ButtonState>(s), style));
  }
}

QImage vertical_gradient(int width, int height, const QColor& top, const QColor& bottom) {
  QImage image = blank(width, height, top);
  QPainter painter(&image);
  QLinearGradient gradient(0, 0, 0, height);
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  painter.fillRect(image.rect(), gradient);
  return image;
}

// Frame edges: the caption band on top, thin sides whose upper part continues the caption, and a
// thin bottom. The outer corner pixels are magenta so that the window's shape rounds them off.
struct FrameLook {
  int caption_height;
  int side_width;
  QColor caption_top, caption_bottom, side;
};

void frame_edges(Writer& out, const FrameLook& look) {
  QImage top = vertical_gradient(400, look.caption_height, look.caption_top, look.caption_bottom);
  {
    QPainter painter(&top);
    painter.setPen(QPen(p::kGold, 1));
    painter.drawLine(0, look.caption_height - 1, top.width(), look.caption_height - 1);
  }
  out.bitmap("top.bmp", top);

  auto side = [&](bool left) {
    QImage image = blank(look.side_width, 200, look.side);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, look.caption_height);
    gradient.setColorAt(0, look.caption_top);
    gradient.setColorAt(1, look.caption_bottom);
    painter.fillRect(QRect(0, 0, look.side_width, look.caption_height), gradient);
    painter.setPen(QPen(p::kGold, 1));
    painter.drawLine(0, look.caption_height - 1, look.side_width, look.caption_height - 1);
    painter.setPen(QPen(look.side.darker(160), 1));  // the outer hairline
    const int outer = left ? 0 : look.side_width - 1;
    painter.drawLine(outer, look.caption_height, outer, image.height());
    // Rounded outer corner at the top.
    for (int y = 0; y < look.side_width; ++y) {
      for (int x = 0; x < look.side_width; ++x) {
        const int dx = look.side_width - x;
        const int dy = look.side_width - y;
        if (dx * dx + dy * dy > look.side_width * look.side_width + 1) {
          image.setPixelColor(left ? x : look.side_width - 1 - x, y, p::kMagenta);
        }
      }
    }
    return image;
  };
  out.bitmap("left.bmp", side(true));
  out.bitmap("right.bmp", side(false));
  QImage bottom = blank(400, look.side_width, look.side);
  {
    QPainter painter(&bottom);
    painter.setPen(QPen(look.side.darker(160), 1));
    painter.drawLine(0, look.side_width - 1, bottom.width(), look.side_width - 1);
  }
  out.bitmap("bottom.bmp", bottom);
}

// Caption button strips: normal, hover, pressed side by side.
void caption_buttons(Writer& out, const FrameLook& look, int width, int height) {
  auto strip = [&](const QString& name, bool close) {
    QImage image(width * 3, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int s = 0; s < 3; ++s) {
      const QRect cell(s * width, 0, width, height);
      // The caption's own gradient behind the glyph, so the button sits in the band seamlessly.
      const int band_top = 5;  // the YCoord the theme places the buttons at
      QLinearGradient gradient(0, -band_top, 0, look.caption_height - band_top);
      gradient.setColorAt(0, look.caption_top);
      gradient.setColorAt(1, look.caption_bottom);
      painter.fillRect(cell, gradient);
      if (s > 0) {
        QColor fill = close ? p::kRed : p::kBlueLight;
        if (s == 2) fill = fill.darker(130);
        QPainterPath path;
        path.addRoundedRect(QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
        painter.fillPath(path, fill);
      }
      painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
      const QPointF c = QRectF(cell).center();
      if (close) {
        painter.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
        painter.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
      } else {
        painter.drawLine(c + QPointF(-5, 3), c + QPointF(5, 3));
      }
    }
    painter.end();
    out.bitmap(name, image);
  };
  strip("close.bmp", true);
  strip("minimise.bmp", false);
}

// The push buttons of dialogs: normal, hover, pressed and disabled side by side.
void push_button_strip(Writer& out, const ButtonStyle& style) {
  constexpr int kWidth = 80;
  constexpr int kHeight = 26;
  QImage image(kWidth * 4, kHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  for (int s = 0; s < 4; ++s) {
    painter.drawImage(s * kWidth, 0,
                      button_face(QString(), kWidth, kHeight, static_cast<ButtonState>(s), style));
  }
  painter.end();
  out.bitmap("button.bmp", image);
}

QString frame_theme(const FrameLook& look, bool with_minimise, const QString& extra) {
  QString ini;
  QTextStream s(&ini);
  s << "[Personality]\r\n"
    << "Top=top.bmp\r\nLeft=left.bmp\r\nRight=right.bmp\r\nBottom=bottom.bmp\r\n"
    << "TopTopHeight=40\r\nTopBotHeight=80\r\n"
    << "LeftTopHeight=" << look.caption_height << "\r\nLeftBotHeight=" << look.side_width << "\r\n"
    << "RightTopHeight=" << look.caption_height << "\r\nRightBotHeight=" << look.side_width << "\r\n"
    << "BottomTopHeight=0\r\nBottomBotHeight=0\r\n"
    << "IconPositionX=10\r\nIconPositionY=" << (look.caption_height - 16) / 2 << "\r\n"
    << "ButtonCount=" << (with_minimise ? 2 : 1) << "\r\nButtonImgCount=3\r\n"
    << "TextShift=34\r\nTextShiftVert=0\r\nUsesTran=1\r\n"
    << extra << "[Button0]\r\nButtonImage=close.bmp\r\nAction=0\r\nXCoord=-6\r\nYCoord=5\r\n";
  if (with_minimise) s << "[Button1]\r\nButtonImage=minimise.bmp\r\nAction=2\r\nXCoord=-38\r\nYCoord=5\r\n";
  return ini;
}

// The application icon: three streams of 川 bending like waves (澜) on the skin's navy tile, the last
// one gold. Drawn in units of the tile so that the 48-pixel size keeps the same shape.
QImage application_icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 256.0, size / 256.0);

  const QRectF tile(12, 12, 232, 232);
  QPainterPath shape;
  shape.addRoundedRect(tile, 52, 52);
  QLinearGradient depth(0, tile.top(), 0, tile.bottom());
  depth.setColorAt(0, p::kBlue);
  depth.setColorAt(0.55, p::kNavy);
  depth.setColorAt(1, p::kNavyDeep);
  painter.fillPath(shape, depth);
  QRadialGradient glow(QPointF(190, 52), 150);
  glow.setColorAt(0, QColor(0x4a, 0x8f, 0xe0, 120));
  glow.setColorAt(1, QColor(0x4a, 0x8f, 0xe0, 0));
  painter.fillPath(shape, glow);
  painter.setPen(QPen(QColor(p::kGold.red(), p::kGold.green(), p::kGold.blue(), 150), 4));
  painter.drawPath(shape);

  struct Stream {
    double x, top, bottom;
    QColor colour;
  };
  const Stream streams[] = {
      {82, 64, 182, QColor(0xa9, 0xcb, 0xf5)}, {128, 82, 164, Qt::white}, {174, 52, 196, p::kGold}};
  for (const Stream& stream : streams) {
    const double bend = (stream.bottom - stream.top) * 0.2;
    QPainterPath path(QPointF(stream.x - 6, stream.top));
    path.cubicTo(QPointF(stream.x + bend, stream.top + (stream.bottom - stream.top) / 3),
                 QPointF(stream.x - bend, stream.top + 2 * (stream.bottom - stream.top) / 3),
                 QPointF(stream.x + 6, stream.bottom));
    painter.setPen(QPen(stream.colour, 22, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(path);
  }
  painter.end();
  return image;
}

void icons(Writer& out) {
  out.png("brindle.png", application_icon(256));
  out.png("brindle-48.png", application_icon(48));
}

void splash(Writer& out) {
  QImage image = vertical_gradient(520, 300, p::kNavy, p::kNavyDeep);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(QPointF(400, 60), 260);
  glow.setColorAt(0, QColor(0x2f, 0x74, 0xd0, 120));
  glow.setColorAt(1, QColor(0x2f, 0x74, 0xd0, 0));
  painter.fillRect(image.rect(), glow);
  painter.setPen(QPen(QColor(255, 255, 255, 40), 2));  // a pitch's centre circle, as a watermark
  painter.drawEllipse(QPointF(420, 190), 70, 70);
  painter.drawLine(420, 100, 420, 300);
  painter.setPen(QPen(p::kGold, 3));
  painter.drawLine(40, 168, 120, 168);
  painter.end();
  draw_caption(image, QRect(40, 70, 440, 70), QStringLiteral("澜川国际"), Qt::white, 52);
  draw_caption(image, QRect(40, 180, 440, 30), QStringLiteral("足球 · 篮球 · 走地 · 过关"), p::kGold, 18,
               false);
  draw_caption(image, QRect(40, 250, 440, 24), QStringLiteral("正在连接服务器…"), QColor(200, 210, 225), 13,
               false);
  out.bitmap("Splash.bmp", image);
}

void main_background(Writer& out) {
  QImage image = blank(kClientWidth, kClientHeight, p::kNavyDeep);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient band(0, 0, 0, kPageTop);
  band.setColorAt(0, p::kNavy);
  band.setColorAt(1, p::kNavyDeep);
  painter.fillRect(QRect(0, 0, kClientWidth, kPageTop), band);

  // Home page: a floodlit pitch under the welcome line.
  const QRect hero(0, kPageTop, kClientWidth, kPageBottom - kPageTop);
  QLinearGradient sky(0, hero.top(), 0, hero.bottom());
  sky.setColorAt(0, QColor(0x16, 0x3f, 0x78));
  sky.setColorAt(1, QColor(0x0d, 0x26, 0x4a));
  painter.fillRect(hero, sky);
  QRadialGradient light(QPointF(kClientWidth * 0.72, hero.top() + 40.0), 520);
  light.setColorAt(0, QColor(0x4a, 0x8f, 0xe0, 110));
  light.setColorAt(1, QColor(0x4a, 0x8f, 0xe0, 0));
  painter.fillRect(hero, light);
  painter.setPen(QPen(QColor(255, 255, 255, 36), 2));
  const QRectF pitch(120, hero.top() + 300.0, kClientWidth - 240.0, 260);
  painter.drawRect(pitch);
  painter.drawLine(QPointF(pitch.center().x(), pitch.top()), QPointF(pitch.center().x(), pitch.bottom()));
  painter.drawEllipse(pitch.center(), 60, 60);
  painter.drawRect(QRectF(pitch.left(), pitch.center().y() - 70, 110, 140));
  painter.drawRect(QRectF(pitch.right() - 110, pitch.center().y() - 70, 110, 140));
  painter.setPen(QPen(p::kGold, 4));
  painter.drawLine(QPointF(120, hero.top() + 196.0), QPointF(220, hero.top() + 196.0));

  // Bottom band: the account panel's card and the running line's rail.
  QLinearGradient foot(0, kPageBottom, 0, kClientHeight);
  foot.setColorAt(0, p::kNavy);
  foot.setColorAt(1, p::kNavyDeep);
  painter.fillRect(QRect(0, kPageBottom, kClientWidth, kClientHeight - kPageBottom), foot);
  painter.setPen(QPen(p::kGold, 1));
  painter.drawLine(0, kPageBottom, kClientWidth, kPageBottom);
  QPainterPath card;
  card.addRoundedRect(QRectF(8.5, kPageBottom + 8.5, 280, 58), 6, 6);
  painter.fillPath(card, QColor(255, 255, 255, 18));
  painter.setPen(QPen(QColor(255, 255, 255, 50), 1));
  painter.drawPath(card);
  painter.fillRect(QRect(0, kClientHeight - 28, kClientWidth, 28), QColor(0x07, 0x16, 0x2b));
  QPainterPath tag;
  tag.addRoundedRect(QRectF(8, kClientHeight - 24, 52, 20), 4, 4);
  painter.fillPath(tag, p::kGold);
  painter.end();

  draw_caption(image, QRect(12, 0, 170, kPageTop), QStringLiteral("澜川国际"), p::kGold, 22);
  draw_caption(image, QRect(116, kPageTop + 110, 900, 70), QStringLiteral("欢迎光临澜川国际体育"), Qt::white,
               44, true, Qt::AlignLeft | Qt::AlignVCenter);
  draw_caption(image, QRect(120, kPageTop + 210, 700, 30),
               QStringLiteral("亚洲让球 · 大小球 · 走地 · 过关 · 冠军"), QColor(0xc8, 0xd6, 0xea), 18, false,
               Qt::AlignLeft | Qt::AlignVCenter);
  draw_caption(image, QRect(8, kClientHeight - 24, 52, 20), QStringLiteral("公告"), p::kNavyDeep, 12);
  out.bitmap("background.bmp", image);
}

void main_buttons(Writer& out) {
  ButtonStyle top;  // the row in the caption band
  top.backdrop = p::kNavyDeep;
  const std::vector<std::pair<const char*, QString>> row = {
      {"bt_home", QStringLiteral("首页")},       {"bt_register", QStringLiteral("注册")},
      {"bt_finance", QStringLiteral("财务")},    {"bt_account", QStringLiteral("帐户")},
      {"bt_super", QStringLiteral("超级兑现")},  {"bt_cash", QStringLiteral("兑现")},
      {"bt_newss", QStringLiteral("新闻")},      {"bt_rule", QStringLiteral("规则 ▾")},
      {"bt_service", QStringLiteral("客服")},    {"bt_records", QStringLiteral("投注清单")},
      {"bt_matchs", QStringLiteral("赛事查询")}, {"bt_declare", QStringLiteral("声明")},
      {"bt_refresh", QStringLiteral("刷新")},
  };
  for (const auto& [prefix, caption] : row) button_set(out, prefix, caption, 74, 30, top);
  ButtonStyle exit = top;
  exit.base = p::kRed;
  button_set(out, "bt_exit", QStringLiteral("退出"), 74, 30, exit);

  ButtonStyle tab = top;  // the page tabs and the games in the bottom band
  tab.backdrop = p::kNavy;
  tab.base = QColor(0x17, 0x6b, 0x8f);
  for (const auto& [prefix, caption] :
       std::vector<std::pair<const char*, QString>>{{"asia", QStringLiteral("亚洲盘")},
                                                    {"interactive", QStringLiteral("对战万事")},
                                                    {"parlay", QStringLiteral("过关")},
                                                    {"news", QStringLiteral("新闻")}}) {
    button_set(out, prefix, caption, 80, 28, tab);
  }
  ButtonStyle games = tab;
  games.base = QColor(0x6b, 0x3f, 0xa0);
  for (const auto& [prefix, caption] :
       std::vector<std::pair<const char*, QString>>{{"bt_casinodrop", QStringLiteral("真人娱乐 ▾")},
                                                    {"bt_slot", QStringLiteral("老虎机")},
                                                    {"bt_luzi", QStringLiteral("路子游戏")},
                                                    {"bt_poker", QStringLiteral("棋牌游戏")},
                                                    {"bt_Keno", QStringLiteral("KENO")},
                                                    {"bt_dzpk", QStringLiteral("德州扑克 ▾")},
                                                    {"bt_phone", QStringLiteral("手机投注")},
                                                    {"bt_Promo", QStringLiteral("优惠活动")}}) {
    button_set(out, prefix, caption, 80, 28, games);
  }
  // The blank control holds a place in the row and does nothing: it is drawn as the band itself,
  // never as a button.
  for (int s = 0; s < 4; ++s)
    out.bitmap(QStringLiteral("bt_blank%1.bmp").arg(s, 2, 10, QLatin1Char('0')),
               blank(80, 28, games.backdrop));
  ButtonStyle toggle = tab;
  toggle.base = p::kGreen;
  out.bitmap("show00.bmp", button_face(QStringLiteral("收起公告"), 80, 28, ButtonState::normal, toggle));
  out.bitmap("show01.bmp", button_face(QStringLiteral("显示公告"), 80, 28, ButtonState::normal, toggle));
}

void hall_bitmaps(Writer& out) {
  ButtonStyle page;
  page.backdrop = QColor(0xe9, 0xee, 0xf5);
  const std::vector<std::pair<const char*, QString>> pages = {
      {"rang", QStringLiteral("亚洲让球盘")},     {"daxiaoqiu", QStringLiteral("大小球盘")},
      {"digun", QStringLiteral("走地盘")},        {"guoguan", QStringLiteral("过关")},
      {"duidu", QStringLiteral("对战万事盘")},    {"guanjun", QStringLiteral("冠军/指数")},
      {"othergames", QStringLiteral("其他游戏")}, {"Mobilephone", QStringLiteral("手机投注")},
  };
  for (const auto& [prefix, caption] : pages) {
    const bool four = QString(prefix) == "guanjun" || QString(prefix) == "othergames";
    button_set(out, prefix, caption, 100, 30, page, four ? 4 : 3);
  }
  ButtonStyle function = page;
  function.base = QColor(0x17, 0x6b, 0x8f);
  for (const auto& [prefix, caption] :
       std::vector<std::pair<const char*, QString>>{{"select", QStringLiteral("联赛选择")},
                                                    {"refresh", QStringLiteral("刷新")},
                                                    {"record", QStringLiteral("投注记录")},
                                                    {"research", QStringLiteral("赛果查询")}}) {
    button_set(out, prefix, caption, 80, 26, function, 3);
  }
  ButtonStyle against = page;
  against.base = p::kGreen;
  button_set(out, "against", QStringLiteral("我要开盘"), 90, 26, against, 3);

  QImage line = vertical_gradient(kClientWidth, 40, QColor(0xf4, 0xf6, 0xfa), QColor(0xe2, 0xe8, 0xf0));
  {
    QPainter painter(&line);
    painter.setPen(QPen(p::kBlue, 2));
    painter.drawLine(0, 39, kClientWidth, 39);
  }
  out.bitmap("line01.bmp", line);

  // Cell images on magenta, the list's transparent colour.
  auto pills = [&](const QString& name, int width, int height,
                   const std::vector<std::pair<QString, QColor>>& cells) {
    QImage image = blank(width * static_cast<int>(cells.size()), height, p::kMagenta);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      QPainter painter(&image);
      QPainterPath path;
      path.addRoundedRect(QRectF(static_cast<double>(i) * width + 3, 1, width - 6, height - 2),
                          (height - 2) / 2.0, (height - 2) / 2.0);
      painter.fillPath(path, cells[i].second);  // no antialiasing: edges must not blend into magenta
      painter.end();
      draw_caption(image, QRect(static_cast<int>(i) * width, 0, width, height), cells[i].first, Qt::white,
                   height > 18 ? 12 : 11);
    }
    out.bitmap(name, image);
  };
  pills("beton.bmp", 54, 17,
        {{QStringLiteral("投注"), QColor(0xd9, 0x6a, 0x0b)},
         {QStringLiteral("历史"), p::kBlue},
         {QStringLiteral("走势"), QColor(0x17, 0x6b, 0x8f)}});
  pills("more.bmp", 77, 20,
        {{QStringLiteral("更多玩法"), QColor(0xd9, 0x6a, 0x0b)},
         {QStringLiteral("历史"), p::kBlue},
         {QStringLiteral("走势"), QColor(0x17, 0x6b, 0x8f)}});

  QImage remove = blank(16, 16, p::kMagenta);
  {
    QPainter painter(&remove);
    painter.setBrush(p::kRed);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(1, 1, 14, 14));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(5, 5, 10, 10);
    painter.drawLine(5, 10, 10, 5);
  }
  out.bitmap("remove.bmp", remove);
  QImage hall = blank(16, 16, p::kMagenta);
  {
    QPainter painter(&hall);
    painter.setPen(Qt::NoPen);
    painter.setBrush(p::kBlue);
    painter.drawPolygon(QPolygon({QPoint(8, 1), QPoint(15, 7), QPoint(1, 7)}));
    painter.drawRect(QRect(3, 7, 10, 8));
    painter.setBrush(p::kGold);
    painter.drawRect(QRect(7, 10, 3, 5));
  }
  out.bitmap("hall.bmp", hall);

  ButtonStyle game;
  game.backdrop = QColor(0xe9, 0xee, 0xf5);
  game.base = QColor(0x6b, 0x3f, 0xa0);
  game.pixel_size = 15;
  game.radius = 6;
  for (const auto& [prefix, caption] :
       std::vector<std::pair<const char*, QString>>{{"Casino0", QStringLiteral("真人至尊厅")},
                                                    {"Casino1", QStringLiteral("真人天王厅")},
                                                    {"Casino2", QStringLiteral("至尊厅网页版")},
                                                    {"Luzi0", QStringLiteral("路子游戏")},
                                                    {"Poker0", QStringLiteral("棋牌游戏")},
                                                    {"Lotto0", QStringLiteral("乐透游戏")},
                                                    {"Keno0", QStringLiteral("KENO游戏")},
                                                    {"Texas0", QStringLiteral("德州扑克")}}) {
    for (int s = 0; s < 3; ++s) {
      out.bitmap(QStringLiteral("%1%2.bmp").arg(prefix).arg(s),
                 button_face(caption, 129, 39, static_cast<ButtonState>(s), game));
    }
  }
}

void write_main_skin(Writer& main) {
  const FrameLook main_look{32, 5, QColor(0x16, 0x3f, 0x78), p::kNavyDeep, p::kNavyDeep};
  frame_edges(main, main_look);
  caption_buttons(main, main_look, 30, 22);
  main_background(main);
  main_buttons(main);
  hall_bitmaps(main);
  ButtonStyle plain;
  plain.backdrop = p::kNavy;
  plain.base = QColor(0x17, 0x6b, 0x8f);
  push_button_strip(main, plain);
  main.text("theme.ini", frame_theme(main_look, true, "DialogBmp=background.bmp\r\n") +
                             "[Colours]\r\nTitleText=255 255 255\r\nInactiveTitleText=170 180 195\r\n"
                             "TransColor=255 0 255\r\nBarColor=18 50 92\r\nMenuColor=244 246 250\r\n"
                             "ButtonFace=23 107 143\r\nButtonText=255 255 255\r\nButtonHilight=47 116 208\r\n"
                             "ButtonFocus=242 180 65\r\nBackground=11 31 58\r\n"
                             "[Buttons]\r\nBitmap=button.bmp\r\nTopHeight=5\r\nBottomHeight=5\r\n"
                             "LeftWidth=6\r\nRightWidth=6\r\nTrans=0\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);  // the painter needs the font database
  if (argc != 2) {
    std::fprintf(stderr, "usage: brindle-skin <program directory>\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);

  Writer program(root);
  icons(program);
  if (program.failed()) return 1;

  Writer base(root + "/skin");
  splash(base);

  // The visitor keeps Skin size mode 0 and reads "skin" itself; signed-in members read "skin/900".
  for (const QString& folder : {root + "/skin", root + "/skin/900"}) {
    Writer main(folder);
    write_main_skin(main);
    if (main.failed()) return 1;
  }

  const FrameLook dialog_look{28, 3, p::kBlue, QColor(0x16, 0x3f, 0x78), QColor(0x16, 0x3f, 0x78)};
  Writer dialogs(root + "/SkinSM");
  frame_edges(dialogs, dialog_look);
  caption_buttons(dialogs, dialog_look, 30, 22);
  ButtonStyle push;
  push.backdrop = p::kPaper;
  push_button_strip(dialogs, push);
  dialogs.text("theme.ini", frame_theme(dialog_look, false, QString()) +
                                "[Colours]\r\nTitleText=255 255 255\r\nInactiveTitleText=200 208 220\r\n"
                                "TransColor=255 0 255\r\nButtonFace=31 90 166\r\nButtonText=255 255 255\r\n"
                                "Background=244 246 250\r\n"
                                "[Buttons]\r\nBitmap=button.bmp\r\nTopHeight=5\r\nBottomHeight=5\r\n"
                                "LeftWidth=6\r\nRightWidth=6\r\nTrans=0\r\n");
  return base.failed() || dialogs.failed() ? 1 : 0;
}
