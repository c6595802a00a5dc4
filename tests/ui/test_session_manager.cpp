#include "tests/ui/test_session_manager.h"

#include <poll.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <vector>

// Last: their macros (Bool, Status, True) would reach into Qt's headers.
#include <X11/SM/SMlib.h>

namespace kqui {

struct SessionCallbacks {
  static TestSessionManager* Manager(SmPointer data) { return static_cast<TestSessionManager*>(data); }

  static Status Register(SmsConn conn, SmPointer data, char* previousId) {
    std::free(previousId);
    Manager(data)->registered_ = true;
    char* id = SmsGenerateClientID(conn);  // the reply keeps a copy
    const Status replied = SmsRegisterClientReply(conn, id);
    std::free(id);
    return replied;
  }
  static void InteractRequest(SmsConn conn, SmPointer data, int) {
    ++Manager(data)->interactRequests;
    SmsInteract(conn);
  }
  static void InteractDone(SmsConn, SmPointer data, Bool cancelShutdown) {
    Manager(data)->cancelRequested = cancelShutdown;
  }
  static void SaveRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
  static void Phase2Request(SmsConn conn, SmPointer) { SmsSaveYourselfPhase2(conn); }
  static void SaveDone(SmsConn, SmPointer data, Bool success) {
    ++Manager(data)->saveDone;
    Manager(data)->saveSucceeded = success;
  }
  static void Close(SmsConn conn, SmPointer data, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    TestSessionManager* manager = Manager(data);
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    manager->client_ = nullptr;
    manager->ice_ = nullptr;
    manager->closed_ = true;
  }
  static void SetProperties(SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i) SmFreeProperty(properties[i]);
    std::free(properties);
  }
  static void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i) std::free(names[i]);
    std::free(names);
  }
  static void GetProperties(SmsConn conn, SmPointer) { SmsReturnProperties(conn, 0, nullptr); }

  static Status NewClient(SmsConn conn, SmPointer data, unsigned long* mask, SmsCallbacks* callbacks,
                          char**) {
    *mask = ~0ul;
    *callbacks = {{Register, data},     {InteractRequest, data}, {InteractDone, data},
                  {SaveRequest, data},  {Phase2Request, data},   {SaveDone, data},
                  {Close, data},        {SetProperties, data},   {DeleteProperties, data},
                  {GetProperties, data}};
    Manager(data)->client_ = conn;
    Manager(data)->closed_ = false;
    return 1;
  }
  static Bool AnyHost(char*) { return True; }
  static void IgnoreIoError(IceConn) {}
  static void IgnoreIceError(IceConn, Bool, int, unsigned long, int, int, IcePointer) {}
  static void IgnoreSmsError(SmsConn, Bool, int, unsigned long, int, int, SmPointer) {}
};

TestSessionManager::TestSessionManager() {
  // libICE's own handlers end the process on a broken connection.
  IceSetIOErrorHandler(SessionCallbacks::IgnoreIoError);
  IceSetErrorHandler(SessionCallbacks::IgnoreIceError);
  SmsSetErrorHandler(SessionCallbacks::IgnoreSmsError);
  char error[256] = "";
  if (!SmsInitialize("kqtest", "1.0", SessionCallbacks::NewClient, this, SessionCallbacks::AnyHost,
                     sizeof error, error) ||
      !IceListenForConnections(&listenCount_, &listen_, sizeof error, error))
    return;
  for (int i = 0; i < listenCount_; ++i) IceSetHostBasedAuthProc(listen_[i], SessionCallbacks::AnyHost);
  char* ids = IceComposeNetworkIdList(listenCount_, listen_);
  address_ = QString::fromLocal8Bit(ids);
  std::free(ids);
}

TestSessionManager::~TestSessionManager() {
  if (ice_) {
    SmsCleanUp(client_);
    IceSetShutdownNegotiation(ice_, False);
    IceCloseConnection(ice_);
  }
  if (listen_) IceFreeListenObjs(listenCount_, listen_);
}

bool TestSessionManager::Wait(const std::function<bool()>& condition, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    const qint64 left = milliseconds - clock.elapsed();
    if (left <= 0) return false;
    std::vector<pollfd> fds;
    for (int i = 0; i < listenCount_; ++i)
      fds.push_back({IceGetListenConnectionNumber(listen_[i]), POLLIN, 0});
    if (ice_) fds.push_back({IceConnectionNumber(ice_), POLLIN, 0});
    if (poll(fds.data(), fds.size(), int(std::min<qint64>(left, 20))) <= 0) continue;
    for (int i = 0; i < listenCount_; ++i) {
      if (!(fds[i].revents & POLLIN) || ice_) continue;
      IceAcceptStatus status;
      ice_ = IceAcceptConnection(listen_[i], &status);
    }
    if (ice_ && fds.size() > size_t(listenCount_) && fds.back().revents) {
      IceConn ice = ice_;
      if (IceProcessMessages(ice, nullptr, nullptr) != IceProcessMessagesSuccess && ice_ == ice) {
        // The client went without closing: its process ended.
        if (client_) SmsCleanUp(client_);
        IceSetShutdownNegotiation(ice, False);
        IceCloseConnection(ice);
        client_ = nullptr;
        ice_ = nullptr;
        closed_ = true;
      }
    }
  }
  return true;
}

// Each sends nothing once the client has gone.
void TestSessionManager::SaveYourself(int saveType, bool shutdown, int interactStyle) {
  if (client_) SmsSaveYourself(client_, saveType, shutdown, interactStyle, False);
}

void TestSessionManager::SaveComplete() {
  if (client_) SmsSaveComplete(client_);
}

void TestSessionManager::ShutdownCancelled() {
  if (client_) SmsShutdownCancelled(client_);
}

void TestSessionManager::Die() {
  if (client_) SmsDie(client_);
}

}  // namespace kqui
