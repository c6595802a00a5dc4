#include "ui/CartridgeFrame.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "board/Cartridge.h"
#include "board/Host.h"
#include "ui/BoardAccess.h"
#include "ui/FileDialogs.h"
#include "ui/PanelStyle.h"

namespace {

const FileRequest kOpenRequest{"OpenDialog", FileRequest::Open, "KQ Cartridges (*.kqc)", "kqc"};
const FileRequest kSaveRequest{"SaveDialog", FileRequest::Save, "KQ Cartridges (*.kqc)", "kqc"};

}  // namespace

TCartridgeFrame::TCartridgeFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("CartridgeFrame1");
  setFixedSize(205, 78);

  panel_ = new QLabel("No cartridge", this);
  panel_->setObjectName("Panel");
  panel_->setGeometry(0, 0, 205, 57);
  panel_->setAlignment(Qt::AlignCenter);
  panel_->setAutoFillBackground(true);
  panel_->setFont(PanelFont(11, false));
  SetColours(panel_, Qt::white, Qt::black);
  panel_->setContextMenuPolicy(Qt::CustomContextMenu);

  label77_ = new QLabel("Cartridge Port", this);
  label77_->setObjectName("Label77");
  label77_->setGeometry(0, 57, 205, 21);
  label77_->setAlignment(Qt::AlignCenter);
  label77_->setWordWrap(true);
  label77_->setFont(PanelFont(13, true));
  SetColours(label77_, Qt::white, Qt::black);

  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu");
  new_ = popup_->addAction("&New", this, &TCartridgeFrame::MenuCartridgeNewClick);
  open_ = popup_->addAction("&Open...", this, &TCartridgeFrame::MenuCartridgeOpenClick);
  save_ = popup_->addAction("&Save", this, &TCartridgeFrame::MenuCartridgeSaveClick);
  saveAs_ = popup_->addAction("Save &as...", this, &TCartridgeFrame::MenuCartridgeSaveAsClick);
  remove_ = popup_->addAction("&Remove", this, &TCartridgeFrame::MenuCartridgeRemoveClick);
  connect(popup_, &QMenu::aboutToShow, this, &TCartridgeFrame::PopupMenuPopup);
  connect(panel_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(panel_->mapToGlobal(at)); });

  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(100);
  connect(timer1_, &QTimer::timeout, this, &TCartridgeFrame::Timer1Timer);
  timer1_->start();
}

bool TCartridgeFrame::QuerySaveChanges() {
  if (!CartridgePresent || !CartridgeChanged) return true;
  switch (Host().ShowMessage("The cartridge has changed.  Do you want to save the changes?",
                             kApplicationTitle, MessageButtons::YesNoCancel,
                             MessageIcon::Warning)) {
    case MessageChoice::Yes:
      // A cancelled dialog or a failed save stops the caller.
      return fileName_.isEmpty() ? SaveAs() : SaveTo(fileName_);
    case MessageChoice::No:
      return true;
    default:
      return false;
  }
}

void TCartridgeFrame::UpdateCaption() {
  if (!CartridgePresent) {
    fileName_.clear();
    panel_->setText("No cartridge");
  } else if (fileName_.isEmpty()) {
    panel_->setText("Cartridge present (unsaved)");
  } else {
    panel_->setText(QFileInfo(fileName_).fileName());
  }
}

void TCartridgeFrame::Timer1Timer() {
  if (CartridgePresent == lastCartridgePresent_) return;
  lastCartridgePresent_ = CartridgePresent;
  UpdateCaption();
}

void TCartridgeFrame::PopupMenuPopup() {
  save_->setEnabled(CartridgePresent && !fileName_.isEmpty());
  saveAs_->setEnabled(CartridgePresent);
  remove_->setEnabled(CartridgePresent);
}

void TCartridgeFrame::MenuCartridgeNewClick() {
  if (!QuerySaveChanges()) return;
  RunOnBoard(CartridgeNew);
  fileName_.clear();
  UpdateCaption();
}

// The name changes only with a cartridge actually loaded from it, so that a later Save
// never writes into a file that was refused.
void TCartridgeFrame::MenuCartridgeOpenClick() {
  if (!QuerySaveChanges()) return;
  QString name = ChooseFile(this, kOpenRequest);
  if (name.isEmpty()) return;
  bool loaded = false;
  RunOnBoard([&] { loaded = CartridgeLoad(name.toStdString()); });
  if (loaded) {
    fileName_ = name;
  } else {
    Host().ShowMessage("Does not appear to be a valid KQ Cartridge file.", "Error",
                       MessageButtons::Ok, MessageIcon::None);
  }
  UpdateCaption();
}

void TCartridgeFrame::MenuCartridgeSaveClick() {
  if (!fileName_.isEmpty()) SaveTo(fileName_);
}

void TCartridgeFrame::MenuCartridgeSaveAsClick() { SaveAs(); }

bool TCartridgeFrame::SaveAs() {
  QString name = ChooseFile(this, kSaveRequest);
  return !name.isEmpty() && SaveTo(name);
}

// The cartridge takes the file's name only once it is saved there.
bool TCartridgeFrame::SaveTo(const QString& name) {
  bool saved = false;
  RunOnBoard([&] { saved = CartridgeSave(name.toStdString()); });
  if (!saved) {
    Host().ShowMessage("Unable to save the cartridge file.", "Error", MessageButtons::Ok,
                       MessageIcon::Error);
    return false;
  }
  fileName_ = name;
  UpdateCaption();
  return true;
}

// The caption follows within 100 ms, when the timer sees the cartridge gone.
void TCartridgeFrame::MenuCartridgeRemoveClick() {
  if (QuerySaveChanges()) RunOnBoard(CartridgeRemove);
}
