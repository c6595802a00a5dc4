// A small X session manager (XSMP, on libSM and libICE) for the tests of the program's
// session: it listens on a socket of its own, takes one client at a time, and sends it
// what a desktop sends at a checkpoint, a log-out and the session's end. It runs only
// while a Wait call pumps its messages, each with a deadline.
#pragma once

#include <QString>
#include <functional>

typedef struct _SmsConn* SmsConn;
typedef struct _IceConn* IceConn;
typedef struct _IceListenObj* IceListenObj;

namespace kqui {

class TestSessionManager {
 public:
  TestSessionManager();
  ~TestSessionManager();
  TestSessionManager(const TestSessionManager&) = delete;
  TestSessionManager& operator=(const TestSessionManager&) = delete;

  // For SESSION_MANAGER; empty when no socket could be made.
  const QString& Address() const { return address_; }

  // Pumps messages until the condition holds (true) or the deadline passes (false); the
  // condition is also looked at while no message comes.
  bool Wait(const std::function<bool()>& condition, int milliseconds);
  bool Registered() const { return registered_; }
  bool Closed() const { return closed_; }

  // The client saves: a checkpoint (shutdown false) or the first step of a log-out.
  // The answer comes in saveDone.
  void SaveYourself(int saveType, bool shutdown, int interactStyle);
  void SaveComplete();
  void ShutdownCancelled();
  void Die();

  int saveDone = 0;            // SaveYourselfDone messages so far
  bool saveSucceeded = false;  // the last one's success
  int interactRequests = 0;    // the client asked to ask its user
  bool cancelRequested = false;  // its user's answer cancelled the log-out

 private:
  friend struct SessionCallbacks;

  QString address_;
  int listenCount_ = 0;
  IceListenObj* listen_ = nullptr;
  IceConn ice_ = nullptr;
  SmsConn client_ = nullptr;
  bool registered_ = false;
  bool closed_ = false;
};

}  // namespace kqui
