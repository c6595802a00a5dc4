// The file dialogs of the windows: one place that asks the user for a file name, which
// tests replace with a chooser of their own.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct FileRequest {
  const char* name;  // the dialog's object name: "OpenDialog"
  enum Kind { Open, Save } kind;
  QString filter;         // "KQ Cartridges (*.kqc)"
  QString defaultSuffix;  // added to a name typed without one: "kqc"
};

// The chosen file's path, or an empty string when the user cancelled.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;

QString ChooseFile(QWidget* parent, const FileRequest& request);
// Replaces the dialogs (null: the dialogs again).
void SetFileChooser(FileChooser chooser);
