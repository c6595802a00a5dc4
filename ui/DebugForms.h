// Tool windows that watch the emulated board while shown: the DAC's channel values, the
// output latches, the wave chips' registers with a drawing of each chip's first wave,
// and a test keyboard of twelve notes that feeds the key-event FIFO. The UART, LCD and
// IO windows hold an empty memo.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>

class QCheckBox;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
struct WaveChip;

// A small window that stays on top of its owner (the main window) and, if it refreshes,
// runs Timer1Timer between two slices every 100 ms while it is shown (and only then).
// Being owned, it does not keep the program running once the main window has closed.
class TDebugForm : public QWidget {
  Q_OBJECT

 public:
  // The window is centred on its owner when first shown.
  TDebugForm(const char* name, const QString& caption, QSize size, QWidget* owner,
             bool refreshes);
  QTimer* Timer1() const { return timer1_; }
  // The refresh, run between two slices while no processor instruction runs.
  virtual void Timer1Timer() {}

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // The refresh starts when the window is shown and stops when it is hidden.
  virtual void FormShow();
  void FormHide();

 private:
  QTimer* timer1_ = nullptr;
  bool placed_ = false;
};

// A report-style list: one row per item, text set only where it differs.
QTreeWidget* NewReportList(QWidget* parent, const QStringList& columns,
                           const QList<int>& widths);
void SetCellText(QTreeWidgetItem* item, int column, const QString& text);
// Every column but the last widened, where needed, to show its texts whole.
void WidenToContents(QTreeWidget* list);

class TMemoForm : public TDebugForm {
  Q_OBJECT

 public:
  TMemoForm(const char* name, const QString& caption, QSize size, QWidget* owner);
  QPlainTextEdit* Memo() const { return memo_; }

 private:
  QPlainTextEdit* memo_;
};

class TUARTForm : public TMemoForm {
  Q_OBJECT
 public:
  explicit TUARTForm(QWidget* owner = nullptr);
};

class TLCDForm : public TMemoForm {
  Q_OBJECT
 public:
  explicit TLCDForm(QWidget* owner = nullptr);
};

class TIOForm : public TMemoForm {
  Q_OBJECT
 public:
  explicit TIOForm(QWidget* owner = nullptr);
};

// Channels 0-61 with their names and values, five decimals.
class TDACForm : public TDebugForm {
  Q_OBJECT

 public:
  static constexpr int kChannels = 62;
  explicit TDACForm(QWidget* owner = nullptr);
  QTreeWidget* ListView() const { return list_; }
  void Timer1Timer() override;
  void ShowChannel(int index, float value);

 private:
  QTreeWidget* list_;
};

// The digits, the ten lights and the six control lines of the output latches.
class TOutputForm : public TDebugForm {
  Q_OBJECT

 public:
  static constexpr int kRows = 18;
  explicit TOutputForm(QWidget* owner = nullptr);
  QTreeWidget* ListView() const { return list_; }
  void Timer1Timer() override;
  void ShowRow(int index, const QString& text);

 private:
  QTreeWidget* list_;
};

// Twelve notes, C to B: checking a box sends its key's press, unchecking its release,
// at the next tick. An event that the full FIFO refuses is sent again at the tick after.
class TKeyboardForm : public TDebugForm {
  Q_OBJECT

 public:
  static constexpr int kKeys = 12;
  explicit TKeyboardForm(QWidget* owner = nullptr);
  QCheckBox* Key(int n) const { return keys_[n]; }
  // The note number with bit 7 set while a press has been sent and not yet released.
  uint8_t Tag(int n) const { return tags_[n]; }
  QPlainTextEdit* Memo() const { return memo_; }
  void Timer1Timer() override;

 protected:
  // The memo keeps its width down the left side; the boxes keep their distance from the
  // right edge.
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceKeys();

  QPlainTextEdit* memo_;
  std::array<QCheckBox*, kKeys> keys_{};
  std::array<uint8_t, kKeys> tags_{};
};

// The chip's first wave as a curve over a centre line, redrawn only when asked.
class TWaveImage : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;
  const QImage& Picture() const { return picture_; }
  // The picture takes the control's size.
  void FitPicture();
  void DrawWave(const WaveChip& chip);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 signals:
  void Resized();

 private:
  QImage picture_{1, 1, QImage::Format_Mono};
};

// One page per chip, A to D: its sixteen registers and its first wave.
class TWaveForm : public TDebugForm {
  Q_OBJECT

 public:
  static constexpr int kRegisters = 16;
  explicit TWaveForm(QWidget* owner = nullptr);
  QTabWidget* PageControl() const { return pages_; }
  QTreeWidget* List(int chip) const { return lists_[chip]; }
  TWaveImage* Image(int chip) const { return images_[chip]; }
  void Timer1Timer() override;
  // The active page's picture sized to its control and drawn.
  void PageControlChange();
  // The pages were resized: while the window is shown, the active page is fitted and
  // drawn again.
  void PageControlResize();
  void DrawActiveWave();
  static void ShowRegisters(QTreeWidget* list, const WaveChip& chip);

 protected:
  // Then the active page is drawn at once.
  void FormShow() override;

 private:
  int ActiveChip() const;

  QTabWidget* pages_;
  std::array<QTreeWidget*, 4> lists_{};
  std::array<TWaveImage*, 4> images_{};
};
