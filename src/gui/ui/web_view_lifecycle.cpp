#include "gui/ui/web_view_lifecycle.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#ifdef BRINDLE_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace brindle::gui {

#ifdef BRINDLE_HAVE_WEBENGINE
namespace {

class RendererReleaser final : public QObject {
 public:
  explicit RendererReleaser(QWebEngineView* view) : QObject(view), view_(view) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != view_) return false;
    if (event->type() == QEvent::Hide) {
      // Only a page no longer on screen may be discarded; the view's own visibility follows this
      // event, so the state changes once the event loop runs again.
      QTimer::singleShot(0, this, [this] {
        if (!view_->isVisible()) view_->page()->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
      });
    } else if (event->type() == QEvent::Show) {
      view_->page()->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    }
    return false;
  }

 private:
  QWebEngineView* view_;
};

}  // namespace
#endif

void release_renderer_when_hidden(QWidget* web_view) {
#ifdef BRINDLE_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(web_view))
    view->installEventFilter(new RendererReleaser(view));
#else
  (void)web_view;
#endif
}

}  // namespace brindle::gui
