// The program itself, ended as a desktop ends it: a hang-up, the terminate signal, Ctrl+C
// while a start-up box waits, the display going away and the session manager. It runs
// the board test firmware, which counts its boots in the patch memory: each saved session
// adds one.
#include <X11/SM/SM.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
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
#include "firmware/boardtest/boardtest.h"
#include "tests/ui/test_session_manager.h"
#include "tests/ui/ui_test.h"

namespace kqui {
namespace {

// How far Start waits: not at all, until the program holds its folder (it has caught
// its signals), until its emulation thread has asked for the board's set-up, or until
// the firmware has booted (see Booted).
enum class Until { Started, Held, Running, Booted };

// The deadline of every wait, in milliseconds: only a failure reaches it, so it is
// generous enough for two busy cores and a sanitizer build.
constexpr int kDeadline = 60000;

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

// Whether the window is of the type of a dialog: a box, not the main window, whose
// title is the same.
bool IsDialog(xcb_connection_t* connection, xcb_window_t window) {
  const xcb_atom_t dialog = Atom(connection, "_NET_WM_WINDOW_TYPE_DIALOG");
  xcb_get_property_reply_t* types = xcb_get_property_reply(
      connection,
      xcb_get_property(connection, 0, window, Atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 0, 16),
      nullptr);
  bool found = false;
  if (types && types->format == 32) {
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(types));
    for (int i = 0; i < xcb_get_property_value_length(types) / 4; ++i) found = found || atoms[i] == dialog;
  }
  free(types);
  return found;
}

// The top-level window of that title shown on the X display, a box (a dialog) or not.
xcb_window_t FindWindow(xcb_connection_t* connection, const QByteArray& title, bool box) {
  xcb_window_t shown = XCB_WINDOW_NONE;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  if (xcb_query_tree_reply_t* tree =
          xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr)) {
    const xcb_window_t* windows = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !shown; ++i) {
      xcb_get_property_reply_t* name = xcb_get_property_reply(
          connection, xcb_get_property(connection, 0, windows[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256),
          nullptr);
      xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
          connection, xcb_get_window_attributes(connection, windows[i]), nullptr);
      if (name && attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
          QByteArray(static_cast<const char*>(xcb_get_property_value(name)),
                     xcb_get_property_value_length(name)) == title &&
          IsDialog(connection, windows[i]) == box)
        shown = windows[i];
      free(name);
      free(attributes);
    }
    free(tree);
  }
  return shown;
}

// The key that gives the keysym without a modifier; 0 if none does.
xcb_keycode_t KeyCode(xcb_connection_t* connection, xcb_keysym_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
      connection,
      xcb_get_keyboard_mapping(connection, setup->min_keycode,
                               uint8_t(setup->max_keycode - setup->min_keycode + 1)),
      nullptr);
  xcb_keycode_t code = 0;
  if (map) {
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map);
    for (int i = 0; i < xcb_get_keyboard_mapping_keysyms_length(map) && !code; i += map->keysyms_per_keycode)
      if (keysyms[i] == keysym) code = xcb_keycode_t(setup->min_keycode + i / map->keysyms_per_keycode);
  }
  free(map);
  return code;
}

// What the test does to a window of that title on the X display, if one is shown: close
// asks it to close, as a window manager asks; keys are pressed and released in it, as a
// keyboard would, each a keysym (a Latin-1 character stands for itself) held with the
// modifiers, in the window given the focus. False where no such window is shown.
bool Window(const QString& display, const QByteArray& title, bool box, bool close,
            const std::vector<xcb_keysym_t>& keys = {}, uint16_t modifiers = 0) {
  xcb_connection_t* connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
  const xcb_window_t shown = xcb_connection_has_error(connection) ? xcb_window_t(XCB_WINDOW_NONE)
                                                                  : FindWindow(connection, title, box);
  if (shown && close) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = shown;
    message.type = Atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, shown, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
  }
  // The window takes the keys as the one a window manager gave the focus.
  if (shown && !keys.empty())
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, shown, XCB_CURRENT_TIME);
  for (const xcb_keysym_t keysym : shown ? keys : std::vector<xcb_keysym_t>{}) {
    for (const bool press : {true, false}) {
      xcb_key_press_event_t key{};
      key.response_type = press ? XCB_KEY_PRESS : XCB_KEY_RELEASE;
      key.detail = KeyCode(connection, keysym);
      key.time = XCB_CURRENT_TIME;
      key.root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
      key.event = shown;
      key.state = modifiers;
      key.same_screen = 1;
      xcb_send_event(connection, 0, shown, press ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                     reinterpret_cast<const char*>(&key));
    }
  }
  xcb_flush(connection);
  xcb_disconnect(connection);
  return shown != XCB_WINDOW_NONE;
}

// A box of that title shown on the X display; close: it is asked to close.
bool BoxShown(const QString& display, const QByteArray& title, bool close = false) {
  return Window(display, title, true, close);
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
  return Within(kDeadline, [&] {
    program.waitForReadyRead(20);
    return (said += program.readAllStandardError()).contains(text);
  });
}

// The file's device and inode.
std::pair<dev_t, ino_t> Identity(const struct stat& st) { return {st.st_dev, st.st_ino}; }

class WaysOutTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  quint64 ramImage = 0;  // where the program's work RAM image is in its file

  // A long of the firmware's report, at the start of work RAM, read from the running
  // program's memory; 0 while it cannot be read.
  uint32_t Reported(qint64 pid, uint32_t field) const {
    QFile maps(QString("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly)) return 0;
    const QByteArray program = QFileInfo(dir.filePath("tarvelion")).canonicalFilePath().toLocal8Bit();
    quint64 base = 0;
    for (const QByteArray& line : maps.readAll().split('\n')) {
      const QList<QByteArray> fields = line.simplified().split(' ');
      if (fields.size() < 6 || fields[5] != program || fields[2].toULongLong(nullptr, 16) != 0) continue;
      base = fields[0].split('-')[0].toULongLong(nullptr, 16);
      break;
    }
    const int memory = base ? open(QString("/proc/%1/mem").arg(pid).toLocal8Bit().constData(), O_RDONLY) : -1;
    if (memory < 0) return 0;
    uint8_t bytes[4] = {};
    // A position-independent program's symbols count from where it is loaded.
    const quint64 at = (ramImage < base ? base + ramImage : ramImage) + field;
    const bool read = pread(memory, bytes, 4, off_t(at)) == 4;
    close(memory);
    return read ? uint32_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3] : 0;
  }

  // The firmware has booted in the running program: its own report says that its set-up
  // is complete, under the number of this start, which it counted in the patch memory.
  // Only the firmware writes it, so no earlier state of the program passes for it.
  bool Booted(qint64 pid, uint32_t boot) const {
    return Reported(pid, KQ_BT_MAGIC) == KQ_BT_READY && Reported(pid, KQ_BT_BOOTS) == boot;
  }

  // Closes the box of that title once it shows, asking again until it has gone: an ask
  // that comes before the box can take it is lost.
  bool CloseBox(const QByteArray& title) {
    const QString display = environment.value("DISPLAY");
    return Within(kDeadline, [&] { return BoxShown(display, title); }) &&
           Within(kDeadline, [&] { return !BoxShown(display, title, true); });
  }

  uint32_t Boots() const {
    const std::vector<uint8_t> nvr = ReadBytes(dir.filePath("Tarvelion.nvr"));
    return nvr.size() == 0x4000 ? uint32_t(nvr[4]) << 24 | nvr[5] << 16 | nvr[6] << 8 | nvr[7] : 0;
  }

  // Booted: as the first start on a patch memory that holds no boot record, or the
  // start after those counted in "Tarvelion.nvr".
  bool Start(QProcess& program, Until until = Until::Booted) {
    const uint32_t boot = Boots() + 1;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir.path());
    program.start(dir.filePath("tarvelion"), {});
    const qint64 pid = program.waitForStarted(kDeadline) ? program.processId() : 0;
    return pid && (until < Until::Held || Within(kDeadline, [&] { return HoldsFolder(pid, dir.path()); })) &&
           (until < Until::Running || Within(kDeadline, [&] { return EmulationTicks(pid) >= 0; })) &&
           (until < Until::Booted || Within(kDeadline, [&] { return Booted(pid, boot); }));
  }

  static bool End(QProcess& program, int signal, int status) {
    kill(pid_t(program.processId()), signal);
    return program.waitForFinished(kDeadline) && program.exitStatus() == QProcess::NormalExit &&
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
  // Each row starts from the program and its ROM image alone, whatever an earlier one
  // left, also where it failed half-way.
  void init() {
    for (const QFileInfo& entry :
         QDir(dir.path())
             .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
      if (entry.fileName() == "tarvelion") continue;
      if (entry.isDir() && !entry.isSymLink())
        QVERIFY(QDir(entry.filePath()).removeRecursively());
      else
        QVERIFY(QFile::remove(entry.filePath()));
    }
    QVERIFY(QFile::copy(BOARDTEST_ROM, dir.filePath("kq.bin")));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.remove("DISPLAY");
    environment.remove("SESSION_MANAGER");
  }

  void initTestCase() {
    QVERIFY(QFile::copy(TARVELION_PROGRAM, dir.filePath("tarvelion")));
    QProcess symbols;
    symbols.start("nm", {"--defined-only", TARVELION_PROGRAM});
    QVERIFY(symbols.waitForFinished(kDeadline));
    for (const QByteArray& line : symbols.readAllStandardOutput().split('\n'))
      if (line.endsWith(" RamImage")) ramImage = line.left(line.indexOf(' ')).toULongLong(nullptr, 16);
    QVERIFY(ramImage);
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

    // Started with the signals blocked, as some launchers leave them, it ends as usual.
    {
      QProcess program;
      program.setChildProcessModifier([] {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, number);
        sigprocmask(SIG_BLOCK, &blocked, nullptr);
      });
      QVERIFY(Start(program));
      QVERIFY(End(program, SIGTERM, 0));
      QCOMPARE(Boots(), boots + 3);
    }

    // The box saying that another Tarvelion holds the folder ends at once, and this one
    // leaves the patch memory to the other.
    {
      FolderLock otherProgram;
      QVERIFY(otherProgram.Acquire(dir.path().toStdString()));
      QProcess program;
      QVERIFY(Start(program, Until::Started));
      QVERIFY(Says(program, "in use by another"));
      QVERIFY(End(program, SIGINT, 0));
      QCOMPARE(Boots(), boots + 3);
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
      QCOMPARE(Boots(), boots + 3);
    }

    QProcess display;
    QVERIFY(StartDisplay(display));
    QProcess program;
    QVERIFY(Start(program));
    display.kill();
    display.waitForFinished();
    QVERIFY(program.waitForFinished(kDeadline));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY(program.readAllStandardError().contains("X11 connection broke"));
    QCOMPARE(Boots(), boots + 4);
  }

  // Without a ROM image its box says so and the program ends with status 1, also when
  // the session ends or the display goes while the box waits; no patch memory is saved:
  // the file is not even written again, in place or replaced by another.
  void WithoutRomEveryWayOutEndsWithStatus1() {
    QVERIFY(QFile::remove(dir.filePath("kq.bin")));
    const QString nvr = dir.filePath("Tarvelion.nvr");
    const std::vector<uint8_t> patches = Pattern(0x4000, 3);
    WriteBytes(nvr, patches);
    const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
    QCOMPARE(utimensat(AT_FDCWD, nvr.toLocal8Bit().constData(), longAgo, 0), 0);
    // Held open, the old file's inode cannot be given to a file that replaces it.
    QFile old(nvr);
    QVERIFY(old.open(QIODevice::ReadOnly));
    struct stat before {};
    QCOMPARE(fstat(old.handle(), &before), 0);
    for (bool displayLost : {false, true}) {
      QProcess display;
      QVERIFY(StartDisplay(display));
      QProcess program;
      QVERIFY(Start(program, Until::Running));
      QVERIFY(Within(kDeadline, [&] { return BoxShown(environment.value("DISPLAY"), "ROM image missing"); }));
      if (displayLost) {
        display.kill();
        QVERIFY(program.waitForFinished(kDeadline));
        QCOMPARE(program.exitCode(), 1);
      } else {
        QVERIFY(End(program, SIGTERM, 1));
        QVERIFY(program.readAllStandardError().contains("Can't locate"));
      }
      display.kill();
      display.waitForFinished();
    }
    struct stat after {};
    QCOMPARE(stat(nvr.toLocal8Bit().constData(), &after), 0);
    QCOMPARE(Identity(after), Identity(before));
    QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    QCOMPARE(ReadBytes(nvr), patches);
  }

  // A patch memory of a wrong size is said, the factory state runs, and the file is kept
  // beside the session's save. One whose save cannot be made as things stand is said to
  // be left unsaved, and at exit nothing is tried or said again; the status is 1.
  void AnUnusablePatchMemoryIsSaidAndKept() {
    const QString nvr = dir.filePath("Tarvelion.nvr");
    const std::vector<uint8_t> unusable = Pattern(100, 7);
    const struct {
      const char* what;
      std::function<void()> make;
      QByteArray said;
      int status;
    } rows[] = {
        {"of a wrong size", [&] { WriteBytes(nvr, unusable); }, "cannot be used: it has 100 bytes", 0},
        {"a folder", [&] { QVERIFY(QDir(dir.path()).mkdir("Tarvelion.nvr")); },
         "cannot be used: Is a directory.\nThe factory state runs instead, and the patch memory will not be "
         "saved "
         "at exit.",
         1},
        {"a link into a missing folder", [&] { QVERIFY(QFile::link("missing/Tarvelion.nvr", nvr)); },
         "\"" + nvr.toLocal8Bit() + "\" will not be saved at exit: No such file or directory.", 1},
    };
    for (const auto& row : rows) {
      qInfo() << row.what;
      init();
      row.make();
      if (QTest::currentTestFailed()) return;
      QProcess display;
      QVERIFY(StartDisplay(display));
      QProcess program;
      QVERIFY(Start(program, Until::Held));
      QVERIFY(Says(program, row.said));
      QVERIFY(CloseBox("Tarvelion"));
      QVERIFY(Within(kDeadline, [&] { return Booted(program.processId(), 1); }));
      QVERIFY(End(program, SIGTERM, row.status));
      const QByteArray said = program.readAllStandardError();
      QVERIFY2(!said.contains("could not be saved"), said.constData());
      if (row.status == 0) {
        QVERIFY2(said.contains("kept as \"" + nvr.toLocal8Bit() + ".unusable\""), said.constData());
        QCOMPARE(ReadBytes(nvr + ".unusable"), unusable);
        QCOMPARE(Boots(), 1u);
      } else {
        QStringList entries =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        entries.sort();
        QCOMPARE(entries, (QStringList{"Tarvelion.nvr", "kq.bin", "tarvelion"}));
      }
      display.kill();
      display.waitForFinished();
    }
  }

  // A checkpoint and a log-out that is cancelled leave the program as it was (nothing
  // to ask about: it asks nothing), and so does a log-out its user cancels; the session's
  // end ends it and saves the session.
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
    QVERIFY(manager.Wait([&] { return manager.Registered(); }, kDeadline));
    QVERIFY(Within(kDeadline, [&] { return Booted(program.processId(), boots + 1); }));
    for (bool shutdown : {false, true}) {
      const int done = manager.saveDone;
      manager.SaveYourself(SmSaveBoth, shutdown, SmInteractStyleAny);
      QVERIFY(manager.Wait([&] { return manager.saveDone > done || manager.Closed(); }, kDeadline));
      QVERIFY2(!manager.Closed(), "the program has ended");
      QVERIFY(manager.saveSucceeded);
      if (shutdown) manager.ShutdownCancelled();
      else manager.SaveComplete();
    }
    QCOMPARE(manager.interactRequests, 0);

    // With a changed cartridge a log-out asks, where the manager lets the program ask, and
    // Cancel (the box's close button) cancels the log-out: the program runs on. The
    // cartridge is changed as a user would: a SysEx file loaded from the MIDI menu, whose
    // message has the firmware sign the cartridge. The start's MIDI boxes are closed
    // first, as nothing else takes keys while they wait.
    WriteBytes(dir.filePath("c.syx"), {0xF0, KQ_BT_SYSEX_ID, KQ_BT_SYSEX_CARTRIDGE, 0xF7});
    const QString screen = environment.value("DISPLAY");
    for (int attempt = 0; !BoxShown(screen, "Open"); ++attempt) {
      QVERIFY2(attempt < 20, "the file dialog never showed");
      QVERIFY(Within(kDeadline, [&] {
        return !BoxShown(screen, "Tarvelion", true) && !BoxShown(screen, "Select MIDI devices", true);
      }));
      Window(screen, "Tarvelion", false, false, {'m'}, XCB_MOD_MASK_1);
      Window(screen, "Tarvelion", false, false, {'l'});  // to the menu the program opened
      Within(10000, [&] { return BoxShown(screen, "Open"); });
    }
    QVERIFY(Window(screen, "Open", true, false, {'c', '.', 's', 'y', 'x'}));
    QVERIFY(Within(kDeadline, [&] { return !Window(screen, "Open", true, false, {0xFF0D}); }));  // Return
    QVERIFY(Within(kDeadline, [&] { return Reported(program.processId(), KQ_BT_SYSEX) == 1; }));
    {
      const int done = manager.saveDone;
      manager.SaveYourself(SmSaveBoth, true, SmInteractStyleAny);
      QVERIFY(manager.Wait(
          [&] {
            BoxShown(screen, "Tarvelion", true);
            return manager.saveDone > done || manager.Closed();
          },
          kDeadline));
      QVERIFY2(!manager.Closed(), "the program has ended");
      QVERIFY(manager.interactRequests > 0);
      QVERIFY(manager.cancelRequested);
      manager.ShutdownCancelled();
    }

    manager.Die();
    QVERIFY(manager.Wait([&] { return manager.Closed(); }, kDeadline));
    QVERIFY(program.waitForFinished(kDeadline));
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
