#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Timer.h"
#include "tests/framework/HeadlessFixture.h"

namespace {

class LoopTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Application->CreateForm(form);
    form->OnClose = [this](TObject*, TCloseAction&) { log.push_back("close"); };
  }

  TForm* form = nullptr;
  std::vector<std::string> log;
};

TEST_F(LoopTest, CreateFormMakesTheMainFormAndRunsOnCreateOnceThenRunShowsIt) {
  int created = 0;
  TForm* second = nullptr;
  EXPECT_EQ(Application->MainForm(), form);
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), form) << "the first form stays the main form";
  second->OnCreate = [&](TObject*) { ++created; };
  second->Show();
  second->Hide();
  second->Show();
  EXPECT_EQ(created, 0) << "CreateForm already ran OnCreate (before it was set)";

  form->OnShow = [&](TObject*) { log.push_back("show"); };
  form->OnPaint = [&](TObject*) { log.push_back("paint"); };
  Application->OnIdle = [&](TObject*, bool&) { log.push_back("idle"); };
  headless->CloseMainFormAfterIdlePasses(1);
  Application->Run();
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(log, (std::vector<std::string>{"show", "paint", "idle", "close"}));
}

TEST_F(LoopTest, AnIdleHandlerThatIsDoneLetsTheLoopWaitSoTimersComeDue) {
  TTimer* timer = new TTimer(form);
  timer->SetInterval(10);
  int fired = 0;
  timer->OnTimer = [&](TObject*) { ++fired; };
  int passes = 0;
  Application->OnIdle = [&](TObject* Sender, bool& Done) {
    EXPECT_EQ(Sender, static_cast<TObject*>(Application));
    EXPECT_TRUE(Done) << "Done starts true";
    ++passes;
  };
  headless->CloseMainFormAfterIdlePasses(4);
  Application->Run();
  EXPECT_EQ(passes, 4);
  EXPECT_EQ(fired, 3) << "each wait jumps to the next timer; the last pass closes instead";
  EXPECT_EQ(headless->Milliseconds(), 30u);
}

TEST_F(LoopTest, AnIdleHandlerThatIsNotDoneIsCalledAgainAtOnceWithoutWaiting) {
  TTimer* timer = new TTimer(form);
  timer->SetInterval(10);
  int fired = 0;
  timer->OnTimer = [&](TObject*) { ++fired; };
  int passes = 0;
  Application->OnIdle = [&](TObject*, bool& Done) {
    ++passes;
    Done = false;
  };
  headless->CloseMainFormAfterIdlePasses(100);
  Application->Run();
  EXPECT_EQ(passes, 100);
  EXPECT_EQ(fired, 0) << "the loop never waited, so the clock never moved";
  EXPECT_EQ(headless->Milliseconds(), 0u);
}

TEST_F(LoopTest, WaitingEventsRunBetweenIdlePassesOneAtATime) {
  int passes = 0;
  Application->OnIdle = [&](TObject*, bool& Done) {
    log.push_back("idle" + std::to_string(++passes));
    if (passes == 2) {
      headless->Post([&] { log.push_back("a"); });
      headless->Post([&] { log.push_back("b"); });
    }
    Done = false;
  };
  headless->CloseMainFormAfterIdlePasses(3);
  Application->Run();
  EXPECT_EQ(log, (std::vector<std::string>{"idle1", "idle2", "a", "b", "idle3", "close"}));
}

TEST_F(LoopTest, ClosingTheMainFormEndsTheLoopBeforeAnyFurtherEventOrIdlePass) {
  int passes = 0;
  Application->OnIdle = [&](TObject*, bool& Done) {
    ++passes;
    Done = false;
    if (passes == 3) {
      headless->Post([&] { form->Close(); });
      headless->Post([&] { log.push_back("after close"); });
    }
  };
  Application->Run();
  EXPECT_EQ(passes, 3);
  EXPECT_EQ(log, (std::vector<std::string>{"close"}));
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(LoopTest, OnCloseAnsweringCaNoneKeepsTheApplicationRunning) {
  int closes = 0;
  form->OnClose = [&](TObject*, TCloseAction& Action) {
    if (++closes == 1) Action = caNone;
  };
  headless->Post([&] { form->Close(); });
  headless->Post([&] {
    EXPECT_FALSE(Application->Terminated());
    form->Close();
  });
  Application->Run();
  EXPECT_EQ(closes, 2);
}

TEST_F(LoopTest, ALoopThatWouldWaitForeverFailsLoudly) {
  Application->OnIdle = [](TObject*, bool&) {};
  EXPECT_THROW(Application->Run(), EBackendError);
}

TEST_F(LoopTest, ProcessMessagesRunsWaitingEventsAndDueTimersButNoIdlePass) {
  TTimer* timer = new TTimer(form);
  timer->SetInterval(5);
  int fired = 0;
  timer->OnTimer = [&](TObject*) { ++fired; };
  Application->OnIdle = [&](TObject*, bool&) { log.push_back("idle"); };
  headless->Post([&] { log.push_back("a"); });
  headless->Post([&] { log.push_back("b"); });
  headless->AdvanceClock(5);
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(fired, 1);
  Application->ProcessMessages();
  EXPECT_EQ(fired, 1) << "not due again yet";
}

// The core names no backend: until the program chooses one, showing a form fails loudly.
TEST(NoBackendTest, ShowingAFormBeforeABackendIsChosenIsABackendError) {
  Application->SetBackend(nullptr);
  TForm* form = nullptr;
  Application->CreateForm(form);
  EXPECT_THROW(form->Show(), EBackendError);
  EXPECT_FALSE(form->Visible());
  Application->DestroyComponents();
  UseHeadlessBackend();
}

}  // namespace
