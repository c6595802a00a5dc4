#include "ui/DebugForms.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "board/Dac.h"
#include "board/Keyboard.h"
#include "board/Output.h"
#include "board/Wave.h"
#include "ui/BoardAccess.h"

// ---- TDebugForm ----

TDebugForm::TDebugForm(const char* name, const QString& caption, QSize size, QWidget* owner,
                       bool refreshes)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName(name);
  setWindowTitle(caption);
  QFont small = font();
  small.setPixelSize(11);  // the size the windows' contents are laid out for
  setFont(small);
  resize(size);
  if (refreshes) {
    timer1_ = new QTimer(this);
    timer1_->setInterval(100);
    // Between two slices, so that no value is read while the firmware writes it and the
    // test keyboard's events meet no running instruction. A window gone by the time the
    // operation runs is passed over.
    connect(timer1_, &QTimer::timeout, this, [this] {
      RunOnBoard([form = QPointer<TDebugForm>(this)] {
        if (form) form->Timer1Timer();
      });
    });
  }
}

void TDebugForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!placed_ && parentWidget()) {
    move(parentWidget()->geometry().center() - rect().center());
    placed_ = true;
  }
  FormShow();
}

void TDebugForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  FormHide();
}

void TDebugForm::FormShow() {
  if (timer1_) timer1_->start();
}

void TDebugForm::FormHide() {
  if (timer1_) timer1_->stop();
}

QTreeWidget* NewReportList(QWidget* parent, const QStringList& columns,
                           const QList<int>& widths) {
  auto* list = new QTreeWidget(parent);
  list->setColumnCount(int(columns.size()));
  list->setHeaderLabels(columns);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  for (int c = 0; c < int(widths.size()); ++c) list->setColumnWidth(c, widths[c]);
  // The last column takes what the others leave of the list's width, no more: it is
  // stretched from its smallest size.
  list->setColumnWidth(int(columns.size()) - 1, list->header()->minimumSectionSize());
  list->header()->setStretchLastSection(true);
  return list;
}

void WidenToContents(QTreeWidget* list) {
  for (int c = 0; c + 1 < list->columnCount(); ++c) {
    const int width = list->columnWidth(c);
    list->resizeColumnToContents(c);
    if (list->columnWidth(c) < width) list->setColumnWidth(c, width);
  }
}

void SetCellText(QTreeWidgetItem* item, int column, const QString& text) {
  if (item->text(column) != text) item->setText(column, text);
}

namespace {

void FillWindow(QWidget* window, QWidget* content) {
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content);
}

QString OnOff(uint8_t value) { return value ? "On" : "Off"; }

}  // namespace

// ---- Memo windows ----

TMemoForm::TMemoForm(const char* name, const QString& caption, QSize size, QWidget* owner)
    : TDebugForm(name, caption, size, owner, false), memo_(new QPlainTextEdit(this)) {
  memo_->setObjectName("Memo");
  memo_->clear();
  FillWindow(this, memo_);
}

TUARTForm::TUARTForm(QWidget* owner) : TMemoForm("UARTForm", "UART", {304, 176}, owner) {}
TLCDForm::TLCDForm(QWidget* owner) : TMemoForm("LCDForm", "LCD", {275, 239}, owner) {}
TIOForm::TIOForm(QWidget* owner) : TMemoForm("IOForm", "IO", {201, 165}, owner) {}

// ---- DAC ----

TDACForm::TDACForm(QWidget* owner)
    : TDebugForm("DACForm", "DAC", {328, 523}, owner, true),
      list_(NewReportList(this, {"Index", "Name", "Value"}, {40, 80})) {
  list_->setObjectName("ListView");
  static const char* const kSideNames[6] = {"Left Res",    "Right Res",  "Left Chorus",
                                            "Right Chorus", "Left Final", "Right Final"};
  for (int channel = 0; channel < kChannels; ++channel) {
    QString name;
    if (channel < 32) name = QString("Lev %1%2").arg(QChar('A' + channel % 4)).arg(channel / 4 + 1);
    else if (channel < 40) name = QString("VCA %1").arg(channel - 31);
    else if (channel < 48) name = QString("VCF %1").arg(channel - 39);
    else if (channel < 56) name = QString("Pan %1").arg(channel - 47);
    else name = kSideNames[channel - 56];
    new QTreeWidgetItem(list_, {QString::number(channel), name, QString()});
  }
  WidenToContents(list_);
  FillWindow(this, list_);
}

void TDACForm::Timer1Timer() {
  for (int channel = 0; channel < kChannels; ++channel)
    ShowChannel(channel, *DacChannelTarget(uint32_t(channel)));
}

void TDACForm::ShowChannel(int index, float value) {
  SetCellText(list_->topLevelItem(index), 2, QString::number(double(value), 'f', 5));
}

// ---- Outputs ----

TOutputForm::TOutputForm(QWidget* owner)
    : TDebugForm("OutputForm", "Outputs", {241, 309}, owner, true),
      list_(NewReportList(this, {"Name", "Value"}, {120})) {
  list_->setObjectName("ListView");
  static const char* const kNames[kRows] = {
      "Left 7-segment",  "Right 7-segment",  "Split LED",          "Double LED",
      "Store LED",       "Chorus Left LED",  "Chorus Right LED",   "Cartridge LED",
      "Latch LED",       "Arpeggiator On/Off LED", "Review LED",   "Edit Waveform LED",
      "Left Chorus",     "Right Chorus",     "Output Enable",      "Backlight Enable",
      "BAUD",            "WRSEL"};
  for (const char* name : kNames) new QTreeWidgetItem(list_, {name, QString()});
  WidenToContents(list_);
  FillWindow(this, list_);
}

void TOutputForm::Timer1Timer() {
  // The light latch's bit shown in each light row.
  static constexpr int kLightRows[10] = {0, 1, 2, 4, 3, 5, 6, 7, 8, 9};
  ShowRow(0, QString::number(LeftDigit));
  ShowRow(1, QString::number(RightDigit));
  for (int row = 0; row < 10; ++row) ShowRow(2 + row, OnOff(LedStates[kLightRows[row]]));
  ShowRow(12, OnOff(LeftChorusOn));
  ShowRow(13, OnOff(RightChorusOn));
  ShowRow(14, OnOff(OutputEnable));
  ShowRow(15, OnOff(BacklightEnable));
  ShowRow(16, OnOff(Baud));
  ShowRow(17, OnOff(Wrsel));
}

void TOutputForm::ShowRow(int index, const QString& text) {
  SetCellText(list_->topLevelItem(index), 1, text);
}

// ---- Test keyboard ----

TKeyboardForm::TKeyboardForm(QWidget* owner)
    : TDebugForm("KeyboardForm", "Keyboard", {253, 245}, owner, true),
      memo_(new QPlainTextEdit(this)) {
  memo_->setObjectName("Memo");
  memo_->clear();
  static const char* const kCaptions[kKeys] = {"C", "Db", "D",  "Eb", "E",  "F",
                                               "F#", "G", "Ab", "A",  "Bb", "B"};
  static const char* const kObjectNames[kKeys] = {"C", "Db", "D", "Eb", "E", "F",
                                                  "Fs", "G", "Ab", "A", "Bb", "B"};
  for (int n = 0; n < kKeys; ++n) {
    keys_[n] = new QCheckBox(kCaptions[n], this);
    keys_[n]->setObjectName(kObjectNames[n]);
    keys_[n]->setFixedSize(40, 17);
    tags_[n] = uint8_t(72 + n);
  }
  PlaceKeys();
}

// The memo down the left side, 185 wide; the boxes in a column 53 from the right edge.
void TKeyboardForm::PlaceKeys() {
  memo_->setGeometry(0, 0, 185, height());
  for (int n = 0; n < kKeys; ++n) keys_[n]->move(width() - 53, 8 + 16 * n);
}

void TKeyboardForm::resizeEvent(QResizeEvent* event) {
  TDebugForm::resizeEvent(event);
  PlaceKeys();
}

// A box's state changes only with an event that the FIFO took: a refused press or release
// is sent again at the next tick.
void TKeyboardForm::Timer1Timer() {
  for (int n = 0; n < kKeys; ++n) {
    const bool sent = tags_[n] & 0x80;
    if (keys_[n]->isChecked() && !sent) {
      if (KeyboardPushEvent(tags_[n] | 0x80, 127)) tags_[n] |= 0x80;
    } else if (!keys_[n]->isChecked() && sent) {
      if (KeyboardPushEvent(tags_[n] & 0x7F, 0)) tags_[n] &= 0x7F;
    }
  }
}

// ---- Wave chips ----

void TWaveImage::FitPicture() {
  picture_ = QImage(size().expandedTo({1, 1}), QImage::Format_RGB32);
}

// The table's values lie within -0.5 and 0.5, so the curve keeps 5 pixels from the edges.
void TWaveImage::DrawWave(const WaveChip& chip) {
  WaveRamChanged = false;  // before drawing: a load meanwhile is drawn at the next tick
  const int w = width(), h = height();
  const float xs = float(w * (1.0 / 127.0));
  const float mid = float(h * 0.5);
  const float amp = float(h - 10);
  if (picture_.size() != size().expandedTo({1, 1})) FitPicture();
  QPainter painter(&picture_);
  painter.fillRect(QRect(-1, -1, w + 2, h + 2), Qt::black);
  painter.setPen(QColor(0x00, 0x80, 0x00));
  const int y0 = int(mid);
  painter.drawLine(0, y0, w, y0);
  painter.setPen(QColor(0x00, 0xFF, 0x00));
  QPoint previous;
  for (int i = 0; i < 128; ++i) {
    const float x = float(i * xs);
    const float y = float(mid - amp * chip.WaveTables[0][i]);
    const QPoint point{int(x), int(y)};
    if (i > 0) painter.drawLine(previous, point);
    previous = point;
  }
  painter.end();
  update();
}

void TWaveImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

void TWaveImage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit Resized();
}

TWaveForm::TWaveForm(QWidget* owner)
    : TDebugForm("WaveForm", "Wave", {620, 314}, owner, true), pages_(new QTabWidget(this)) {
  pages_->setObjectName("PageControl");
  pages_->setTabPosition(QTabWidget::South);
  static const char* const kRegisterNames[kRegisters] = {
      "00", "02", "10", "12", "20", "22", "30", "32",
      "40", "42", "50", "52", "60", "62", "70", "72"};
  struct Page {
    const char *tab, *list, *image, *caption;
  };
  static const Page kPages[4] = {{"TabA", "ListViewA", "ImageA", "A"},
                                 {"TabB", "ListViewB", "ImageB", "B"},
                                 {"TabC", "ListViewC", "ImageC", "C"},
                                 {"TabD", "ListViewD", "ImageD", "D"}};
  for (int chip = 0; chip < 4; ++chip) {
    auto* page = new QWidget;
    page->setObjectName(kPages[chip].tab);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    lists_[chip] = NewReportList(page, {"Register", "Value"}, {75});
    lists_[chip]->setObjectName(kPages[chip].list);
    lists_[chip]->setFixedWidth(145);
    for (const char* name : kRegisterNames) new QTreeWidgetItem(lists_[chip], {name, QString()});
    images_[chip] = new TWaveImage(page);
    images_[chip]->setObjectName(kPages[chip].image);
    layout->addWidget(lists_[chip]);
    layout->addWidget(images_[chip], 1);
    pages_->addTab(page, kPages[chip].caption);
    connect(images_[chip], &TWaveImage::Resized, this, &TWaveForm::PageControlResize);
  }
  pages_->setCurrentIndex(0);
  connect(pages_, &QTabWidget::currentChanged, this, [this] { PageControlChange(); });
  FillWindow(this, pages_);
}

void TWaveForm::FormShow() {
  TDebugForm::FormShow();
  PageControlChange();
}

void TWaveForm::PageControlResize() {
  if (isVisible()) PageControlChange();
}

// Pages A, B and C show their chip; any other page shows D.
int TWaveForm::ActiveChip() const {
  const int page = pages_->currentIndex();
  return page >= 0 && page < 3 ? page : 3;
}

void TWaveForm::PageControlChange() {
  images_[ActiveChip()]->FitPicture();
  DrawActiveWave();
}

void TWaveForm::DrawActiveWave() {
  const int chip = ActiveChip();
  RunOnBoard([&] { images_[chip]->DrawWave(*WaveChips[chip]); });
}

void TWaveForm::Timer1Timer() {
  if (WaveRamChanged) DrawActiveWave();
  ShowRegisters(lists_[ActiveChip()], *WaveChips[ActiveChip()]);
}

void TWaveForm::ShowRegisters(QTreeWidget* list, const WaveChip& chip) {
  for (int i = 0; i < kRegisters; ++i) {
    const WaveReg& reg = chip.Regs[i / 2];
    const uint16_t value = i % 2 == 0 ? reg.Control : reg.Frequency;
    SetCellText(list->topLevelItem(i), 1, QString("%1").arg(value, 4, 16, QChar('0')).toUpper());
  }
}
