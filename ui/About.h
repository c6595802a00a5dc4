// The About box: the logo, the program's version and build time, a few lines of text and
// four links.
#pragma once

#include <QDialog>

class QLabel;
class TURLLabel;

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* parent = nullptr);

  QLabel* VersionLabel() const { return versionLabel_; }
  QLabel* BuildDateLabel() const { return buildDateLabel_; }
  TURLLabel* Link(int n) const { return links_[n]; }

  // "Version 0.1.0.0" from the version numbers given.
  static QString VersionText(const QString& version);
  // "Dec 7 2025 09:04:00" from the compiler's "Dec  7 2025" and "09:04:00".
  static QString BuildDateText(const char* date, const char* time);

 private:
  QLabel* versionLabel_;
  QLabel* buildDateLabel_;
  TURLLabel* links_[4];
};
