#include <gtest/gtest.h>

#include <atomic>

#include "rtl/Thread.h"

using namespace vcl;

namespace {

struct Worker : TThread {
  Worker() : TThread(true) {}
  ~Worker() override { WaitFor(); }
  void Execute() override {
    while (!Go) std::this_thread::yield();
    Ran = true;
    if (Fail) throw Exception("worker failed");
  }
  std::atomic<bool> Go{false}, Ran{false};
  bool Fail = false;
};

}  // namespace

TEST(Thread, SuspendedUntilStartedAndFreeWaits) {
  auto w = std::make_unique<Worker>();
  EXPECT_FALSE(w->Finished());
  w->Start();
  EXPECT_THROW(w->Start(), EThread);
  w->Go = true;
  w->WaitFor();
  EXPECT_TRUE(w->Ran);
  EXPECT_TRUE(w->Finished());
}

TEST(Thread, AnExceptionEndsExecuteAndIsKept) {
  Worker w;
  w.Fail = true;
  w.Go = true;
  w.Start();
  w.WaitFor();
  EXPECT_EQ(w.FatalExceptionMessage(), "worker failed");
}
