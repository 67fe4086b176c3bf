#pragma once

#include <QDialog>

#include "core/ports/bet_confirmation_port.h"

namespace brindle::gui {

// The Bet confirmation window: the choice, the odds and the stake under the ticket's market name.
class BetConfirmationWindow final : public QDialog {
  Q_OBJECT
 public:
  BetConfirmationWindow(const ports::BetConfirmation& confirmation, QWidget* parent = nullptr);
};

class BetConfirmationPortImpl final : public ports::BetConfirmationPort {
 public:
  explicit BetConfirmationPortImpl(QWidget* owner) : owner_(owner) {}
  bool confirm_bet(const ports::BetConfirmation& confirmation) override;
  void close_as_cancelled() override;
  void set_owner(QWidget* owner) { owner_ = owner; }

 private:
  QWidget* owner_;
  BetConfirmationWindow* showing_ = nullptr;
};

}  // namespace brindle::gui
