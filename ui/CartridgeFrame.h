// The picture of the cartridge port: a black panel that names the plugged-in cartridge,
// with a right-click menu to make a new one, open, save, save under another name and
// remove it. It asks before unsaved cartridge contents would be lost.
#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QTimer;

class TCartridgeFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TCartridgeFrame(QWidget* parent = nullptr);

  // May the caller go on? Asks to save a changed cartridge: Yes saves (and goes on only
  // if the save went through), No goes on, Cancel stops.
  bool QuerySaveChanges();
  void UpdateCaption();
  const QString& CartridgeFileName() const { return fileName_; }
  // The cartridge's presence as the timer saw it last.
  bool LastCartridgePresent() const { return lastCartridgePresent_; }

  QLabel* Panel() const { return panel_; }
  QMenu* PopupMenu() const { return popup_; }
  QAction* MenuCartridgeNew() const { return new_; }
  QAction* MenuCartridgeOpen() const { return open_; }
  QAction* MenuCartridgeSave() const { return save_; }
  QAction* MenuCartridgeSaveAs() const { return saveAs_; }
  QAction* MenuCartridgeRemove() const { return remove_; }

  // The menu's commands.
  void MenuCartridgeNewClick();
  void MenuCartridgeOpenClick();
  void MenuCartridgeSaveClick();
  void MenuCartridgeSaveAsClick();
  void MenuCartridgeRemoveClick();
  // Before the menu shows: what can be done with the cartridge as it is.
  void PopupMenuPopup();
  // Every 100 ms: the caption follows the cartridge's presence.
  void Timer1Timer();

 private:
  // Each true once the cartridge is saved.
  bool SaveAs();
  bool SaveTo(const QString& name);

  QLabel* label77_;
  QLabel* panel_;
  QMenu* popup_;
  QAction* new_;
  QAction* open_;
  QAction* save_;
  QAction* saveAs_;
  QAction* remove_;
  QTimer* timer1_;
  QString fileName_;  // the cartridge's file; empty when it has none
  bool lastCartridgePresent_ = false;
};
