// The cartridge frame's commands on temporary files: what the menu offers, the caption,
// the questions before contents are lost, and the messages when a file is refused.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>

#include "board/Cartridge.h"
#include "tests/ui/ui_test.h"
#include "ui/CartridgeFrame.h"
#include "ui/FileDialogs.h"

namespace kqui {
namespace {

std::vector<uint8_t> Image() { return {CartridgeImage, CartridgeImage + 0x4000}; }

class CartridgeFrameTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;
  std::unique_ptr<FakeHost> host;
  std::unique_ptr<TCartridgeFrame> frame;
  std::deque<QString> files;  // the file dialogs' answers, in turn; empty: cancelled
  std::vector<FileRequest> requests;

  QString Caption() const { return frame->Panel()->text(); }
  // The menu as it would show now.
  void OpenMenu() { frame->PopupMenuPopup(); }

 private slots:
  void init() {
    board = std::make_unique<TestBoard>();
    host = std::make_unique<FakeHost>();
    frame = std::make_unique<TCartridgeFrame>();
    files.clear();
    requests.clear();
    SetFileChooser([this](QWidget*, const FileRequest& request) {
      requests.push_back(request);
      if (files.empty()) return QString();
      QString name = files.front();
      files.pop_front();
      return name;
    });
  }
  void cleanup() {
    SetFileChooser(nullptr);
    frame.reset();
    host.reset();
    board.reset();
  }

  void WithoutACartridgeOnlyNewAndOpenAreOffered() {
    QCOMPARE(Caption(), QString("No cartridge"));
    QCOMPARE(frame->size(), QSize(205, 78));
    OpenMenu();
    QVERIFY(frame->MenuCartridgeNew()->isEnabled());
    QVERIFY(frame->MenuCartridgeOpen()->isEnabled());
    QVERIFY(!frame->MenuCartridgeSave()->isEnabled());
    QVERIFY(!frame->MenuCartridgeSaveAs()->isEnabled());
    QVERIFY(!frame->MenuCartridgeRemove()->isEnabled());
    const QStringList captions = [&] {
      QStringList texts;
      for (QAction* action : frame->PopupMenu()->actions()) texts << action->text();
      return texts;
    }();
    QCOMPARE(captions, QStringList({"&New", "&Open...", "&Save", "Save &as...", "&Remove"}));
  }

  void NewThenSaveAsNamesTheCartridge() {
    frame->MenuCartridgeNewClick();
    QCOMPARE(Caption(), QString("Cartridge present (unsaved)"));
    OpenMenu();
    QVERIFY(!frame->MenuCartridgeSave()->isEnabled());
    QVERIFY(frame->MenuCartridgeSaveAs()->isEnabled());
    QVERIFY(frame->MenuCartridgeRemove()->isEnabled());

    CartridgeImage[5] = 0x42;
    CartridgeChanged = 1;
    files = {board->File("a.kqc")};
    frame->MenuCartridgeSaveAsClick();
    QCOMPARE(requests.back().kind, FileRequest::Save);
    QCOMPARE(requests.back().filter, QString("KQ Cartridges (*.kqc)"));
    QCOMPARE(requests.back().defaultSuffix, QString("kqc"));
    QCOMPARE(Caption(), QString("a.kqc"));
    QCOMPARE(frame->CartridgeFileName(), board->File("a.kqc"));
    QCOMPARE(ReadBytes(board->File("a.kqc")), Image());
    QCOMPARE(CartridgeChanged.load(), 0);
    OpenMenu();
    QVERIFY(frame->MenuCartridgeSave()->isEnabled());

    CartridgeImage[6] = 0x43;
    frame->MenuCartridgeSaveClick();
    QCOMPARE(ReadBytes(board->File("a.kqc"))[6], 0x43);
  }

  void OpenLoadsAValidFileAndRefusesOthers() {
    const auto good = CartridgeBytes(1);
    WriteBytes(board->File("good.kqc"), good);
    WriteBytes(board->File("short.kqc"), Pattern(100, 2));
    files = {board->File("good.kqc")};
    frame->MenuCartridgeOpenClick();
    QCOMPARE(requests.back().kind, FileRequest::Open);
    QCOMPARE(Image(), good);
    QCOMPARE(Caption(), QString("good.kqc"));
    QVERIFY(host->messages.empty());

    files = {board->File("short.kqc")};
    frame->MenuCartridgeOpenClick();
    QCOMPARE(host->messages.size(), size_t(1));
    QCOMPARE(host->messages[0].text,
             std::string("Does not appear to be a valid KQ Cartridge file."));
    QCOMPARE(host->messages[0].caption, std::string("Error"));
    QCOMPARE(host->messages[0].icon, MessageIcon::None);
    QCOMPARE(Image(), good);
    // The cartridge keeps its own name, so that Save cannot overwrite the refused file.
    QCOMPARE(Caption(), QString("good.kqc"));
    frame->MenuCartridgeSaveClick();
    QCOMPARE(ReadBytes(board->File("short.kqc")).size(), size_t(100));

    // Refused with no cartridge in place: still none.
    CartridgeRemove();
    frame->UpdateCaption();
    files = {board->File("short.kqc")};
    frame->MenuCartridgeOpenClick();
    QCOMPARE(Caption(), QString("No cartridge"));
    QVERIFY(frame->CartridgeFileName().isEmpty());
  }

  void AChangedCartridgeIsNotLostWithoutAsking() {
    frame->MenuCartridgeNewClick();
    CartridgeImage[0] = 9;
    CartridgeChanged = 1;
    // Cancel keeps everything as it was.
    host->answers = {MessageChoice::Cancel};
    frame->MenuCartridgeNewClick();
    QCOMPARE(CartridgeImage[0], 9);
    QCOMPARE(host->messages.back().buttons, MessageButtons::YesNoCancel);
    QCOMPARE(host->messages.back().icon, MessageIcon::Warning);
    QCOMPARE(host->messages.back().caption, std::string("Tarvelion"));
    // Yes on an unnamed cartridge asks for a name; cancelling that stops the command.
    host->answers = {MessageChoice::Yes};
    QVERIFY(!frame->QuerySaveChanges());
    QCOMPARE(requests.back().kind, FileRequest::Save);
    // Yes with a name chosen saves, then goes on.
    host->answers = {MessageChoice::Yes};
    files = {board->File("kept.kqc")};
    QVERIFY(frame->QuerySaveChanges());
    QCOMPARE(ReadBytes(board->File("kept.kqc"))[0], 9);
    // Unchanged: no question at all.
    const size_t asked = host->messages.size();
    QVERIFY(frame->QuerySaveChanges());
    QCOMPARE(host->messages.size(), asked);
  }

  void RemoveAsksThenTheCaptionFollowsWithinATick() {
    frame->MenuCartridgeNewClick();
    frame->Timer1Timer();
    CartridgeChanged = 1;
    host->answers = {MessageChoice::No};
    frame->MenuCartridgeRemoveClick();
    QCOMPARE(host->messages.size(), size_t(1));
    QVERIFY(!CartridgePresent);
    QCOMPARE(Caption(), QString("Cartridge present (unsaved)"));  // not yet
    QTRY_COMPARE_WITH_TIMEOUT(Caption(), QString("No cartridge"), 1000);
  }

  void CaptionFollowsACartridgeTheFirmwareSigns() {
    CartridgeImage[0x3FF8] = 'K';
    CartridgeImage[0x3FFA] = 'Q';
    CartridgeImage[0x3FFC] = 3;
    CartridgeCheck(0);
    frame->Timer1Timer();
    QCOMPARE(Caption(), QString("Cartridge present (unsaved)"));
  }

  void AFailedSaveSaysSoAndKeepsTheName() {
    frame->MenuCartridgeNewClick();
    CartridgeChanged = 1;
    files = {board->File("missing-folder/b.kqc")};
    frame->MenuCartridgeSaveAsClick();
    QCOMPARE(host->messages.size(), size_t(1));
    QCOMPARE(host->messages[0].caption, std::string("Error"));
    QCOMPARE(Caption(), QString("Cartridge present (unsaved)"));
    QVERIFY(frame->CartridgeFileName().isEmpty());
    QCOMPARE(CartridgeChanged.load(), 1);
    // And the question at closing stops the close.
    host->answers = {MessageChoice::Yes};
    files = {board->File("missing-folder/b.kqc")};
    QVERIFY(!frame->QuerySaveChanges());
  }
};

KQ_UI_TEST(CartridgeFrameTest);

}  // namespace
}  // namespace kqui

#include "cartridge_frame_test.moc"
