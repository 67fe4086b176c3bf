#include "gui/betting/hall_page.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/betting/hall_model.h"
#include "core/ports/window_message.h"
#include "core/protocol/market_data.h"
#include "gui/betting/hall_cell_delegate.h"
#include "gui/betting/hall_item_model.h"
#include "gui/betting/hall_page_buttons.h"
#include "gui/ui/bitmap_button.h"
#include "gui/ui/web_view_lifecycle.h"

#if defined(BRINDLE_HAVE_WEBENGINE)
#include <QWebEngineView>
#endif

namespace brindle::gui {
namespace {

constexpr int kAdvertisementWidth = 170;

}  // namespace

void LeagueChooser::showPopup() {
  emit aboutToDropDown();
  QComboBox::showPopup();
}

HallPage::HallPage(std::unique_ptr<betting::HallModel> hall, Options options, QWidget* parent)
    : QWidget(parent),
      hall_(std::move(hall)),
      options_(std::move(options)),
      band_(QString::fromStdString((options_.skin_folder / "line01.bmp").string())) {
  setObjectName(QStringLiteral("page%1").arg(hall_->page()));
  hall_->set_view(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 4);
  layout->setSpacing(4);
  shown_location_ = hall_->location_text();
  location_ = new QLabel(QString::fromStdString(shown_location_), this);
  location_->setObjectName("locationText");
  location_->setFixedHeight(36);
  QFont bold = location_->font();
  bold.setBold(true);
  location_->setFont(bold);
  location_->setStyleSheet("color: #12325c;");
  layout->addWidget(location_);

  auto* pages = new QWidget(this);
  auto* functions = new QWidget(this);
  build_buttons(pages, functions);
  layout->addWidget(pages);
  layout->addWidget(functions);

  auto* body = new QHBoxLayout;
  list_ = new QTreeView(this);
  list_->setObjectName("hallList");
  model_ = new HallItemModel(*hall_, options_.skin_size_mode, this);
  delegate_ = new HallCellDelegate(options_.skin_folder, this);
  list_->setModel(model_);
  list_->setItemDelegate(delegate_);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectItems);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setAlternatingRowColors(true);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->header()->setStretchLastSection(false);
  list_->header()->setDefaultAlignment(Qt::AlignCenter);
  list_->setIndentation(12);
  if (options_.skin_size_mode == 0 || options_.skin_size_mode == 2) {
    QFont f = list_->font();
    f.setPointSizeF(f.pointSizeF() * 5 / 4);
    list_->setFont(f);
  }
  for (int c = 0; c < model_->columnCount(); ++c) list_->setColumnWidth(c, model_->column_width(c));
  list_->installEventFilter(this);
  connect(list_, &QTreeView::clicked, this, &HallPage::activate);
  connect(list_, &QWidget::customContextMenuRequested, this, &HallPage::show_context_menu);
  connect(list_, &QTreeView::expanded, this, [this](const QModelIndex& i) {
    if (!applying_ && model_->is_group(i)) hall_->set_expanded(static_cast<std::size_t>(i.row()), true);
  });
  connect(list_, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
    if (!applying_ && model_->is_group(i)) hall_->set_expanded(static_cast<std::size_t>(i.row()), false);
  });
  body->addWidget(list_, 1);

  if (options_.advertisement) {
#if defined(BRINDLE_HAVE_WEBENGINE)
    advertisement_ = new QWebEngineView(this);
    release_renderer_when_hidden(advertisement_);
#else
    auto* link = new QLabel(this);
    link->setOpenExternalLinks(true);
    link->setWordWrap(true);
    link->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    advertisement_ = link;
#endif
    advertisement_->setObjectName("advertisement");
    advertisement_->setFixedWidth(kAdvertisementWidth);
    body->addWidget(advertisement_);
  }
  layout->addLayout(body, 1);

  empty_ = new QLabel(list_->viewport());
  empty_->setObjectName("emptyText");
  empty_->setWordWrap(true);
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setStyleSheet("color: #555; padding: 24px;");
  empty_->hide();
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(list_);
}

HallPage::~HallPage() {
  hall_->set_view(nullptr);
  // The panel speaks to the hall's ticket: it goes before the hall does, not with the children.
  delete lower_panel_;
}

void HallPage::build_buttons(QWidget* row, QWidget* functions) {
  auto* pages = new QHBoxLayout(row);
  pages->setContentsMargins(0, 0, 0, 0);
  pages->setSpacing(2);
  int control = 1;
  add_hall_page_buttons(*pages, row, options_.skin_folder, control, [this](int page) {
    if (page == 0) {
      hall_->mobile_button();
    } else {
      hall_->page_button(page);
    }
  });
  pages->addStretch(1);

  auto* line = new QHBoxLayout(functions);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(4);
  struct Function {
    const char* prefix;
    const char* caption;
    void (betting::HallModel::*action)();
  };
  const Function kFunctions[] = {{"refresh", "刷新", &betting::HallModel::refresh},
                                 {"record", "投注记录", &betting::HallModel::records_button},
                                 {"research", "赛果查询", &betting::HallModel::results_button}};
  for (const auto& f : kFunctions) {
    auto* button = new BitmapButton(control++, QString::fromUtf8(f.caption), functions);
    button->setObjectName(QString::fromUtf8(f.prefix));
    button->load_states(options_.skin_folder, f.prefix);
    const auto action = f.action;
    connect(button, &QAbstractButton::clicked, this, [this, action] { (hall_.get()->*action)(); });
    line->addWidget(button);
  }
  leagues_ = new LeagueChooser(functions);
  leagues_->setObjectName("leagueChooser");
  leagues_->setMinimumWidth(200);
  leagues_->addItem(QString::fromUtf8(protocol::kAllLeaguesText));
  leagues_->setVisible(hall_->has_league_chooser());
  connect(leagues_, &LeagueChooser::aboutToDropDown, this, &HallPage::refill_leagues);
  connect(leagues_, &QComboBox::textActivated, this,
          [this](const QString& text) { hall_->choose_league(text.toStdString()); });
  line->addWidget(leagues_);
  line->addStretch(1);
}

void HallPage::add_lower_panel(QWidget* panel) {
  panel->setParent(this);
  lower_panel_ = panel;
  layout()->addWidget(panel);
}

void HallPage::open() {
  hall_->open();
  if (!advertisement_) return;
  const QString address = QString::fromStdString(hall_->advertisement_address());
#if defined(BRINDLE_HAVE_WEBENGINE)
  static_cast<QWebEngineView*>(advertisement_)->load(QUrl(address));
#else
  static_cast<QLabel*>(advertisement_)->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address));
#endif
}

void HallPage::refill_leagues() {
  const QString current = leagues_->currentText();
  leagues_->clear();
  for (const auto& league : hall_->league_choices()) leagues_->addItem(QString::fromStdString(league));
  const int at = leagues_->findText(current);
  leagues_->setCurrentIndex(at < 0 ? 0 : at);
}

void HallPage::main_window_message(int message, int first, int) {
  switch (static_cast<ports::WindowMessage>(message)) {
    case ports::WindowMessage::refresh_account:
      hall_->timed_refresh();
      return;
    case ports::WindowMessage::private_rooms:
      hall_->switch_room(first != 0 ? betting::HallRoom::kPrivate : betting::HallRoom::kPublic);
      return;
    default:
      return;
  }
}

void HallPage::set_location_text(const QString& text) { location_->setText(text); }

void HallPage::set_notices_shown(bool shown) {
  if (advertisement_) advertisement_->setVisible(shown);
}

void HallPage::lines_about_to_change() { model_->begin_change(); }

void HallPage::lines_changed() {
  model_->end_change();
  apply_groups();
  // A refresh that brought a new odds format renames the location line; otherwise the line keeps
  // what the frame last put there (the in-play page's countdown).
  const std::string location = hall_->location_text();
  if (location != shown_location_) room_changed();
}

void HallPage::apply_groups() {
  applying_ = true;
  list_->setUpdatesEnabled(false);
  const auto& groups = hall_->list().groups();
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const int row = static_cast<int>(g);
    list_->setFirstColumnSpanned(row, QModelIndex(), true);
    if (groups[g].expanded) list_->setExpanded(model_->index(row, 0), true);
  }
  list_->setUpdatesEnabled(true);
  applying_ = false;
  const bool empty = hall_->line_count() == 0;
  empty_->setText(QString::fromStdString(hall_->empty_text()));
  empty_->setGeometry(list_->viewport()->rect());
  empty_->setVisible(empty);
}

void HallPage::room_changed() {
  shown_location_ = hall_->location_text();
  location_->setText(QString::fromStdString(shown_location_));
}

void HallPage::activate(const QModelIndex& index) {
  if (!index.isValid()) return;
  if (model_->is_group(index)) return;
  if (!index.data(HallItemModel::kActionCellRole).toBool()) return;
  const auto line = model_->line_of(index);
  // The click may run a ticket whose windows outlive this index: copy what it needs first.
  const int column = index.column();
  if (line) hall_->click(*line, column);
}

bool HallPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != list_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const QModelIndex current = list_->currentIndex();
  switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      if (!current.isValid() || model_->is_group(current)) return QWidget::eventFilter(watched, event);
      const int step = key->key() == Qt::Key_Left ? -1 : 1;
      const int column = current.column() + step;
      if (column < 1 || column >= model_->columnCount()) return true;
      list_->setCurrentIndex(current.sibling(current.row(), column));
      return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (model_->is_group(current)) {
        list_->setExpanded(current, !list_->isExpanded(current));
      } else {
        activate(current);
      }
      return true;
    default:
      return QWidget::eventFilter(watched, event);
  }
}

void HallPage::show_context_menu(const QPoint& at) {
  QMenu menu(this);
  for (const auto& item : hall_->context_menu()) {
    QAction* action = menu.addAction(QString::fromStdString(item));
    if (item == betting::kMenuRefresh) {
      connect(action, &QAction::triggered, this, [this] { hall_->refresh(); });
    } else if (item == betting::kMenuRecords) {
      connect(action, &QAction::triggered, this, [this] { hall_->records_button(); });
    } else {
      connect(action, &QAction::triggered, this, [this] { hall_->private_room_command(); });
    }
  }
  menu.exec(list_->viewport()->mapToGlobal(at));
}

void HallPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  hall_->became_visible();
}

void HallPage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0xf4, 0xf6, 0xfa));
  if (!band_.isNull()) painter.drawPixmap(QRect(0, 0, width(), band_.height()), band_);
}

}  // namespace brindle::gui
