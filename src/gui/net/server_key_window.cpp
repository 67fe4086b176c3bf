#include "gui/net/server_key_window.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/message_text.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

namespace {

constexpr char kHeading[] = "服务器证书已改变";
// A fingerprint is 44 characters, shown indented: the text is at least that wide in the fixed font.
constexpr int kFingerprintColumns = 48;

}  // namespace

ServerKeyWindow::ServerKeyWindow(const ports::ServerKeyChange& change, QWidget* parent) : QDialog(parent) {
  setObjectName("serverKeyWindow");
  setWindowTitle(QString::fromUtf8(app::kApplicationTitle));
  setModal(true);

  auto* heading = new QLabel(QString::fromUtf8(kHeading), this);
  heading->setObjectName("keyChangeHeading");
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);

  // The fixed font keeps fingerprints apart from one another character by character (0/O, l/1/I).
  text_ = new QLabel(QString::fromStdString(change.text), this);
  text_->setObjectName("keyChangeText");
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text_->setFixedWidth(QFontMetrics(text_->font()).horizontalAdvance(QString(kFingerprintColumns, 'M')));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  if (change.built_in) {
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
  } else {
    auto* trust = new QPushButton(QStringLiteral("信任"), this);
    trust->setObjectName("trustButton");
    auto* distrust = new QPushButton(QStringLiteral("不信任"), this);
    distrust->setObjectName("distrustButton");
    distrust->setDefault(true);
    connect(trust, &QPushButton::clicked, this, &QDialog::accept);
    connect(distrust, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(trust);
    buttons->addWidget(distrust);
    distrust->setFocus();
  }
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(text_);
  layout->addLayout(buttons);
  setFixedSize(sizeHint());
  SkinnedFrame::skin_dialog(this);
}

QString ServerKeyWindow::shownText() const { return text_->text(); }

bool ServerKeyWindowPort::trust_new_key(const ports::ServerKeyChange& change) {
  ServerKeyWindow window(change, parent_);
  // Only "信任" accepts; closing, Escape and "确定" about a built-in key all reject.
  return window.exec() == QDialog::Accepted && !change.built_in;
}

}  // namespace brindle::gui
