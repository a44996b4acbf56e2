#include "rtl/Thread.h"

namespace vcl {

TThread::TThread(bool CreateSuspended) {
  // A thread started here would run Execute before the derived object exists.
  if (!CreateSuspended) throw EThread("Create the thread suspended and call Start");
}

TThread::~TThread() {
  // Execute belongs to the derived object, which is gone by now: derived
  // classes wait in their own destructor; this is the last guard.
  Terminate();
  if (FThread.joinable()) FThread.join();
}

void TThread::Start() {
  std::lock_guard<std::mutex> lock(FLock);
  if (FStarted) throw EThread("Cannot call Start on a running or suspended thread");
  FStarted = true;
  FThread = std::thread([this] { Run(); });
}

void TThread::Run() {
  try {
    Execute();
  } catch (const std::exception& e) {
    std::lock_guard<std::mutex> lock(FLock);
    FFatalMessage = e.what();
  } catch (...) {
    std::lock_guard<std::mutex> lock(FLock);
    FFatalMessage = "Unknown exception";
  }
  FFinished = true;
}

int TThread::WaitFor() {
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
  return ReturnValue;
}

AnsiString TThread::FatalExceptionMessage() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FFatalMessage;
}

}  // namespace vcl
