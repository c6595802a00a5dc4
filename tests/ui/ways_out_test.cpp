// The program itself, ended as a desktop ends it: by a hang-up, the terminate signal,
// Ctrl+C while a start-up box waits, and the display going away. It runs the board test
// firmware from a folder of its own, and that firmware counts its boots in the patch
// memory, so each run that is saved adds exactly one.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <optional>

#include "board/Files.h"
#include "tests/ui/ui_test.h"

namespace kqui {
namespace {

// The firmware boots within a few slices of the start; this is ample even under the
// sanitizers on a loaded machine.
constexpr unsigned long kBootMilliseconds = 2000;

class WaysOutTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;

  QString File(const QString& name) const { return dir.filePath(name); }

  // The boots counted in the saved patch memory (0: none saved).
  uint32_t Boots() const {
    const std::vector<uint8_t> nvr = ReadBytes(File("Tarvelion.nvr"));
    if (nvr.size() != 0x4000) return 0;
    return uint32_t(nvr[4]) << 24 | uint32_t(nvr[5]) << 16 | uint32_t(nvr[6]) << 8 | nvr[7];
  }

  void Start(QProcess& program, const QProcessEnvironment& environment) {
    program.setProgram(File("tarvelion"));
    program.setWorkingDirectory(dir.path());
    program.setProcessEnvironment(environment);
    program.start();
    QVERIFY(program.waitForStarted());
  }

  // Until the program has its folder open for the lock: it has caught its signals and
  // read the patch memory. (Trying the lock itself could make the program find it taken.)
  static bool WaitUntilHeld(const QProcess& program, const QString& folder) {
    const QString fds = QString("/proc/%1/fd").arg(program.processId());
    for (int i = 0; i < 300; ++i) {
      for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == folder) return true;
      QThread::msleep(50);
    }
    return false;
  }

  static bool WaitForExit(QProcess& program) {
    const bool ended = program.waitForFinished(10000);
    if (!ended) program.kill(), program.waitForFinished();
    return ended;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    QVERIFY(QFile::copy(TARVELION_PROGRAM, File("tarvelion")));
    QVERIFY(QFile::copy(BOARDTEST_ROM, File("kq.bin")));
  }

  void EachWayOutSavesTheSessionOnce() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("SDL_AUDIODRIVER", "dummy");
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");  // the program, not its leaks, is tried here
    const struct {
      const char* what;
      int signal;
      int status;
      uint32_t boots;  // after the run
    } rows[] = {
        {"the terminal hangs up", SIGHUP, 0, 1},
        {"the terminate signal", SIGTERM, 0, 2},
    };
    for (const auto& row : rows) {
      QProcess program;
      Start(program, environment);
      QVERIFY2(WaitUntilHeld(program, dir.path()), row.what);
      QThread::msleep(kBootMilliseconds);
      kill(pid_t(program.processId()), row.signal);
      QVERIFY2(WaitForExit(program), row.what);
      QCOMPARE(program.exitStatus(), QProcess::NormalExit);
      QCOMPARE(program.exitCode(), row.status);
      QCOMPARE(Boots(), row.boots);
    }

    // Ctrl+C while the box that says another Tarvelion holds the folder waits for OK: the
    // program ends at once, and leaves the patch memory to the other one.
    {
      FolderLock otherProgram;
      QVERIFY(otherProgram.Acquire(dir.path().toStdString()));
      QProcess program;
      Start(program, environment);
      for (int i = 0; i < 300 && !program.readAllStandardError().contains("in use by another Tarvelion"); ++i)
        program.waitForReadyRead(50);
      kill(pid_t(program.processId()), SIGINT);
      QVERIFY(WaitForExit(program));
      QCOMPARE(program.exitCode(), 0);
      QCOMPARE(Boots(), 2u);
    }

    // The display goes away: the program ends with status 1, its session saved.
    const QString server = QStandardPaths::findExecutable("Xvfb");
    if (server.isEmpty()) QSKIP("no Xvfb to take away");
    QProcess display;
    display.start(server, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    QVERIFY(display.waitForStarted());
    QByteArray number;
    for (int i = 0; i < 100 && !number.endsWith('\n'); ++i) {
      display.waitForReadyRead(100);
      number += display.readAllStandardOutput();
    }
    QVERIFY2(!number.trimmed().isEmpty(), "Xvfb gave no display");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
    QProcess program;
    Start(program, environment);
    QVERIFY(WaitUntilHeld(program, dir.path()));
    QThread::msleep(kBootMilliseconds);
    display.kill();
    display.waitForFinished();
    QVERIFY(WaitForExit(program));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY2(program.readAllStandardError().contains("X11 connection broke"), "ended by the lost display");
    QCOMPARE(Boots(), 3u);
  }
};

KQ_UI_TEST(WaysOutTest);

}  // namespace
}  // namespace kqui

#include "ways_out_test.moc"
