#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace {

FileChooser chooser;

// Open: the file must exist. Save: asks before it replaces an existing file.
QString ShowDialog(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent);
  dialog.setObjectName(request.name);
  dialog.setNameFilter(request.filter);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (request.kind == FileRequest::Open) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

QString ChooseFile(QWidget* parent, const FileRequest& request) {
  return chooser ? chooser(parent, request) : ShowDialog(parent, request);
}

void SetFileChooser(FileChooser replacement) { chooser = std::move(replacement); }
