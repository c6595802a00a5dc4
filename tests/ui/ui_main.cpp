// Runs the window test classes named on the command line (all of them without a name);
// any other arguments go to Qt Test.
#include <QApplication>
#include <cstdio>

#include "tests/ui/ui_test.h"
#include "ui/BoardAccess.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QtUiThread uiThread;
  QtUiThread::Install(&uiThread);
  std::vector<std::string> names;
  QStringList testArguments{app.arguments().value(0)};
  for (int i = 1; i < argc; ++i) {
    if (kqui::TestRegistry().count(argv[i])) names.push_back(argv[i]);
    else testArguments.append(QString::fromLocal8Bit(argv[i]));
  }
  if (names.empty())
    for (const auto& entry : kqui::TestRegistry()) names.push_back(entry.first);
  int failures = 0;
  for (const std::string& name : names) {
    std::unique_ptr<QObject> test = kqui::TestRegistry().at(name)();
    failures += QTest::qExec(test.get(), testArguments);
  }
  QtUiThread::Install(nullptr);
  return failures == 0 ? 0 : 1;
}
