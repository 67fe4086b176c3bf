#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <QWidget>
#include <filesystem>

#include "core/betting/parlay_ticket.h"

class QLabel;
class QPushButton;
class QTableView;

namespace brindle::gui {

// The legs list: the delete picture, "比赛", "玩法", "你的选择", "赔率".
class ParlayLegsModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kRemove, kMatch, kKind, kChoice, kOdds, kColumnCount };
  ParlayLegsModel(const betting::ParlayTicket& ticket, QPixmap remove, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void reload();

 private:
  const betting::ParlayTicket& ticket_;
  QPixmap remove_;
};

// The types list: "投注种类", the editable "单注彩金" and the currency.
class ParlayTypesModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kName, kStake, kCurrency, kColumnCount };
  explicit ParlayTypesModel(betting::ParlayTicket& ticket, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  void reload();

 private:
  betting::ParlayTicket& ticket_;
  int rows_ = 0;
};

// The lower half of the parlay hall: legs, types with stakes, the two total lines, the bet button.
class ParlayTicketPanel final : public QWidget, public betting::ParlayTicketView {
  Q_OBJECT
 public:
  ParlayTicketPanel(betting::ParlayTicket& ticket, const std::filesystem::path& skin_folder,
                    QWidget* parent = nullptr);
  ~ParlayTicketPanel() override;

  void ticket_changed() override;

  QTableView* legs() const { return legs_; }
  QTableView* types() const { return types_; }
  QLabel* stake_line() const { return stake_line_; }
  QLabel* payout_line() const { return payout_line_; }
  QLabel* empty_label() const { return empty_; }
  QPushButton* bet_button() const { return bet_; }

 private:
  betting::ParlayTicket& ticket_;
  ParlayLegsModel* legs_model_ = nullptr;
  ParlayTypesModel* types_model_ = nullptr;
  QTableView* legs_ = nullptr;
  QTableView* types_ = nullptr;
  QLabel* empty_ = nullptr;
  QLabel* stake_line_ = nullptr;
  QLabel* payout_line_ = nullptr;
  QPushButton* bet_ = nullptr;
};

}  // namespace brindle::gui
