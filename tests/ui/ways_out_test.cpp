// The program itself, ended as a desktop ends it: a hang-up, the terminate signal, Ctrl+C
// while a start-up box waits, and the display going away. It runs the board test
// firmware, which counts its boots in the patch memory: each saved session adds one.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "board/Files.h"
#include "tests/ui/ui_test.h"

namespace kqui {
namespace {

class WaysOutTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

  uint32_t Boots() const {
    const std::vector<uint8_t> nvr = ReadBytes(dir.filePath("Tarvelion.nvr"));
    return nvr.size() == 0x4000 ? uint32_t(nvr[4]) << 24 | nvr[5] << 16 | nvr[6] << 8 | nvr[7] : 0;
  }

  // Starts the program; booted: once it holds its folder (it has caught its signals) and
  // the firmware has had ample time to boot, even under the sanitizers.
  void Start(QProcess& program, bool booted = true) {
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir.path());
    program.start(dir.filePath("tarvelion"), {});
    QVERIFY(program.waitForStarted());
    const QString fds = QString("/proc/%1/fd").arg(program.processId());
    bool held = !booted;
    for (int i = 0; i < 300 && !held; ++i, QThread::msleep(50))
      for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        held = held || fd.symLinkTarget() == dir.path();
    QVERIFY(held);
    if (booted) QThread::msleep(2000);
  }

  static void End(QProcess& program, int signal, int status) {
    kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
  }

 private slots:
  void initTestCase() {
    QVERIFY(QFile::copy(TARVELION_PROGRAM, dir.filePath("tarvelion")));
    QVERIFY(QFile::copy(BOARDTEST_ROM, dir.filePath("kq.bin")));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("SDL_AUDIODRIVER", "dummy");
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");  // the program's way out is tried, not its leaks
  }

  void EachWayOutSavesTheSessionOnce() {
    for (int signal : {SIGHUP, SIGTERM}) {
      QProcess program;
      Start(program);
      End(program, signal, 0);
    }
    QCOMPARE(Boots(), 2u);

    // The box saying that another Tarvelion holds the folder ends at once, and this one
    // leaves the patch memory to the other.
    {
      FolderLock otherProgram;
      QVERIFY(otherProgram.Acquire(dir.path().toStdString()));
      QProcess program;
      Start(program, false);
      for (int i = 0; i < 300 && !program.readAllStandardError().contains("in use by another"); ++i)
        program.waitForReadyRead(50);
      End(program, SIGINT, 0);
      QCOMPARE(Boots(), 2u);
    }

    const QString server = QStandardPaths::findExecutable("Xvfb");
    if (server.isEmpty()) QSKIP("no Xvfb to take away");
    QProcess display;
    display.start(server, {"-displayfd", "1", "-nolisten", "tcp"});
    QByteArray number;
    for (int i = 0; i < 100 && !number.endsWith('\n'); ++i, display.waitForReadyRead(100))
      number += display.readAllStandardOutput();
    QVERIFY2(!number.trimmed().isEmpty(), "Xvfb gave no display");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
    QProcess program;
    Start(program);
    display.kill();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY(program.readAllStandardError().contains("X11 connection broke"));
    QCOMPARE(Boots(), 3u);
  }
};

KQ_UI_TEST(WaysOutTest);

}  // namespace
}  // namespace kqui

#include "ways_out_test.moc"
