// A label that shows a web, mail or other address, changes its look while the pointer is
// over it, and opens the address with the desktop's handler when clicked.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <functional>

// The look of the label in one state: face and colour.
struct LabelFont {
  QFont font;
  QColor colour;
};

class TURLLabel : public QLabel {
  Q_OBJECT

 public:
  // Auto: link look while the pointer is over it, opens only if the link can be opened;
  // Passive: never opens; Active: link look always, always opens.
  enum TLabelType { Auto, Passive, Active };
  enum TLinkType { ltFile, ltFTP, ltGopher, ltHTTP, ltMailTo, ltNews, ltTelNet, ltNone };

  static inline const QString kDefaultWebAddress = "tarvelion.example.org";
  static inline const QString kDefaultMailAddress = "tarvelion@example.org";

  explicit TURLLabel(QWidget* parent = nullptr);

  // "http://" for ltHTTP and so on; empty for ltNone.
  static QString Prefix(TLinkType type);

  void SetLinkFont(const LabelFont& font);
  void SetPassiveFont(const LabelFont& font);
  const LabelFont& LinkFont() const { return linkFont_; }
  const LabelFont& PassiveFont() const { return passiveFont_; }
  // The look shown now.
  const LabelFont& ViewFont() const { return viewFont_; }

  // An address with "@" makes a mail link; a leading "mailto:" or "http://" (in any case)
  // is dropped.
  void SetURL(const QString& text);
  const QString& URL() const { return url_; }
  const QString& URLCaption() const { return urlCaption_; }
  // Once set, produced texts no longer replace the caption.
  void SetCaption(const QString& text);
  QString GetCaption() const { return text(); }
  bool CaptionSet() const { return captionSet_; }
  void SetShowPrefix(bool show);
  bool ShowPrefix() const { return showPrefix_; }
  void SetLabelType(TLabelType type);
  TLabelType LabelType() const { return labelType_; }
  void SetLinkType(TLinkType type);
  TLinkType LinkType() const { return linkType_; }
  bool LinkAble() const { return linkAble_; }
  void SetURLAsHint(bool asHint);
  bool URLAsHint() const { return urlAsHint_; }
  void SetHint(const QString& text) { setToolTip(text); }
  QString GetHint() const { return toolTip(); }

  // Runs the click: clicked(), then opens the link where the label's type allows.
  void Click();

  // Opens an address with the desktop's handler; tests put a recorder in its place.
  using Opener = std::function<void(const QString& address)>;
  static void SetOpener(Opener opener);

 signals:
  void clicked();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The pointer comes over the label and leaves it: an Auto label shows its link look
  // meanwhile.
  void CMMouseEnter();
  void CMMouseLeave();
  // Copies the look given into one of the label's two, and repaints.
  void SetAFont(LabelFont& target, const LabelFont& look);
  void CheckLinkAble();
  void SetTheCaption();
  void SetURLCaption(const QString& text);
  void UpdateHint();
  void SetViewFont();
  void ShowFont(const LabelFont& font);

  LabelFont linkFont_;
  LabelFont passiveFont_;
  LabelFont viewFont_;
  QString url_;
  QString urlCaption_;
  bool showPrefix_ = true;
  bool captionSet_ = false;
  TLabelType labelType_ = Auto;
  TLinkType linkType_ = ltHTTP;
  bool linkAble_ = false;
  bool urlAsHint_ = false;  // true once built
};

// The program that opens files ending in the extension given (".html"), or an empty
// string when the desktop has none.
QString GetProgramPathFromExt(const QString& extension);
