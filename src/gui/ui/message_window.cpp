#include "gui/ui/message_window.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/message_text.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

namespace {
constexpr int kTextWidth = 300;  // about 37 bytes of the dialog font a line
}

MessageWindow::MessageWindow(const std::string& utf8_text, bool offer_cancel, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(app::kApplicationTitle));
  setModal(true);

  const app::MessageText layout = app::layout_message_text(utf8_text);
  line_count_ = layout.line_count;

  text_ = new QLabel(QString::fromStdString(layout.text), this);
  text_->setObjectName("messageText");
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignCenter);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_->setFixedWidth(kTextWidth);
  text_->setMinimumHeight(QFontMetrics(text_->font()).lineSpacing() * line_count_);

  ok_ = new QPushButton(QStringLiteral("确认"), this);
  ok_->setObjectName("okButton");
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("取消"), this);
  cancel_->setObjectName("cancelButton");
  cancel_->setVisible(offer_cancel);
  connect(ok_, &QPushButton::clicked, this, [this] { done(ports::MessagePort::ok); });
  connect(cancel_, &QPushButton::clicked, this, [this] { done(ports::MessagePort::cancel); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  if (offer_cancel) buttons->addWidget(cancel_);
  buttons->addStretch();

  auto* layout_box = new QVBoxLayout(this);
  layout_box->addStretch();
  layout_box->addWidget(text_, 0, Qt::AlignHCenter);
  layout_box->addStretch();
  layout_box->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(360, 150)));
  SkinnedFrame::skin_dialog(this);
}

QString MessageWindow::shownText() const { return text_->text(); }

bool MessageWindow::cancelOffered() const { return !cancel_->isHidden(); }

int MessageWindowPort::show_message(const std::string& utf8_text, bool offer_cancel) {
  MessageWindow window(utf8_text, offer_cancel, parent_);
  const int answer = window.exec();
  // Closing the window counts as "取消".
  return answer == ports::MessagePort::ok ? ports::MessagePort::ok : ports::MessagePort::cancel;
}

}  // namespace brindle::gui
