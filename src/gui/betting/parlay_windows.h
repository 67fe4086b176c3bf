#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "core/ports/parlay_windows_port.h"

class QButtonGroup;
class QTabWidget;

namespace brindle::gui {

// "玩法选择": the match's lines as choices, one tab per market kind. "确认" asks the ticket whether
// the chosen item will do; the window closes only when it does.
class MarketChoiceWindow final : public QDialog {
  Q_OBJECT
 public:
  using Confirm = std::function<bool(std::optional<ports::MarketChoice>)>;
  MarketChoiceWindow(const ports::MarketChoiceContent& content, Confirm confirm, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  // The item whose choice is checked, if any.
  std::optional<ports::MarketChoice> chosen() const;
  // Checks an item, as a click on it would.
  void choose(int tab, int item);
  // "确认".
  void confirm_choice();
  const std::optional<ports::MarketChoice>& confirmed() const { return confirmed_; }

 private:
  Confirm confirm_;
  QTabWidget* tabs_ = nullptr;
  QButtonGroup* group_ = nullptr;
  std::vector<ports::MarketChoice> ids_;  // by button id
  std::optional<ports::MarketChoice> confirmed_;
};

class ParlayWindowsPortImpl final : public ports::ParlayWindowsPort {
 public:
  explicit ParlayWindowsPortImpl(QWidget* owner) : owner_(owner) {}
  void set_owner(QWidget* owner) { owner_ = owner; }
  std::optional<ports::MarketChoice> choose_market(
      const ports::MarketChoiceContent& content,
      const std::function<bool(std::optional<ports::MarketChoice>)>& confirm) override;
  bool confirm_overview(const std::string& title, const std::string& text) override;

 private:
  QWidget* owner_;
};

}  // namespace brindle::gui
