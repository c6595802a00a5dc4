// The program itself, ended as a desktop ends it: a hang-up, the terminate signal, Ctrl+C
// while a start-up box waits, the display going away and the session manager. It runs
// the board test firmware, which counts its boots in the patch memory: each saved session
// adds one.
#include <X11/SM/SM.h>
#include <sys/resource.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstring>

#include "board/Files.h"
#include "tests/ui/test_session_manager.h"
#include "tests/ui/ui_test.h"

namespace kqui {
namespace {

// How far Start waits: not at all, until the program holds its folder (it has caught
// its signals), until its emulation thread has asked for the board's set-up, or until
// that thread has run the firmware for a while (some clock ticks of processor time: the
// boot is counted at once).
enum class Until { Started, Held, Running, Booted };

// The processor time of the program's emulation thread in clock ticks; -1 while it has
// no such thread.
long EmulationTicks(qint64 pid) {
  const QString tasks = QString("/proc/%1/task/").arg(pid);
  for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile comm(tasks + task + "/comm"), stat(tasks + task + "/stat");
    if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "kq-emulation") continue;
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLong() + fields[12].toLong() : -1;  // utime, stime
  }
  return -1;
}

bool HoldsFolder(qint64 pid, const QString& folder) {
  const QString fds = QString("/proc/%1/fd").arg(pid);
  for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
    if (fd.symLinkTarget() == folder) return true;
  return false;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  free(reply);
  return atom;
}

// A top-level window of that title shown on the X display; close: it is asked to close,
// as a window manager asks.
bool WindowShown(const QString& display, const QByteArray& title, bool close = false) {
  xcb_connection_t* connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
  xcb_window_t shown = XCB_WINDOW_NONE;
  if (!xcb_connection_has_error(connection)) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    if (xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr)) {
      const xcb_window_t* windows = xcb_query_tree_children(tree);
      for (int i = 0; i < xcb_query_tree_children_length(tree) && !shown; ++i) {
        xcb_get_property_reply_t* name = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, windows[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256), nullptr);
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, windows[i]), nullptr);
        if (name && attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            QByteArray(static_cast<const char*>(xcb_get_property_value(name)),
                       xcb_get_property_value_length(name)) == title)
          shown = windows[i];
        free(name);
        free(attributes);
      }
      free(tree);
    }
    if (shown && close) {
      xcb_client_message_event_t message{};
      message.response_type = XCB_CLIENT_MESSAGE;
      message.format = 32;
      message.window = shown;
      message.type = Atom(connection, "WM_PROTOCOLS");
      message.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
      message.data.data32[1] = XCB_CURRENT_TIME;
      xcb_send_event(connection, 0, shown, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
      xcb_flush(connection);
    }
  }
  xcb_disconnect(connection);
  return shown != XCB_WINDOW_NONE;
}

// Polls for the condition, up to the deadline.
bool Within(int milliseconds, const std::function<bool()>& condition) {
  for (int waited = 0; !condition(); waited += 20) {
    if (waited >= milliseconds) return false;
    QThread::msleep(20);
  }
  return true;
}

// The program writes the text on standard error within the deadline.
bool Says(QProcess& program, const QByteArray& text) {
  QByteArray said;
  return Within(15000, [&] {
    program.waitForReadyRead(20);
    return (said += program.readAllStandardError()).contains(text);
  });
}

class WaysOutTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

  uint32_t Boots() const {
    const std::vector<uint8_t> nvr = ReadBytes(dir.filePath("Tarvelion.nvr"));
    return nvr.size() == 0x4000 ? uint32_t(nvr[4]) << 24 | nvr[5] << 16 | nvr[6] << 8 | nvr[7] : 0;
  }

  bool Start(QProcess& program, Until until = Until::Booted) {
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir.path());
    program.start(dir.filePath("tarvelion"), {});
    const qint64 pid = program.waitForStarted() ? program.processId() : 0;
    return pid && (until < Until::Held || Within(15000, [&] { return HoldsFolder(pid, dir.path()); })) &&
           (until < Until::Running || Within(15000, [&] { return EmulationTicks(pid) >= 0; })) &&
           (until < Until::Booted || Within(15000, [&] { return EmulationTicks(pid) >= 3; }));
  }

  static bool End(QProcess& program, int signal, int status) {
    kill(pid_t(program.processId()), signal);
    return program.waitForFinished(10000) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == status;
  }

  // A display of its own for the program (Xvfb), on the xcb platform from now on.
  bool StartDisplay(QProcess& server) {
    server.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
    QByteArray number;
    for (int i = 0; i < 100 && !number.endsWith('\n'); ++i, server.waitForReadyRead(100))
      number += server.readAllStandardOutput();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
    return !number.trimmed().isEmpty();
  }

 private slots:
  void init() {
    QFile::rename(dir.filePath("kq.bin.away"), dir.filePath("kq.bin"));  // left by a failed test
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.remove("DISPLAY");
    environment.remove("SESSION_MANAGER");
  }

  void initTestCase() {
    QVERIFY(QFile::copy(TARVELION_PROGRAM, dir.filePath("tarvelion")));
    QVERIFY(QFile::copy(BOARDTEST_ROM, dir.filePath("kq.bin")));
    environment.insert("SDL_AUDIODRIVER", "dummy");
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");  // the program's way out is tried, not its leaks
  }

  void EachWayOutSavesTheSessionOnce() {
    const uint32_t boots = Boots();
    for (int signal : {SIGHUP, SIGTERM}) {
      QProcess program;
      QVERIFY(Start(program));
      QVERIFY(End(program, signal, 0));
    }
    QCOMPARE(Boots(), boots + 2);

    // The box saying that another Tarvelion holds the folder ends at once, and this one
    // leaves the patch memory to the other.
    {
      FolderLock otherProgram;
      QVERIFY(otherProgram.Acquire(dir.path().toStdString()));
      QProcess program;
      QVERIFY(Start(program, Until::Started));
      QVERIFY(Says(program, "in use by another"));
      QVERIFY(End(program, SIGINT, 0));
      QCOMPARE(Boots(), boots + 2);
    }

    // A save beyond the file size limit fails, is said, and the old file stays.
    {
      QProcess program;
      program.setChildProcessModifier([] {
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
      });
      QVERIFY(Start(program));
      QVERIFY(End(program, SIGTERM, 1));
      QVERIFY(program.readAllStandardError().contains(std::strerror(EFBIG)));
      QCOMPARE(Boots(), boots + 2);
    }

    QProcess display;
    QVERIFY(StartDisplay(display));
    QProcess program;
    QVERIFY(Start(program));
    display.kill();
    display.waitForFinished();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY(program.readAllStandardError().contains("X11 connection broke"));
    QCOMPARE(Boots(), boots + 3);
  }

  // Without a ROM image its box says so and the program ends with status 1, also when
  // the session ends or the display goes while the box waits; no patch memory is saved.
  void WithoutRomEveryWayOutEndsWithStatus1() {
    const uint32_t boots = Boots();
    QVERIFY(QFile::rename(dir.filePath("kq.bin"), dir.filePath("kq.bin.away")));
    for (bool displayLost : {false, true}) {
      QProcess display;
      QVERIFY(StartDisplay(display));
      QProcess program;
      QVERIFY(Start(program, Until::Running));
      QVERIFY(Within(15000, [&] { return WindowShown(environment.value("DISPLAY"), "ROM image missing"); }));
      if (displayLost) {
        display.kill();
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 1);
      } else {
        QVERIFY(End(program, SIGTERM, 1));
        QVERIFY(program.readAllStandardError().contains("Can't locate"));
      }
      display.kill();
      display.waitForFinished();
    }
    QVERIFY(QFile::rename(dir.filePath("kq.bin.away"), dir.filePath("kq.bin")));
    QCOMPARE(Boots(), boots);
  }

  // A patch memory of a wrong size is said, the factory state runs, and the file is kept
  // beside the session's save.
  void AnUnusablePatchMemoryIsSaidAndKept() {
    const std::vector<uint8_t> unusable = Pattern(100, 7);
    WriteBytes(dir.filePath("Tarvelion.nvr"), unusable);
    QProcess display;
    QVERIFY(StartDisplay(display));
    QProcess program;
    QVERIFY(Start(program, Until::Held));
    QVERIFY(Says(program, "cannot be used: it has 100 bytes"));
    QVERIFY(Within(15000, [&] { return WindowShown(environment.value("DISPLAY"), "Tarvelion", true); }));
    QVERIFY(Within(15000, [&] { return EmulationTicks(program.processId()) >= 3; }));
    QVERIFY(End(program, SIGTERM, 0));
    QCOMPARE(ReadBytes(dir.filePath("Tarvelion.nvr.unusable")), unusable);
    QCOMPARE(Boots(), 1u);
    display.kill();
    display.waitForFinished();
  }

  // A checkpoint and a log-out that is cancelled leave the program as it was (nothing
  // to ask about: it asks nothing); the session's end ends it and saves the session.
  void TheSessionManagerEndsItOnlyAtTheSessionsEnd() {
    const uint32_t boots = Boots();
    QProcess display;
    QVERIFY(StartDisplay(display));
    TestSessionManager manager;
    QVERIFY(!manager.Address().isEmpty());
    environment.insert("SESSION_MANAGER", manager.Address());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir.path());
    program.start(dir.filePath("tarvelion"), {});
    QVERIFY(manager.Wait([&] { return manager.Registered(); }, 15000));
    QVERIFY(Within(15000, [&] { return EmulationTicks(program.processId()) >= 3; }));
    for (bool shutdown : {false, true}) {
      const int done = manager.saveDone;
      manager.SaveYourself(SmSaveBoth, shutdown, SmInteractStyleAny);
      QVERIFY(manager.Wait([&] { return manager.saveDone > done || manager.Closed(); }, 10000));
      QVERIFY2(!manager.Closed(), "the program has ended");
      QVERIFY(manager.saveSucceeded);
      if (shutdown) manager.ShutdownCancelled();
      else manager.SaveComplete();
    }
    QCOMPARE(manager.interactRequests, 0);
    manager.Die();
    QVERIFY(manager.Wait([&] { return manager.Closed(); }, 10000));
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(Boots(), boots + 1);
    display.kill();
    display.waitForFinished();
  }
};

KQ_UI_TEST(WaysOutTest);

}  // namespace
}  // namespace kqui

#include "ways_out_test.moc"
