#include "gui/betting/banker_page.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/betting/hall_model.h"
#include "core/ports/window_message.h"
#include "gui/betting/hall_cell_delegate.h"
#include "gui/betting/hall_item_model.h"
#include "gui/betting/hall_page_buttons.h"
#include "gui/ui/bitmap_button.h"

namespace brindle::gui {
namespace {

constexpr int kTreeWidth = 260;

}  // namespace

BankerTreeModel::BankerTreeModel(const betting::BankerHall& hall, QObject* parent)
    : QAbstractItemModel(parent), hall_(hall) {
  reload();
}

void BankerTreeModel::add(const std::vector<betting::BankerTreeItem>& items, int parent) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int at = static_cast<int>(nodes_.size());
    nodes_.push_back({&items[i], parent, static_cast<int>(i), {}});
    (parent < 0 ? top_ : nodes_[static_cast<std::size_t>(parent)].children).push_back(at);
    add(items[i].children, at);
  }
}

void BankerTreeModel::reload() {
  beginResetModel();
  nodes_.clear();
  top_.clear();
  add(hall_.tree(), -1);
  endResetModel();
}

const std::vector<int>& BankerTreeModel::children_of(const QModelIndex& parent) const {
  if (!parent.isValid()) return top_;
  return nodes_[static_cast<std::size_t>(parent.internalId())].children;
}

QModelIndex BankerTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  const auto& children = children_of(parent);
  if (static_cast<std::size_t>(row) >= children.size()) return {};
  return createIndex(row, 0, static_cast<quintptr>(children[static_cast<std::size_t>(row)]));
}

QModelIndex BankerTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const int parent = nodes_[static_cast<std::size_t>(child.internalId())].parent;
  if (parent < 0) return {};
  return createIndex(nodes_[static_cast<std::size_t>(parent)].row, 0, static_cast<quintptr>(parent));
}

int BankerTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return static_cast<int>(children_of(parent).size());
}

int BankerTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant BankerTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return QString::fromStdString(nodes_[static_cast<std::size_t>(index.internalId())].item->text);
}

betting::TreePath BankerTreeModel::path_of(const QModelIndex& index) const {
  betting::TreePath path;
  for (QModelIndex i = index; i.isValid(); i = i.parent())
    path.insert(path.begin(), static_cast<std::size_t>(i.row()));
  return path;
}

QModelIndex BankerTreeModel::index_of(const betting::TreePath& path) const {
  QModelIndex at;
  for (const auto row : path) at = index(static_cast<int>(row), 0, at);
  return at;
}

bool BankerTreeModel::is_expanded_in_hall(const QModelIndex& index) const {
  return index.isValid() && nodes_[static_cast<std::size_t>(index.internalId())].item->expanded;
}

BankerOfferModel::BankerOfferModel(const betting::BankerHall& hall, QObject* parent)
    : QAbstractTableModel(parent), hall_(hall) {}

void BankerOfferModel::reload() {
  beginResetModel();
  endResetModel();
}

int BankerOfferModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(hall_.offers().size());
}

int BankerOfferModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(betting::kBankerColumns.size());
}

QVariant BankerOfferModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const bool bet = index.column() == betting::kBankerBetColumn;
  switch (role) {
    case Qt::DisplayRole:
      return bet ? QVariant()
                 : QString::fromStdString(
                       hall_.cell_text(static_cast<std::size_t>(index.row()), index.column()));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignCenter);
    case HallItemModel::kCellKindRole:
      return static_cast<int>(bet ? betting::CellKind::kBetButton : betting::CellKind::kText);
    case HallItemModel::kPriceMoveRole:
      return static_cast<int>(betting::PriceMove::kNone);
    case HallItemModel::kActionCellRole:
      return bet;
    default:
      return {};
  }
}

QVariant BankerOfferModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
    return {};
  return QString::fromStdString(hall_.column_title(static_cast<std::size_t>(section)));
}

BankerPage::BankerPage(betting::BankerHallServices services, std::filesystem::path skin_folder,
                       QWidget* parent)
    : QWidget(parent),
      hall_(std::make_unique<betting::BankerHall>(std::move(services))),
      skin_folder_(std::move(skin_folder)),
      band_(QString::fromStdString((skin_folder_ / "line01.bmp").string())) {
  setObjectName(QStringLiteral("page%1").arg(betting::kBankerMarketsPage));
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
  tree_ = new QTreeView(this);
  tree_->setObjectName("bankerTree");
  tree_->setHeaderHidden(true);
  tree_->setFixedWidth(kTreeWidth);
  tree_model_ = new BankerTreeModel(*hall_, this);
  tree_->setModel(tree_model_);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  body->addWidget(tree_);

  offers_ = new QTreeView(this);
  offers_->setObjectName("bankerOffers");
  offer_model_ = new BankerOfferModel(*hall_, this);
  offers_->setModel(offer_model_);
  offers_->setRootIsDecorated(false);
  offers_->setUniformRowHeights(true);
  offers_->setAlternatingRowColors(true);
  offers_->setItemDelegate(new HallCellDelegate(skin_folder_, this));
  offers_->setContextMenuPolicy(Qt::CustomContextMenu);
  offers_->header()->setStretchLastSection(false);
  offers_->header()->setDefaultAlignment(Qt::AlignCenter);
  for (std::size_t c = 0; c < betting::kBankerColumns.size(); ++c) {
    offers_->setColumnWidth(static_cast<int>(c), betting::kBankerColumns[c].width);
  }
  body->addWidget(offers_, 1);
  layout->addLayout(body, 1);

  hint_ = new QLabel(QString::fromUtf8(betting::kBankerHint), this);
  hint_->setObjectName("hintText");
  hint_->setStyleSheet("color: #12325c;");
  layout->addWidget(hint_);

  hall_->tree_changed = [this] { tree_changed(); };
  hall_->offers_changed = [this] {
    offer_model_->reload();
    // New offers may come in another odds format, which the location line names.
    if (const std::string location = hall_->location_text(); location != shown_location_) {
      shown_location_ = location;
      location_->setText(QString::fromStdString(location));
    }
  };

  // Selecting may load a kind, which rebuilds the tree model under the view's own signal, so the
  // selection runs queued; it carries the path, taken now, and not the index, which a refresh before
  // the queued call would leave pointing into the tree model's old nodes.
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (applying_ || !current.isValid()) return;
            QMetaObject::invokeMethod(
                this,
                [this, path = tree_model_->path_of(current)] {
                  if (hall_->selected_path() != path) hall_->select(path);
                },
                Qt::QueuedConnection);
          });
  connect(tree_, &QTreeView::expanded, this, [this](const QModelIndex& i) {
    if (!applying_) hall_->set_expanded(tree_model_->path_of(i), true);
  });
  connect(tree_, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
    if (!applying_) hall_->set_expanded(tree_model_->path_of(i), false);
  });
  connect(offers_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    if (!index.isValid()) return;
    // The ticket's windows outlive the index: copy what the click needs first.
    const auto row = static_cast<std::size_t>(index.row());
    const int column = index.column();
    hall_->click(row, column);
  });
  connect(offers_, &QWidget::customContextMenuRequested, this, &BankerPage::show_context_menu);
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(tree_);
}

BankerPage::~BankerPage() {
  hall_->tree_changed = nullptr;
  hall_->offers_changed = nullptr;
}

void BankerPage::build_buttons(QWidget* row, QWidget* functions) {
  auto* pages = new QHBoxLayout(row);
  pages->setContentsMargins(0, 0, 0, 0);
  pages->setSpacing(2);
  int control = 1;
  add_hall_page_buttons(*pages, row, skin_folder_, control, [this](int page) {
    if (page == 0) {
      hall_->buttons().mobile_button();
    } else if (page == betting::kBankerMarketsPage) {
      hall_->page_button();
    } else {
      hall_->buttons().page_button(page);
    }
  });
  pages->addStretch(1);

  auto* line = new QHBoxLayout(functions);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(4);
  auto* refresh = new BitmapButton(control++, QStringLiteral("刷新"), functions);
  refresh->setObjectName("refresh");
  refresh->load_states(skin_folder_, "refresh");
  connect(refresh, &QAbstractButton::clicked, this, [this] { hall_->refresh(); });
  line->addWidget(refresh);
  auto* records = new BitmapButton(control++, QStringLiteral("投注记录"), functions);
  records->setObjectName("record");
  records->load_states(skin_folder_, "record");
  connect(records, &QAbstractButton::clicked, this, [this] { hall_->buttons().records_button(); });
  line->addWidget(records);
  auto* results = new BitmapButton(control++, QStringLiteral("赛果查询"), functions);
  results->setObjectName("research");
  results->load_states(skin_folder_, "research");
  connect(results, &QAbstractButton::clicked, this, [this] { hall_->buttons().results_button(); });
  line->addWidget(results);
  own_button_ = new BitmapButton(control++, QStringLiteral("我要开盘"), functions);
  own_button_->setObjectName("against");
  own_button_->load_states(skin_folder_, "against");
  connect(own_button_, &QAbstractButton::clicked, this, [this] { hall_->own_button(); });
  line->addWidget(own_button_);
  line->addStretch(1);
}

void BankerPage::open() {
  hall_->open();
  own_button_->setVisible(hall_->own_button_visible());
}

void BankerPage::tree_changed() {
  applying_ = true;
  tree_model_->reload();
  // The view starts collapsed after a reset: open what the hall keeps open, top down.
  std::vector<QModelIndex> pending{QModelIndex()};
  while (!pending.empty()) {
    const QModelIndex parent = pending.back();
    pending.pop_back();
    for (int r = 0; r < tree_model_->rowCount(parent); ++r) {
      const QModelIndex child = tree_model_->index(r, 0, parent);
      if (tree_model_->is_expanded_in_hall(child)) tree_->setExpanded(child, true);
      pending.push_back(child);
    }
  }
  if (const auto selected = hall_->selected_path()) {
    tree_->selectionModel()->setCurrentIndex(tree_model_->index_of(*selected),
                                             QItemSelectionModel::ClearAndSelect);
  }
  applying_ = false;
}

std::vector<QString> BankerPage::context_menu_texts() const {
  std::vector<QString> texts;
  for (const auto& item : hall_->context_menu()) texts.push_back(QString::fromStdString(item));
  return texts;
}

void BankerPage::show_context_menu(const QPoint& at) {
  QMenu menu(this);
  for (const auto& item : hall_->context_menu()) {
    QAction* action = menu.addAction(QString::fromStdString(item));
    connect(action, &QAction::triggered, this, [this, item] { hall_->menu_command(item); });
  }
  menu.exec(offers_->viewport()->mapToGlobal(at));
}

void BankerPage::main_window_message(int message, int, int) {
  if (static_cast<ports::WindowMessage>(message) == ports::WindowMessage::refresh_account) hall_->refresh();
}

void BankerPage::set_location_text(const QString& text) { location_->setText(text); }

void BankerPage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0xf4, 0xf6, 0xfa));
  if (!band_.isNull()) painter.drawPixmap(QRect(0, 0, width(), band_.height()), band_);
}

}  // namespace brindle::gui
