#include "framework/Timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"
#include "tests/framework/HeadlessFixture.h"

namespace {

class TimerTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Application->CreateForm(form);
    timer = new TTimer(form);
  }

  // Runs the loop until the main form closes.
  void Run() { Application->Run(); }

  TForm* form = nullptr;
  TTimer* timer = nullptr;
};

TEST_F(TimerTest, AnIntervalOfZeroNeverFires) {
  timer->SetInterval(0);
  int fired = 0;
  timer->OnTimer = [&](TObject*) { ++fired; };
  Application->OnIdle = [&](TObject*, bool&) { headless->AdvanceClock(1000); };
  headless->CloseMainFormAfterIdlePasses(20);
  Run();
  EXPECT_EQ(fired, 0);
  EXPECT_GE(headless->Milliseconds(), 20000u);
  EXPECT_EQ(timer->MillisecondsUntilDue(headless->Milliseconds()), -1);
}

TEST_F(TimerTest, AOneShotTimerThatStopsItselfFiresOnce) {
  timer->SetInterval(1);
  int fired = 0;
  timer->OnTimer = [&](TObject*) {
    ++fired;
    timer->SetInterval(0);
    timer->SetEnabled(false);
  };
  headless->CloseMainFormAfterIdlePasses(10);
  Run();
  EXPECT_EQ(fired, 1);
}

TEST_F(TimerTest, ARunningTimerFiresEveryIntervalOfTheClock) {
  timer->SetInterval(100);
  std::vector<DWORD> times;
  timer->OnTimer = [&](TObject*) {
    times.push_back(headless->Milliseconds());
    if (times.size() == 3) form->Close();
  };
  Run();
  EXPECT_EQ(times, (std::vector<DWORD>{100, 200, 300}));
}

TEST_F(TimerTest, ADisabledTimerWaitsAndEnablingStartsAFreshCount) {
  timer->SetInterval(100);
  timer->SetEnabled(false);
  std::vector<DWORD> times;
  timer->OnTimer = [&](TObject*) {
    times.push_back(headless->Milliseconds());
    form->Close();
  };
  headless->AdvanceClock(250);
  Application->ProcessMessages();
  EXPECT_TRUE(times.empty());
  timer->SetEnabled(true);
  Run();
  EXPECT_EQ(times, (std::vector<DWORD>{350}));
}

TEST_F(TimerTest, ATimerWithoutHandlerDoesNotRunAndDoesNotWakeTheLoop) {
  timer->SetInterval(10);
  EXPECT_FALSE(timer->Running());
  EXPECT_EQ(timer->MillisecondsUntilDue(0), -1);
  Application->OnIdle = [](TObject*, bool&) {};
  EXPECT_THROW(Run(), EBackendError) << "nothing can wake the loop";
}

TEST_F(TimerTest, TheEarliestDueTimerFiresFirstAndADestroyedOneNeverFires) {
  TTimer* second = new TTimer(form);
  timer->SetInterval(30);
  second->SetInterval(20);
  std::vector<int> order;
  second->OnTimer = [&](TObject*) {
    order.push_back(2);
    delete timer;  // the other timer goes before it is due
    timer = nullptr;
    form->Close();
  };
  timer->OnTimer = [&](TObject*) { order.push_back(1); };
  Run();
  EXPECT_EQ(order, (std::vector<int>{2}));
}

TEST_F(TimerTest, TheClockMayWrapAroundWithoutStoppingTheTimer) {
  headless->AdvanceClock(0xFFFFFFF0u);
  timer->SetInterval(32);
  int fired = 0;
  timer->OnTimer = [&](TObject*) {
    ++fired;
    form->Close();
  };
  Run();
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(headless->Milliseconds(), 0x10u);
}

}  // namespace
