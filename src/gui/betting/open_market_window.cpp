#include "gui/betting/open_market_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/ui/confirmation_window.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

using betting::OpenMarketKind;

constexpr QSize kWindowSize(660, 600);
constexpr int kMatchColumnWidths[] = {130, 120, 80, 200};
constexpr int kScoreColumns = 3;
constexpr int kLastHomeWin = 10;
constexpr int kLastDraw = 15;

QString q(const std::string& text) { return QString::fromStdString(text); }

void keep_place_when_hidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

}  // namespace

OpenMarketPageWidget::OpenMarketPageWidget(betting::OpenMarketServices services, betting::OpenMarketKind kind,
                                           QWidget* parent)
    : QWidget(parent), page_(services, kind) {
  auto* layout = new QVBoxLayout(this);
  auto* league_row = new QHBoxLayout;
  league_row->addWidget(new QLabel(QStringLiteral("该赛事可选比赛列表："), this));
  leagues_ = new QComboBox(this);
  leagues_->setObjectName("leagues");
  leagues_->setMinimumWidth(200);
  league_row->addWidget(leagues_);
  league_row->addStretch(1);
  layout->addLayout(league_row);

  matches_ = new QTreeWidget(this);
  matches_->setObjectName("matches");
  matches_->setRootIsDecorated(false);
  matches_->setSelectionMode(QAbstractItemView::SingleSelection);
  matches_->setSelectionBehavior(QAbstractItemView::SelectRows);
  matches_->setHeaderLabels(
      {QStringLiteral("比赛日期"), QStringLiteral("赛事"), QStringLiteral("时间"), QStringLiteral("对阵")});
  for (int c = 0; c < 4; ++c) matches_->setColumnWidth(c, kMatchColumnWidths[c]);
  // Grid lines between the cells, as the report list draws them.
  matches_->setStyleSheet(QStringLiteral(
      "QTreeWidget::item { border-right: 1px solid palette(mid); border-bottom: 1px solid palette(mid); }"
      "QTreeWidget::item:selected { background: palette(highlight); color: palette(highlighted-text); }"));
  layout->addWidget(matches_, 1);

  banner_ = new QLabel(q(betting::kOpenMarketBannerStart), this);
  banner_->setObjectName("banner");
  QFont banner_font(QStringLiteral("Arial"), 11);
  banner_font.setBold(true);
  banner_->setFont(banner_font);
  banner_->setAutoFillBackground(true);
  QPalette palette = banner_->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Dark));
  palette.setColor(QPalette::WindowText, Qt::white);
  banner_->setPalette(palette);
  layout->addWidget(banner_);

  auto* group = new QGroupBox(q(page_.group_caption()), this);
  group->setObjectName("options");
  auto* grid = new QGridLayout(group);
  const auto& options = page_.options();
  const bool scores = kind == OpenMarketKind::correct_score;
  if (scores) {
    const char* names[] = {"主队胜", "主队平", "主队负"};
    for (int c = 0; c < kScoreColumns; ++c) {
      auto* caption = new QLabel(QString::fromUtf8(names[c]), group);
      caption->setObjectName(QStringLiteral("caption%1").arg(c));
      keep_place_when_hidden(caption);
      caption->hide();
      grid->addWidget(caption, 0, c * 3, 1, 3);
      captions_.push_back(caption);
    }
  }
  for (std::size_t slot = 0; slot < options.size(); ++slot) {
    auto* box = new QCheckBox(group);
    box->setObjectName(QStringLiteral("option%1").arg(slot + 1));
    auto* label = new QLabel(QStringLiteral("自定赔率："), group);
    auto* odds = new QLineEdit(group);
    odds->setObjectName(QStringLiteral("odds%1").arg(slot + 1));
    odds->setMaximumWidth(70);
    odds->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,5}(\\.[0-9]{0,4})?")), odds));
    for (QWidget* w :
         {static_cast<QWidget*>(box), static_cast<QWidget*>(label), static_cast<QWidget*>(odds)}) {
      keep_place_when_hidden(w);
      w->hide();
    }
    int row = static_cast<int>(slot);
    int column = 0;
    if (scores) {
      // Home wins, draws and away wins side by side; "其它比分" under the draws.
      const int code = static_cast<int>(slot) + 1;
      column = code <= kLastHomeWin ? 0 : code <= kLastDraw ? 1 : code < 26 ? 2 : 1;
      row = 1 + (code <= kLastHomeWin ? code - 1 : code <= kLastDraw ? code - 11 : code < 26 ? code - 16 : 6);
    }
    grid->addWidget(box, row, column * 3);
    grid->addWidget(label, row, column * 3 + 1);
    grid->addWidget(odds, row, column * 3 + 2);
    boxes_.push_back(box);
    odds_labels_.push_back(label);
    odds_.push_back(odds);
    connect(box, &QCheckBox::toggled, this, [this, slot](bool checked) {
      if (filling_) return;
      page_.set_checked(slot, checked);
      show_options();
    });
    connect(odds, &QLineEdit::textEdited, this,
            [this, slot](const QString& text) { page_.set_odds_text(slot, text.toStdString()); });
  }
  layout->addWidget(group);
  if (const std::string note = page_.odds_box_note(); !note.empty()) {
    auto* odds_note = new QLabel(QString::fromStdString(note), this);
    odds_note->setObjectName(QStringLiteral("oddsNote"));
    layout->addWidget(odds_note, 0, Qt::AlignRight);
  }

  auto* stake_row = new QHBoxLayout;
  stake_row->addWidget(new QLabel(QStringLiteral("开盘彩金："), this));
  stake_ = new QLineEdit(q(page_.stake_text()), this);
  stake_->setObjectName("stake");
  stake_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), stake_));
  stake_row->addWidget(stake_);
  auto* currency = new QLabel(q(page_.stake_label()), this);
  currency->setObjectName("currency");
  stake_row->addWidget(currency);
  stake_row->addStretch(1);
  layout->addLayout(stake_row);
  connect(stake_, &QLineEdit::textEdited, this,
          [this](const QString& text) { page_.set_stake_text(text.toStdString()); });

  connect(leagues_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling_ || index < 0) return;
    page_.choose_league(static_cast<std::size_t>(index));
    show_matches();
  });
  connect(matches_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (filling_) return;
    const auto selected = matches_->selectedItems();
    std::optional<std::size_t> row;
    if (!selected.isEmpty()) row = static_cast<std::size_t>(matches_->indexOfTopLevelItem(selected.front()));
    page_.select_match(row);
    show_options();
  });
  show_options();
}

void OpenMarketPageWidget::start() {
  page_.start();
  filling_ = true;
  leagues_->clear();
  for (const auto& l : page_.leagues()) leagues_->addItem(q(l));
  leagues_->setCurrentIndex(page_.leagues().empty() ? -1 : 0);
  filling_ = false;
  show_matches();
}

void OpenMarketPageWidget::show_matches() {
  filling_ = true;
  matches_->clear();
  for (const auto& m : page_.listed_matches()) {
    auto* item = new QTreeWidgetItem(
        {q(m.kick_off_date), q(m.league), q(m.kick_off_time), q(m.home_team + " vs " + m.away_team)});
    item->setData(0, Qt::UserRole, m.match_number);
    matches_->addTopLevelItem(item);
  }
  filling_ = false;
  show_options();
}

void OpenMarketPageWidget::show_options() {
  filling_ = true;
  banner_->setText(q(page_.banner()));
  const auto& options = page_.options();
  for (std::size_t slot = 0; slot < options.size(); ++slot) {
    const auto& o = options[slot];
    boxes_[slot]->setText(q(o.name));
    boxes_[slot]->setChecked(o.checked);
    boxes_[slot]->setVisible(o.shown);
    odds_labels_[slot]->setVisible(o.shown);
    odds_[slot]->setVisible(o.shown);
    if (odds_[slot]->text() != q(o.odds_text)) odds_[slot]->setText(q(o.odds_text));
    odds_[slot]->setEnabled(o.checked);
  }
  for (std::size_t c = 0; c < captions_.size(); ++c) captions_[c]->setVisible(page_.score_captions()[c]);
  stake_->setEnabled(page_.stake_enabled());
  if (stake_->text() != q(page_.stake_text())) stake_->setText(q(page_.stake_text()));
  filling_ = false;
}

void OpenMarketPageWidget::open_now() {
  page_.open_now();
  show_options();
}

OpenMarketWindow::OpenMarketWindow(betting::OpenMarketServices services, int initial_tab, QWidget* parent)
    : QDialog(parent), services_(services), pages_(betting::kOpenMarketTabCount, nullptr) {
  setObjectName("openMarket");
  setWindowTitle(q(betting::kOpenMarketTitle));
  setFixedSize(kWindowSize);
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabs");
  for (int t = 0; t < betting::kOpenMarketTabCount; ++t)
    tabs_->addTab(new QWidget(tabs_),
                  QString::fromUtf8(betting::open_market_kind_info(static_cast<OpenMarketKind>(t)).caption));
  layout->addWidget(tabs_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("现在开盘"), this);
  ok->setObjectName("ok");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName("cancel");
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (auto* p = page(tabs_->currentIndex())) p->open_now();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  const int first = initial_tab >= 0 && initial_tab < betting::kOpenMarketTabCount ? initial_tab : 0;
  tabs_->setCurrentIndex(first);
  show_tab(first);
  connect(tabs_, &QTabWidget::currentChanged, this, &OpenMarketWindow::show_tab);
  SkinnedFrame::skin_dialog(this);
  if (auto* p = page(first)) p->matches()->setFocus();
}

OpenMarketPageWidget* OpenMarketWindow::page(int tab) const {
  if (tab < 0 || tab >= betting::kOpenMarketTabCount) return nullptr;
  return pages_[static_cast<std::size_t>(tab)];
}

void OpenMarketWindow::show_tab(int tab) {
  if (tab < 0 || tab >= betting::kOpenMarketTabCount) return;
  auto*& slot = pages_[static_cast<std::size_t>(tab)];
  if (slot == nullptr) {
    // Made on first show and kept while the window lives.
    auto* holder = tabs_->widget(tab);
    auto* holder_layout = new QVBoxLayout(holder);
    holder_layout->setContentsMargins(0, 0, 0, 0);
    slot = new OpenMarketPageWidget(services_, static_cast<OpenMarketKind>(tab), holder);
    holder_layout->addWidget(slot);
    slot->start();
  }
  slot->matches()->setFocus();
}

void OpenMarketWindowPort::open_market_window(int initial_tab) {
  ConfirmationWindowPort confirmation(owner_);
  OpenMarketWindow window({session_, messages_, confirmation}, initial_tab, owner_);
  window.exec();
}

void OpenMarketWindowPort::open(bool with_notice, int selected_kind_flag) {
  ConfirmationWindowPort confirmation(owner_);
  betting::open_market_from_hall(confirmation, *this, with_notice, selected_kind_flag);
}

}  // namespace brindle::gui
