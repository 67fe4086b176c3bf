#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

namespace brindle::gui {

// The running information line: the text glides from right to left and comes round again.
class Marquee final : public QWidget {
  Q_OBJECT
 public:
  explicit Marquee(QWidget* parent = nullptr);

  void set_text(const QString& text);
  QString text() const { return text_; }
  // Pixels moved per step; a step every 30 ms gives a smooth 33 frames a second.
  void set_speed(int pixels_per_step) { speed_ = pixels_per_step; }
  int offset() const { return offset_; }
  void step();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QString text_;
  QTimer timer_;
  int offset_ = 0;
  int speed_ = 1;
};

}  // namespace brindle::gui
