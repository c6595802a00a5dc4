// The panel button: its Pressed byte under left, right and middle clicks, and the cell of
// the shared picture that it shows for its cap, its state and its light.
#include <QImage>

#include "board/Panel.h"
#include "tests/ui/ui_test.h"
#include "ui/Art.h"
#include "ui/Kqbuttonframe.h"

namespace kqui {
namespace {

class PanelButtonTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;
  std::unique_ptr<TKQButton> button;

  uint8_t Down() const { return Pressed(PanelButton::Store).load(); }

  // The button as drawn equals the picture's cell.
  void ExpectShows(QPoint cell) {
    QCOMPARE(button->Cell(), cell);
    const QImage drawn = button->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage expected = ArtImage("Buttons")
                                .copy(cell.x() * 33, cell.y() * 33, 33, 33)
                                .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(drawn, expected);
  }

 private slots:
  void init() {
    board = std::make_unique<TestBoard>();
    Pressed(PanelButton::Store) = 7;  // the construction clears it
    button = std::make_unique<TKQButton>(PanelButton::Store);
  }
  void cleanup() {
    button.reset();
    board.reset();
  }

  void StartsGreyReleasedAndUnlit() {
    QCOMPARE(button->objectName(), QString("Store"));
    QCOMPARE(button->size(), QSize(33, 33));
    QCOMPARE(Down(), 0);
    ExpectShows({2, 0});
    button->SetGrey(0);
    ExpectShows({0, 0});
  }

  void LeftButtonHoldsItUntilReleasedAnywhere() {
    Press(button.get(), {10, 10});
    QCOMPARE(Down(), 1);
    ExpectShows({3, 0});
    Move(button.get(), {200, -50});
    QCOMPARE(Down(), 1);
    Release(button.get(), {200, -50});  // the release reaches the button wherever it is
    QCOMPARE(Down(), 0);
    ExpectShows({2, 0});
  }

  void RightClicksLatchAndUnlatch() {
    Press(button.get(), {5, 5}, Qt::RightButton);
    Release(button.get(), {5, 5}, Qt::RightButton);
    QCOMPARE(Down(), 1);
    ExpectShows({3, 0});
    Press(button.get(), {5, 5}, Qt::RightButton);
    Release(button.get(), {5, 5}, Qt::RightButton);
    QCOMPARE(Down(), 0);

    // A left click on a latched button leaves it up once the left button goes up.
    Press(button.get(), {5, 5}, Qt::RightButton);
    Release(button.get(), {5, 5}, Qt::RightButton);
    Press(button.get(), {5, 5});
    QCOMPARE(Down(), 1);
    Release(button.get(), {5, 5});
    QCOMPARE(Down(), 0);
  }

  void MiddleButtonChangesNothing() {
    Press(button.get(), {5, 5}, Qt::MiddleButton);
    Release(button.get(), {5, 5}, Qt::MiddleButton);
    QCOMPARE(Down(), 0);
    Press(button.get(), {5, 5}, Qt::RightButton);
    Press(button.get(), {5, 5}, Qt::MiddleButton);
    Release(button.get(), {5, 5}, Qt::MiddleButton);
    QCOMPARE(Down(), 1);
  }

  void LightsShowTheirRow() {
    button->SetLED(kLedOn);
    ExpectShows({2, 2});
    button->SetLED(kLedOff);
    button->SetGrey(0);
    Press(button.get(), {5, 5});
    ExpectShows({1, 1});
    Release(button.get(), {5, 5});
  }
};

KQ_UI_TEST(PanelButtonTest);

}  // namespace
}  // namespace kqui

#include "panel_button_test.moc"
