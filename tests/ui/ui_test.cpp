#include "tests/ui/ui_test.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QWidget>

#include "board/Emulator.h"
#include "board/Midi.h"
#include "board/Nvr.h"

namespace kqui {

std::map<std::string, TestFactory>& TestRegistry() {
  static std::map<std::string, TestFactory> registry;
  return registry;
}

TestBoard::TestBoard() {
  BoardRestoreStartValues();
  SetNvrDirectory(dir_.path().toStdString() + "/");
  BoardInit(nullptr, nullptr);
  MidiInit(nullptr);
}

TestBoard::~TestBoard() { MidiShutdown(); }

void TestBoard::Setup(const std::vector<uint8_t>& rom) {
  if (!rom.empty()) WriteBytes(File("kq.bin"), rom);
  BoardSetup(Path("kq.bin"));
}

MessageChoice FakeHost::ShowMessage(const std::string& text, const std::string& caption,
                                    MessageButtons buttons, MessageIcon icon) {
  messages.push_back({text, caption, buttons, icon});
  if (!answers.empty()) {
    MessageChoice answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return buttons == MessageButtons::Ok ? MessageChoice::Ok : MessageChoice::Cancel;
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void Press(QWidget* widget, QPoint at, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonPress, at, button, button);
}

void Move(QWidget* widget, QPoint at, Qt::MouseButtons held) {
  SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, held);
}

void Release(QWidget* widget, QPoint at, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void SendKey(QWidget* widget, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
             quint32 scanCode, bool autoRepeat) {
  QKeyEvent event(type, key, modifiers, scanCode, 0, 0, QString(), autoRepeat);
  QApplication::sendEvent(widget, &event);
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  QRandomGenerator generator(seed);
  std::vector<uint8_t> bytes(n);
  for (auto& b : bytes) b = uint8_t(generator.bounded(256));
  return bytes;
}

void WriteBytes(const QString& path, const std::vector<uint8_t>& bytes) {
  QFile file(path);
  QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
  QCOMPARE(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())),
           qint64(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray data = file.readAll();
  return {data.begin(), data.end()};
}

std::vector<uint8_t> CartridgeBytes(uint32_t seed) {
  auto bytes = Pattern(0x4000, seed);
  bytes[0x3FF8] = 'K';
  bytes[0x3FFA] = 'Q';
  bytes[0x3FFC] = 3;
  return bytes;
}

}  // namespace kqui
