// The dialog in which the user picks the MIDI input and output ports. Each showing lists
// the ports anew and pre-selects the ones chosen last; OK opens the pair and keeps the
// choice only if both opened.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class TMidiSelectForm : public QDialog {
  Q_OBJECT

 public:
  explicit TMidiSelectForm(QWidget* parent = nullptr);

  QComboBox* ComboBoxInput() const { return input_; }
  QComboBox* ComboBoxOutput() const { return output_; }
  QPushButton* ButtonOK() const { return ok_; }
  QPushButton* ButtonCancel() const { return cancel_; }

  // Lists the ports anew, the ones chosen last selected.
  void FormShow();
  // Once the dialog is on screen: with no port on either side, says so and closes.
  void CheckDevicesPresent();
  void ButtonOKClick();
  void ButtonCancelClick();
  // The item chosen in a list: -1 for none, also for text typed that names no item.
  static int SelectedIndex(const QComboBox* box);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* label1_;
  QComboBox* input_;
  QLabel* label2_;
  QComboBox* output_;
  QPushButton* ok_;
  QPushButton* cancel_;
};
