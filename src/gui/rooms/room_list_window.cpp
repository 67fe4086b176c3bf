#include "gui/rooms/room_list_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "gui/betting/hall_cell_delegate.h"
#include "gui/rooms/create_room_window.h"
#include "gui/rooms/room_list_item_model.h"
#include "gui/rooms/room_password_window.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr int kIconSize = 16;

}  // namespace

RoomListWindow::RoomListWindow(rooms::RoomListServices services, const std::filesystem::path& skin_folder,
                               QWidget* parent)
    : QDialog(parent), model_(services) {
  setWindowTitle(QStringLiteral("进入私人房间"));
  setModal(true);

  auto* caption = new QLabel(QStringLiteral("房间列表："), this);
  list_ = new QTreeView(this);
  list_->setObjectName("roomList");
  items_ =
      new RoomListItemModel(model_, load_cell_images(skin_folder / "hall.bmp", kIconSize, kIconSize), this);
  list_->setModel(items_);
  model_.set_row_observers([this] { items_->begin_fill(); }, [this] { items_->end_fill(); });
  list_->setIconSize(QSize(kIconSize, kIconSize));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setRootIsDecorated(true);
  list_->setUniformRowHeights(true);
  list_->header()->setStretchLastSection(true);
  list_->setColumnWidth(0, rooms::kRoomNameColumnWidth);
  list_->setColumnWidth(1, rooms::kCreatorColumnWidth);
  caption->setBuddy(list_);

  create_ = new QPushButton(QStringLiteral("自创房间"), this);
  create_->setObjectName("createButton");
  enter_ = new QPushButton(QStringLiteral("进入房间"), this);
  enter_->setObjectName("enterButton");
  enter_->setDefault(true);
  refresh_ = new QPushButton(QStringLiteral("刷新列表"), this);
  refresh_->setObjectName("refreshButton");
  auto* quit = new QPushButton(QStringLiteral("退出"), this);
  quit->setObjectName("quitButton");
  connect(create_, &QPushButton::clicked, this, &RoomListWindow::create);
  connect(enter_, &QPushButton::clicked, this, &RoomListWindow::enter);
  connect(refresh_, &QPushButton::clicked, this, &RoomListWindow::fill);
  connect(quit, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    if (items_->room_row(index)) enter();
  });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(create_);
  buttons->addStretch();
  buttons->addWidget(enter_);
  buttons->addWidget(refresh_);
  buttons->addWidget(quit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(420, 380);
  fill();
  SkinnedFrame::skin_dialog(this);
}

void RoomListWindow::fill() {
  model_.fill();
  show_rows();
}

void RoomListWindow::enter() {
  const QModelIndexList selected = list_->selectionModel()->selectedRows();
  const auto row = selected.isEmpty() ? std::nullopt : items_->room_row(selected.front());
  if (model_.enter(row)) accept();
}

void RoomListWindow::create() {
  if (model_.create_room()) show_rows();
}

void RoomListWindow::show_rows() {
  list_->expandAll();
  if (const auto own = model_.rows().own_room) list_->setCurrentIndex(items_->index_of(*own));
  list_->setFocus();
}

bool choose_private_room(protocol::Session& session, ports::MessagePort& messages,
                         const std::filesystem::path& skin_folder, QWidget* parent) {
  RoomPasswordWindowPort password;
  CreateRoomWindowPortImpl create_window;
  RoomListWindow window({session, messages, password, create_window}, skin_folder, parent);
  password.set_owner(&window);
  create_window.set_owner(&window);
  return window.exec() == QDialog::Accepted;
}

}  // namespace brindle::gui
