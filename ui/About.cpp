#include "ui/About.h"

#include <QLabel>
#include <QStringList>

#include "ui/PanelStyle.h"
#include "ui/Urllbl.h"

#ifndef TARVELION_VERSION
#define TARVELION_VERSION "0"
#endif

namespace {

QLabel* AddLabel(QWidget* parent, const char* name, int x, int y, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(x, y);
  label->adjustSize();
  return label;
}

TURLLabel* AddLink(QWidget* parent, const char* name, int x, int y, const QString& address,
                   TURLLabel::TLinkType type) {
  auto* link = new TURLLabel(parent);
  link->setObjectName(name);
  link->SetLinkType(type);
  link->SetURL(address);
  QFont underlined = PanelFont(11, false);
  underlined.setUnderline(true);
  link->SetLinkFont({underlined, kHeaderColour});
  link->SetPassiveFont({PanelFont(11, false), Qt::white});
  link->SetLabelType(TURLLabel::Active);
  link->SetShowPrefix(true);
  link->SetURLAsHint(false);
  link->move(x, y);
  link->adjustSize();
  return link;
}

}  // namespace

QString TAboutForm::VersionText(const QString& version) {
  QStringList parts = version.split('.');
  while (parts.size() < 4) parts.append("0");
  QStringList numbers;
  for (int i = 0; i < 4; ++i) numbers.append(QString::number(parts[i].toUInt()));
  return "Version " + numbers.join('.');
}

QString TAboutForm::BuildDateText(const char* date, const char* time) {
  // The compiler gives "Mmm dd yyyy" with the day padded by a blank.
  const QStringList parts = QString(date).split(' ', Qt::SkipEmptyParts);
  if (parts.size() != 3) return QString(date) + " " + time;
  return QString("%1 %2 %3 %4").arg(parts[0]).arg(parts[1].toInt()).arg(parts[2]).arg(time);
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutForm");
  setWindowTitle("About...");
  resize(461, 287);
  setAutoFillBackground(true);
  SetColours(this, Qt::white, Qt::black);
  setFont(PanelFont(11, false));

  PanelImage(this, "Tarvelion", {0, 0, 461, 60}, "AboutLogo");
  AddLabel(this, "Label1", 8, 72, "Tarvelion");
  versionLabel_ = AddLabel(this, "VersionLabel", 8, 88, VersionText(TARVELION_VERSION));
  buildDateLabel_ = AddLabel(this, "BuildDateLabel", 8, 104, BuildDateText(__DATE__, __TIME__));
  AddLabel(this, "Label4", 8, 136, "Home page and mail:");
  links_[0] = AddLink(this, "URLLabel1", 8, 152, TURLLabel::kDefaultWebAddress, TURLLabel::ltHTTP);
  links_[1] = AddLink(this, "URLLabel2", 8, 168, TURLLabel::kDefaultMailAddress, TURLLabel::ltMailTo);
  AddLabel(this, "Label5", 264, 72, "An emulator of the KQ synthesizer");
  AddLabel(this, "Label2", 264, 88, "for Linux desktops.");
  links_[2] = AddLink(this, "URLLabel3", 264, 104, TURLLabel::kDefaultWebAddress + "/help",
                      TURLLabel::ltHTTP);
  AddLabel(this, "Label3", 264, 136, "Patches and cartridges:");
  links_[3] = AddLink(this, "URLLabel5", 264, 152, TURLLabel::kDefaultWebAddress + "/kq",
                      TURLLabel::ltHTTP);
  AddLabel(this, "Label6", 8, 224, "The firmware image kq.bin");
  AddLabel(this, "Label7", 8, 240, "is not part of this program.");
  AddLabel(this, "Label8", 8, 256, "Built with Qt " QT_VERSION_STR ".");
  PanelImage(this, "Image1", {256, 232, 195, 29}, "AboutBadge");
}
