#include "ui/MidiSelectForm.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "board/Host.h"
#include "board/Midi.h"
#include "board/Settings.h"

namespace {

QComboBox* NewPortList(QWidget* parent, const char* name, int top) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setGeometry(55, top, 241, 21);
  return box;
}

QLabel* NewCaption(QWidget* parent, const char* name, const char* text, int right, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setGeometry(right - 60, top, 60, 21);
  return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* text, int left) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(left, 72, 75, 25);
  return button;
}

void FillPortList(QComboBox* box, const std::vector<std::string>& ports, int chosen) {
  box->clear();
  box->clearEditText();
  if (ports.empty()) {
    box->setEditText("No devices present");
    box->setEnabled(false);
    return;
  }
  for (const std::string& port : ports) box->addItem(QString::fromStdString(port));
  box->setCurrentIndex(chosen >= 0 && chosen < box->count() ? chosen : -1);
  box->setEnabled(true);
}

}  // namespace

TMidiSelectForm::TMidiSelectForm(QWidget* parent) : QDialog(parent) {
  setObjectName("MidiSelectForm");
  setWindowTitle("Select MIDI devices");
  setFixedSize(304, 102);
  label1_ = NewCaption(this, "Label1", "Input:", 51, 8);
  input_ = NewPortList(this, "ComboBoxInput", 8);
  label2_ = NewCaption(this, "Label2", "Output:", 51, 40);
  output_ = NewPortList(this, "ComboBoxOutput", 40);
  ok_ = NewButton(this, "ButtonOK", "&OK", 8);
  ok_->setDefault(true);  // Enter
  ok_->setAutoDefault(true);
  cancel_ = NewButton(this, "ButtonCancel", "&Cancel", 224);
  cancel_->setAutoDefault(false);
  setTabOrder(input_, output_);
  setTabOrder(output_, ok_);
  setTabOrder(ok_, cancel_);
  connect(ok_, &QPushButton::clicked, this, &TMidiSelectForm::ButtonOKClick);
  connect(cancel_, &QPushButton::clicked, this, &TMidiSelectForm::ButtonCancelClick);
}

void TMidiSelectForm::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

// The check runs once the dialog is on screen.
void TMidiSelectForm::FormShow() {
  FillPortList(input_, MidiInDevices, TSettings::MidiInDevice);
  FillPortList(output_, MidiOutDevices, TSettings::MidiOutDevice);
  QMetaObject::invokeMethod(this, &TMidiSelectForm::CheckDevicesPresent, Qt::QueuedConnection);
}

void TMidiSelectForm::CheckDevicesPresent() {
  if (!isVisible() || input_->isEnabled() || output_->isEnabled()) return;
  hide();
  Host().ShowMessage("No MIDI devices present.", kApplicationTitle, MessageButtons::Ok,
                     MessageIcon::Information);
  reject();
}

int TMidiSelectForm::SelectedIndex(const QComboBox* box) {
  if (!box->isEnabled()) return -1;
  const int index = box->currentIndex();
  if (index >= 0 && box->itemText(index) == box->currentText()) return index;
  return box->findText(box->currentText(), Qt::MatchExactly);
}

// A failed open has closed both ports and told the user; the dialog stays for another try.
void TMidiSelectForm::ButtonOKClick() {
  const int in = SelectedIndex(input_), out = SelectedIndex(output_);
  if (!OpenMidi(in, out)) return;
  TSettings::MidiInDevice = in;
  TSettings::MidiOutDevice = out;
  accept();
}

void TMidiSelectForm::ButtonCancelClick() { reject(); }

void TMidiSelectForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return;  // Cancel is a choice of its own, not Escape
  QDialog::keyPressEvent(event);
}
