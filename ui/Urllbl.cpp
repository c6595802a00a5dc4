#include "ui/Urllbl.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QUrl>

namespace {

TURLLabel::Opener opener;

void OpenAddress(const QString& address) {
  if (opener) opener(address);
  else QDesktopServices::openUrl(QUrl(address));  // a failure is not reported
}

}  // namespace

// The hint of a new label stays empty: the address is set before URLAsHint is.
TURLLabel::TURLLabel(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  linkFont_ = {font(), QColor(0, 0, 0xFF)};
  linkFont_.font.setUnderline(true);
  passiveFont_ = {font(), palette().color(QPalette::WindowText)};
  CheckLinkAble();
  SetURL(kDefaultWebAddress);
  SetViewFont();
  setTextFormat(Qt::PlainText);  // an "&" or a "<" shows as itself
  urlAsHint_ = true;
}

QString GetProgramPathFromExt(const QString& extension) {
  const QMimeType type =
      QMimeDatabase().mimeTypeForFile("name" + extension, QMimeDatabase::MatchExtension);
  if (!type.isValid() || type.isDefault()) return {};
  return QStandardPaths::findExecutable("xdg-open");
}

QString TURLLabel::Prefix(TLinkType type) {
  static const char* const kPrefixes[] = {"file://", "ftp://", "gopher://", "http://",
                                          "mailto:", "news:",  "telnet:",   ""};
  return kPrefixes[type];
}

void TURLLabel::SetOpener(Opener replacement) { opener = std::move(replacement); }

void TURLLabel::ShowFont(const LabelFont& look) {
  viewFont_ = look;
  setFont(look.font);
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, look.colour);
  setPalette(colours);
}

void TURLLabel::SetLinkFont(const LabelFont& look) { SetAFont(linkFont_, look); }
void TURLLabel::SetPassiveFont(const LabelFont& look) { SetAFont(passiveFont_, look); }

// The shown look is not re-chosen here.
void TURLLabel::SetAFont(LabelFont& target, const LabelFont& look) {
  target = look;
  update();
}

void TURLLabel::SetViewFont() { ShowFont(labelType_ == Active ? linkFont_ : passiveFont_); }

void TURLLabel::SetLabelType(TLabelType type) {
  if (type == labelType_) return;
  labelType_ = type;
  SetViewFont();
}

void TURLLabel::SetShowPrefix(bool show) {
  showPrefix_ = show;
  SetTheCaption();
}

void TURLLabel::SetURL(const QString& text) {
  if (text == url_) return;
  if (text.contains('@')) linkType_ = ltMailTo;
  const QString scheme = text.left(7).toLower();
  url_ = scheme == "mailto:" || scheme == "http://" ? text.mid(7) : text;
  SetTheCaption();
}

void TURLLabel::SetLinkType(TLinkType type) {
  if (type == linkType_) return;
  linkType_ = type;
  CheckLinkAble();
  if (type == ltHTTP && url_ == kDefaultMailAddress) url_ = kDefaultWebAddress;
  if (type == ltMailTo && url_ == kDefaultWebAddress) url_ = kDefaultMailAddress;
  SetTheCaption();
}

// Web and mail links open through the desktop's opener, which has to be installed; a web
// page needs a known type for both of its extensions.
void TURLLabel::CheckLinkAble() {
  if (linkType_ == ltHTTP)
    linkAble_ = !GetProgramPathFromExt(".html").isEmpty() &&
                !GetProgramPathFromExt(".htm").isEmpty();
  else if (linkType_ == ltMailTo)
    linkAble_ = !QStandardPaths::findExecutable("xdg-open").isEmpty();
}

// A label without a scheme shows its address alone.
void TURLLabel::SetTheCaption() { SetURLCaption(showPrefix_ ? Prefix(linkType_) + url_ : url_); }

void TURLLabel::SetURLCaption(const QString& text) {
  if (!captionSet_) setText(text);
  urlCaption_ = text;
  UpdateHint();
}

void TURLLabel::SetCaption(const QString& text) {
  captionSet_ = true;
  setText(text);
}

void TURLLabel::UpdateHint() { setToolTip(urlAsHint_ ? urlCaption_ : QString()); }

void TURLLabel::SetURLAsHint(bool asHint) {
  if (asHint == urlAsHint_) return;
  urlAsHint_ = asHint;
  UpdateHint();
}

void TURLLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  CMMouseEnter();
}

void TURLLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  CMMouseLeave();
}

void TURLLabel::CMMouseEnter() {
  if (labelType_ == Auto) ShowFont(linkFont_);
}

void TURLLabel::CMMouseLeave() {
  if (labelType_ == Auto) ShowFont(passiveFont_);
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Click();
}

void TURLLabel::Click() {
  emit clicked();
  if (linkType_ == ltNone || labelType_ == Passive) return;
  if (labelType_ == Auto && !linkAble_) return;
  OpenAddress(Prefix(linkType_) + url_);
}
