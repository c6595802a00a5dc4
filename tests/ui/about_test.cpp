// The About box's texts and the link label: the address and caption rules, the hint and
// when a click opens the link.
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>

#include "tests/ui/ui_test.h"
#include "ui/About.h"
#include "ui/Urllbl.h"

namespace kqui {
namespace {

class AboutTest : public QObject {
  Q_OBJECT

  QStringList opened;

 private slots:
  void init() {
    opened.clear();
    TURLLabel::SetOpener([this](const QString& address) { opened << address; });
  }
  void cleanup() { TURLLabel::SetOpener(nullptr); }

  void VersionAndBuildTimeTexts() {
    QCOMPARE(TAboutForm::VersionText("0.1"), QString("Version 0.1.0.0"));
    QCOMPARE(TAboutForm::VersionText("2.10.3.4"), QString("Version 2.10.3.4"));
    QCOMPARE(TAboutForm::BuildDateText("Dec  7 2025", "09:04:00"), QString("Dec 7 2025 09:04:00"));
    QCOMPARE(TAboutForm::BuildDateText("Jan 17 2026", "23:59:59"), QString("Jan 17 2026 23:59:59"));
    TAboutForm about;
    QCOMPARE(about.windowTitle(), QString("About..."));
    QVERIFY(about.VersionLabel()->text().startsWith("Version "));
    QCOMPARE(about.Link(1)->LinkType(), TURLLabel::ltMailTo);
    QCOMPARE(about.Link(1)->text(), "mailto:" + TURLLabel::kDefaultMailAddress);
    QVERIFY(about.Link(1)->toolTip().isEmpty());
    about.Link(0)->Click();
    QCOMPARE(opened, QStringList({"http://" + TURLLabel::kDefaultWebAddress}));
  }

  void AddressesLoseTheirPrefixInAnyCase() {
    TURLLabel label;
    QCOMPARE(label.LinkType(), TURLLabel::ltHTTP);
    QCOMPARE(label.text(), "http://" + TURLLabel::kDefaultWebAddress);
    QVERIFY(label.URLAsHint());
    QVERIFY(label.GetHint().isEmpty());  // the address was set before URLAsHint
    label.SetURL("MAILTO:someone@example.org");
    QCOMPARE(label.URL(), QString("someone@example.org"));
    QCOMPARE(label.LinkType(), TURLLabel::ltMailTo);
    QCOMPARE(label.text(), QString("mailto:someone@example.org"));
    QCOMPARE(label.toolTip(), label.text());

    label.SetLinkType(TURLLabel::ltHTTP);
    label.SetURL("ftp://files.example.org");
    QCOMPARE(label.URL(), QString("ftp://files.example.org"));
    QCOMPARE(label.text(), QString("http://ftp://files.example.org"));
    label.SetShowPrefix(false);
    QCOMPARE(label.text(), QString("ftp://files.example.org"));
  }

  void DefaultAddressesFollowTheLinkType() {
    TURLLabel label;
    label.SetLinkType(TURLLabel::ltMailTo);
    QCOMPARE(label.URL(), TURLLabel::kDefaultMailAddress);
    label.SetLinkType(TURLLabel::ltHTTP);
    QCOMPARE(label.URL(), TURLLabel::kDefaultWebAddress);
  }

  void AnExplicitCaptionStays() {
    TURLLabel label;
    label.SetCaption("Our page");
    label.SetURL("other.example.org");
    label.SetLinkType(TURLLabel::ltFTP);
    QCOMPARE(label.text(), QString("Our page"));
    QCOMPARE(label.URLCaption(), QString("ftp://other.example.org"));
    QCOMPARE(label.toolTip(), QString("ftp://other.example.org"));
  }

  void WithoutUrlAsHintTheHintStaysEmpty() {
    TURLLabel label;
    label.SetURLAsHint(false);
    label.SetHint("set by hand");
    label.SetURL("x.example.org");
    QVERIFY(label.GetHint().isEmpty());
  }

  void ALabelWithoutSchemeShowsItsAddress() {
    TURLLabel label;
    label.SetLinkType(TURLLabel::ltNone);
    QCOMPARE(label.text(), TURLLabel::kDefaultWebAddress);
    label.SetLabelType(TURLLabel::Active);
    label.Click();
    QVERIFY(opened.isEmpty());  // never opens
  }

  void ClicksOpenByTheLabelType() {
    TURLLabel label;
    int clicks = 0;
    connect(&label, &TURLLabel::clicked, [&] { ++clicks; });
    label.SetLabelType(TURLLabel::Passive);
    label.Click();
    QVERIFY(opened.isEmpty());
    label.SetLabelType(TURLLabel::Auto);
    label.Click();
    QCOMPARE(opened.size(), label.LinkAble() ? 1 : 0);
    opened.clear();
    label.SetLabelType(TURLLabel::Active);
    label.Click();
    QCOMPARE(opened, QStringList({"http://" + TURLLabel::kDefaultWebAddress}));
    QCOMPARE(clicks, 3);
    Press(&label, {2, 2});
    Release(&label, {2, 2});
    QCOMPARE(clicks, 4);
  }

  void LookFollowsThePointerOnlyForAutoLabels() {
    TURLLabel label;
    label.SetLinkFont({QFont(), Qt::blue});
    label.SetPassiveFont({QFont(), Qt::white});
    QEvent leave(QEvent::Leave);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&label, &enter);
    QCOMPARE(label.ViewFont().colour, QColor(Qt::blue));
    QApplication::sendEvent(&label, &leave);
    QCOMPARE(label.ViewFont().colour, QColor(Qt::white));
    label.SetLabelType(TURLLabel::Active);
    QCOMPARE(label.ViewFont().colour, QColor(Qt::blue));
    QApplication::sendEvent(&label, &leave);
    QCOMPARE(label.ViewFont().colour, QColor(Qt::blue));
  }
};

KQ_UI_TEST(AboutTest);

}  // namespace
}  // namespace kqui

#include "about_test.moc"
