#pragma once
// TThread: created suspended, then Start; Execute runs on its own thread;
// freeing the object waits for the end of Execute.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "rtl/Classes.h"

namespace vcl {

class VCL_API TThread : public TObject {
 public:
  // CreateSuspended must be true (EThread otherwise): C++ cannot run Execute
  // before the derived object is complete.
  explicit TThread(bool CreateSuspended);
  // Sets Terminated and waits for Execute to end. Derived destructors that own
  // what Execute uses must call WaitFor first.
  ~TThread() override;

  void Start();  // starts a suspended thread; EThread when it already runs
  void Resume() { Start(); }
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  int WaitFor();  // waits for the end of Execute; returns ReturnValue
  int ReturnValue = 0;
  // The exception that ended Execute, as its message; empty when none.
  AnsiString FatalExceptionMessage() const;

 protected:
  virtual void Execute() = 0;

 private:
  void Run();
  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  bool FStarted = false;
  mutable std::mutex FLock;
  AnsiString FFatalMessage;
};

}  // namespace vcl
