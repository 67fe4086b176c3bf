#include "gui/betting/parlay_ticket_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "core/notation/odds_format.h"
#include "gui/betting/hall_cell_delegate.h"

namespace brindle::gui {
namespace {

constexpr int kRemoveSize = 16;
constexpr int kPanelHeight = 190;

QString text(const std::string& s) { return QString::fromStdString(s); }

// A stake cell takes whole units only: a letter is never typed, rather than silently undone.
class StakeDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      line->setObjectName("stakeEditor");
      line->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), line));
    }
    return editor;
  }
};

}  // namespace

ParlayLegsModel::ParlayLegsModel(const betting::ParlayTicket& ticket, QPixmap remove, QObject* parent)
    : QAbstractTableModel(parent), ticket_(ticket), remove_(std::move(remove)) {}

int ParlayLegsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ticket_.legs().size());
}

int ParlayLegsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant ParlayLegsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= ticket_.legs().size()) return {};
  const auto& leg = ticket_.legs()[static_cast<std::size_t>(index.row())];
  if (role == Qt::DecorationRole && index.column() == kRemove) return remove_;
  if (role == Qt::ToolTipRole && index.column() == kRemove) return QStringLiteral("删除");
  if (role == Qt::TextAlignmentRole && index.column() == kOdds) return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kMatch:
      return text(leg.home_team + " vs " + leg.away_team);
    case kKind:
      return text(betting::leg_kind_text(leg));
    case kChoice:
      return text(betting::leg_choice_text(leg));
    case kOdds:
      return text(notation::odds_text(leg.price, ticket_.odds_format()));
    default:
      return {};
  }
}

QVariant ParlayLegsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"", "比赛", "玩法", "你的选择", "赔率"};
  if (section == kOdds) return text(notation::odds_title(kTitles[section], ticket_.odds_format()));
  return section >= 0 && section < kColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

void ParlayLegsModel::reload() {
  beginResetModel();
  endResetModel();
}

ParlayTypesModel::ParlayTypesModel(betting::ParlayTicket& ticket, QObject* parent)
    : QAbstractTableModel(parent), ticket_(ticket) {}

int ParlayTypesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ParlayTypesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant ParlayTypesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= ticket_.types().size()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (role == Qt::TextAlignmentRole && index.column() == kStake)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  switch (index.column()) {
    case kName:
      return text(ticket_.type_name(row));
    case kStake:
      return QString::number(ticket_.types()[row].stake);
    case kCurrency:
      return text(ticket_.currency());
    default:
      return {};
  }
}

QVariant ParlayTypesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"投注种类", "单注彩金", ""};
  return section >= 0 && section < kColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

Qt::ItemFlags ParlayTypesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == kStake) f |= Qt::ItemIsEditable;
  return f;
}

bool ParlayTypesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != kStake) return false;
  // The ticket checks and stores the stake, then tells the panel to redraw.
  ticket_.edit_stake(static_cast<std::size_t>(index.row()), value.toString().toStdString());
  return true;
}

void ParlayTypesModel::reload() {
  const int rows = static_cast<int>(ticket_.types().size());
  if (rows == rows_) {
    // Same rows (a stake edit): no reset, which would tear down the editor being committed.
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, kColumnCount - 1));
    return;
  }
  beginResetModel();
  rows_ = rows;
  endResetModel();
}

ParlayTicketPanel::ParlayTicketPanel(betting::ParlayTicket& ticket, const std::filesystem::path& skin_folder,
                                     QWidget* parent)
    : QWidget(parent), ticket_(ticket) {
  setObjectName("parlayTicket");
  setFixedHeight(kPanelHeight);
  const auto remove = load_cell_images(skin_folder / "remove.bmp", kRemoveSize, kRemoveSize);
  legs_model_ = new ParlayLegsModel(ticket_, remove.empty() ? QPixmap() : remove.front(), this);
  types_model_ = new ParlayTypesModel(ticket_, this);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  legs_ = new QTableView(this);
  legs_->setObjectName("parlayLegs");
  legs_->setModel(legs_model_);
  legs_->verticalHeader()->hide();
  legs_->setSelectionMode(QAbstractItemView::NoSelection);
  legs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  legs_->setIconSize(QSize(kRemoveSize, kRemoveSize));
  legs_->horizontalHeader()->setSectionResizeMode(ParlayLegsModel::kMatch, QHeaderView::Stretch);
  legs_->horizontalHeader()->setSectionResizeMode(ParlayLegsModel::kChoice, QHeaderView::Stretch);
  legs_->setColumnWidth(ParlayLegsModel::kRemove, 28);
  legs_->setColumnWidth(ParlayLegsModel::kKind, 90);
  legs_->setColumnWidth(ParlayLegsModel::kOdds, 70);
  connect(legs_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() == ParlayLegsModel::kRemove) ticket_.remove_leg(static_cast<std::size_t>(index.row()));
  });
  layout->addWidget(legs_, 3);
  empty_ = new QLabel(QString::fromUtf8(betting::kNoLegsText), legs_->viewport());
  empty_->setObjectName("noLegs");
  empty_->setStyleSheet("color: #555; padding: 12px;");

  auto* right = new QVBoxLayout;
  types_ = new QTableView(this);
  types_->setObjectName("parlayTypes");
  types_->setModel(types_model_);
  types_->verticalHeader()->hide();
  types_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  types_->setItemDelegateForColumn(ParlayTypesModel::kStake, new StakeDelegate(types_));
  types_->horizontalHeader()->setSectionResizeMode(ParlayTypesModel::kName, QHeaderView::Stretch);
  types_->setColumnWidth(ParlayTypesModel::kStake, 90);
  types_->setColumnWidth(ParlayTypesModel::kCurrency, 40);
  right->addWidget(types_, 1);
  stake_line_ = new QLabel(this);
  stake_line_->setObjectName("totalStake");
  payout_line_ = new QLabel(this);
  payout_line_->setObjectName("highestPayout");
  bet_ = new QPushButton(QStringLiteral("投注"), this);
  bet_->setObjectName("parlayBet");
  connect(bet_, &QPushButton::clicked, this, [this] { ticket_.bet(); });
  auto* totals = new QHBoxLayout;
  auto* lines = new QVBoxLayout;
  lines->addWidget(stake_line_);
  lines->addWidget(payout_line_);
  totals->addLayout(lines, 1);
  totals->addWidget(bet_);
  right->addLayout(totals);
  layout->addLayout(right, 2);

  ticket_.set_view(this);
  ticket_changed();
}

ParlayTicketPanel::~ParlayTicketPanel() { ticket_.set_view(nullptr); }

void ParlayTicketPanel::ticket_changed() {
  legs_model_->reload();
  types_model_->reload();
  empty_->setVisible(ticket_.legs().empty());
  empty_->adjustSize();
  stake_line_->setText(text(ticket_.stake_line()));
  payout_line_->setText(text(ticket_.payout_line()));
}

}  // namespace brindle::gui
