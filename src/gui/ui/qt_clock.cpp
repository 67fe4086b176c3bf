#include "gui/ui/qt_clock.h"

#include <QPointer>
#include <QTimer>

namespace brindle::gui {
namespace {

class QtTimerHandle final : public ports::TimerHandle {
 public:
  explicit QtTimerHandle(QTimer* timer) : timer_(timer) {}
  ~QtTimerHandle() override {
    if (!timer_) return;
    timer_->stop();
    // A tick may end its own timer: the QTimer and its slot go once the tick has returned.
    timer_->deleteLater();
  }

 private:
  QPointer<QTimer> timer_;
};

}  // namespace

std::unique_ptr<ports::TimerHandle> QtClock::every(std::chrono::milliseconds period,
                                                   std::function<void()> tick) {
  auto* timer = new QTimer;
  timer->setInterval(period);
  QObject::connect(timer, &QTimer::timeout, timer, std::move(tick));
  timer->start();
  return std::make_unique<QtTimerHandle>(timer);
}

}  // namespace brindle::gui
