#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/Exceptions.h"
#include "framework/Form.h"
#include "framework/Timer.h"
#include "tests/framework/HeadlessFixture.h"

namespace {

class ErrorBoxTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Application->CreateForm(form);
  }

  const HeadlessBackend::MessageBoxCall& LastBox() { return headless->MessageBoxes().back(); }

  TForm* form = nullptr;
};

TEST_F(ErrorBoxTest, AnExceptionLeavingAClickHandlerIsShownAndTheProgramCarriesOn) {
  auto* button = new TButton(form);
  button->SetParent(form);
  button->OnClick = [](TObject*) { throw EFOpenError("Cannot open file \"meta.bmp\"."); };
  bool later = false;
  headless->AnswerMessageBox(IDOK);
  headless->Post([button] { button->Click(); });
  headless->Post([&] {
    later = true;
    form->Close();
  });
  Application->Run();
  ASSERT_EQ(headless->MessageBoxes().size(), 1u);
  EXPECT_EQ(LastBox().Text, "Cannot open file \"meta.bmp\".");
  EXPECT_EQ(LastBox().Caption, "Error");
  EXPECT_EQ(LastBox().Flags, MB_OK | MB_ICONSTOP);
  EXPECT_TRUE(later);
}

TEST_F(ErrorBoxTest, TimerAndIdleHandlersAreGuardedToo) {
  auto* timer = new TTimer(form);
  timer->SetInterval(5);
  timer->OnTimer = [timer](TObject*) {
    timer->SetEnabled(false);
    throw std::runtime_error("from the timer");
  };
  int passes = 0;
  Application->OnIdle = [&](TObject*, bool&) {
    if (++passes == 2) throw Exception("from the idle handler");
  };
  headless->AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
  headless->CloseMainFormAfterIdlePasses(4);
  Application->Run();
  ASSERT_EQ(headless->MessageBoxes().size(), 2u);
  EXPECT_EQ(headless->MessageBoxes()[0].Text, "from the timer");
  EXPECT_EQ(headless->MessageBoxes()[1].Text, "from the idle handler");
  EXPECT_EQ(passes, 4);
}

TEST_F(ErrorBoxTest, AnUnscriptedErrorBoxLeavesTheLoopNamingTheOriginalText) {
  headless->Post([] { throw EListError("List index out of bounds (5)"); });
  try {
    Application->Run();
    FAIL() << "no exception";
  } catch (const EBackendError& error) {
    EXPECT_NE(std::string(error.what()).find("List index out of bounds (5)"), std::string::npos);
  }
}

TEST_F(ErrorBoxTest, BackendFaultsAndForeignExceptionsAreNeverHidden) {
  headless->Post([] { throw EBackendError("no display"); });
  EXPECT_THROW(Application->Run(), EBackendError);
  headless->Post([] { throw 42; });
  EXPECT_THROW(Application->Run(), int);
  EXPECT_TRUE(headless->MessageBoxes().empty());
}

TEST_F(ErrorBoxTest, AFailingOnCloseOfAModalFormKeepsItOpen) {
  TForm* dialog = new TForm(Application);
  int closes = 0;
  dialog->OnClose = [&](TObject*, TCloseAction&) {
    if (++closes == 1) throw Exception("not yet");
  };
  headless->AnswerMessageBox(IDOK);
  headless->AnswerModal([&](TForm& Form) {
    Form.Close();
    headless->Post([&Form] {
      EXPECT_TRUE(Form.Visible()) << "still open after the failed close";
      Form.Close();
    });
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(closes, 2);
  EXPECT_EQ(LastBox().Text, "not yet");
}

}  // namespace
