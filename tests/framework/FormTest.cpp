#include "framework/Form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/Exceptions.h"
#include "framework/Menu.h"
#include "framework/Panel.h"
#include "platform/display/Screen.h"
#include "platform/display/Window.h"
#include "tests/framework/HeadlessFixture.h"

namespace {

using FormTest = HeadlessTest;

TEST_F(FormTest, ShowModalRunsTheScriptAndReturnsTheModalResultItSet) {
  TForm* dialog = new TForm(Application);
  auto* start = new TButton(dialog);
  start->SetParent(dialog);
  std::vector<std::string> log;
  start->OnClick = [&](TObject*) {
    log.push_back("start");
    dialog->SetModalResult(mrOk);
  };
  dialog->OnShow = [&](TObject*) { log.push_back("show"); };
  dialog->OnClose = [&](TObject*, TCloseAction&) { log.push_back("close"); };
  headless->AnswerModal([&](TForm& Form) {
    EXPECT_EQ(&Form, dialog);
    EXPECT_TRUE(Form.Modal());
    EXPECT_EQ(Application->ModalForm(), dialog);
    start->Click();
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(log, (std::vector<std::string>{"show", "start", "close"}));
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(dialog->Modal());
  EXPECT_EQ(Application->ModalForm(), nullptr);
  EXPECT_EQ(headless->UnusedModalAnswers(), 0);
}

TEST_F(FormTest, CloseEndsAModalShowingWithCancelAndTheFormCanBeShownAgain) {
  TForm* dialog = new TForm(Application);
  headless->AnswerModal([](TForm& Form) { Form.Close(); });
  headless->AnswerModal([](TForm& Form) { Form.SetModalResult(mrYes); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(dialog->ShowModal(), mrYes);
}

TEST_F(FormTest, AModalShowingWithoutScriptFailsLoudlyAndLeavesTheFormHidden) {
  TForm* dialog = new TForm(Application);
  dialog->SetCaption("KorEnumWindow");
  try {
    dialog->ShowModal();
    FAIL() << "no exception";
  } catch (const EBackendError& error) {
    EXPECT_NE(std::string(error.what()).find("KorEnumWindow"), std::string::npos);
  }
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(dialog->Modal());
  EXPECT_EQ(Application->ModalForm(), nullptr);
}

TEST_F(FormTest, AVisibleFormCannotBeShownModally) {
  TForm* dialog = new TForm(Application);
  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
  EXPECT_TRUE(dialog->Visible());
}

TEST_F(FormTest, ClosingTheMainFormFromAModalDialogEndsBothLoops) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  TForm* dialog = new TForm(Application);
  bool closed = false;
  main->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  headless->AnswerModal([&](TForm&) { main->Close(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormTest, AModalScriptMayAnswerMessageBoxesAndNestedDialogs) {
  TForm* outer = new TForm(Application);
  TForm* inner = new TForm(Application);
  headless->AnswerMessageBox(IDNO);
  int answer = 0;
  TModalResult innerResult = mrNone;
  headless->AnswerModal([&](TForm& Form) {
    answer = Application->MessageBox("FullScreen?", "FullScreen?", MB_YESNO);
    innerResult = inner->ShowModal();
    EXPECT_EQ(Application->ModalForm(), &Form);
    Form.SetModalResult(mrOk);
  });
  headless->AnswerModal([](TForm& Form) { Form.SetModalResult(mrNo); });
  EXPECT_EQ(outer->ShowModal(), mrOk);
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(innerResult, mrNo);
}

// Records the order in which windows hear WMDestroy, and whether each was still a window.
class Recorder {
 public:
  std::vector<std::string> order;
  bool allAlive = true;
};

template <class Base>
class Watched : public Base {
 public:
  Watched(TComponent* Owner, Recorder* Log, std::string Label)
      : Base(Owner), log_(Log), label_(std::move(Label)) {}

 protected:
  void WMDestroy() override {
    log_->order.push_back(label_);
    if (!IsWindow(this->Handle())) log_->allAlive = false;
  }

 private:
  Recorder* log_;
  std::string label_;
};

TEST_F(FormTest, ChangingTheBorderStyleRecreatesEveryWindowAfterWMDestroy) {
  Recorder log;
  auto* form = new Watched<TForm>(Application, &log, "form");
  auto* panel = new Watched<TPanel>(form, &log, "panel");
  panel->SetParent(form);
  panel->SetBounds(8, 32, 512, 386);
  auto* inner = new Watched<TPanel>(form, &log, "inner");
  inner->SetParent(panel);
  form->Show();
  const HWND oldForm = form->Handle();
  const HWND oldPanel = panel->Handle();
  const HWND oldInner = inner->Handle();
  const int windows = platform::WindowCount();

  form->SetBorderStyle(bsNone);
  EXPECT_EQ(log.order, (std::vector<std::string>{"form", "panel", "inner"}));
  EXPECT_TRUE(log.allAlive) << "each window hears WMDestroy before it goes";
  EXPECT_FALSE(IsWindow(oldForm));
  EXPECT_FALSE(IsWindow(oldPanel));
  EXPECT_FALSE(IsWindow(oldInner));
  ASSERT_TRUE(panel->HandleAllocated()) << "the new windows exist at once";
  EXPECT_TRUE(inner->HandleAllocated());
  EXPECT_NE(panel->Handle(), oldPanel);
  EXPECT_EQ(GetParent(inner->Handle()), panel->Handle());
  EXPECT_EQ(platform::WindowCount(), windows);

  form->SetBorderStyle(bsNone);
  EXPECT_EQ(log.order.size(), 3u) << "the same style re-creates nothing";
}

TEST_F(FormTest, ABorderStyleSetBeforeTheWindowExistsDestroysNothing) {
  Recorder log;
  auto* form = new Watched<TForm>(Application, &log, "form");
  form->SetBorderStyle(bsNone);
  EXPECT_EQ(form->BorderStyle(), bsNone);
  EXPECT_TRUE(log.order.empty());
  EXPECT_FALSE(form->HandleAllocated());
}

TEST_F(FormTest, TheClientAreaIsTheFormsWindowOnTheScreen) {
  TForm* form = new TForm(Application);
  form->SetClientWidth(662);
  form->SetClientHeight(470);
  form->Show();
  form->SetBounds(0, 0, 640, 480);
  RECT r;
  GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r, (RECT{0, 0, 640, 480}));
  EXPECT_EQ(form->ClientWidth(), 640);
  EXPECT_EQ(form->ClientHeight(), 480);
}

// With a main menu the form's bounds hold the bar: a 640 x 480 form at (0, 0) has its bar on
// the screen's top rows and its client area (its window, where its controls lie) below.
TEST_F(FormTest, AMenuBarLiesInsideTheFormsBoundsAboveTheClientArea) {
  TForm* form = new TForm(Application);
  form->SetClientWidth(662);
  form->SetClientHeight(470);
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  EXPECT_EQ(form->ClientHeight(), 470) << "setting a menu keeps the client area's size";
  EXPECT_EQ(form->Height(), 470 + kMenuBarHeight);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(8, 32, 512, 386);
  form->Show();
  form->SetBounds(0, 0, 640, 480);
  EXPECT_EQ(form->ClientHeight(), 480 - kMenuBarHeight);
  EXPECT_EQ(form->ClientOrigin().y, kMenuBarHeight);
  RECT r;
  GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r, (RECT{0, kMenuBarHeight, 640, 480}));
  GetWindowRect(panel->Handle(), &r);
  EXPECT_EQ(r, (RECT{8, kMenuBarHeight + 32, 520, kMenuBarHeight + 418}));
  form->SetMenu(nullptr);
  EXPECT_EQ(form->ClientHeight(), 480 - kMenuBarHeight) << "removing it keeps the size too";
  GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r.top, 0);
}

TEST_F(FormTest, ScreenCentredFormsAreCentredOnTheDesktopWhenShown) {
  TForm* form = new TForm(Application);
  form->SetBounds(0, 0, 200, 100);
  form->SetPosition(poScreenCenter);
  form->Show();
  const auto& screen = platform::Screen::Get();
  EXPECT_EQ(form->Left(), (screen.DesktopWidth() - 200) / 2);
  EXPECT_EQ(form->Top(), (screen.DesktopHeight() - 100) / 2);
}

// Logs its own destruction.
template <class Base>
class Probe : public Base {
 public:
  Probe(TComponent* Owner, std::vector<std::string>* Log, std::string Label)
      : Base(Owner), log_(Log), label_(std::move(Label)) {}
  ~Probe() override { log_->push_back(label_); }

 private:
  std::vector<std::string>* log_;
  std::string label_;
};

TEST_F(FormTest, DestroyingAFormHidesItAndDestroysWhatItOwns) {
  std::vector<std::string> log;
  TForm* form = new TForm(Application);
  auto* menu = new Probe<TMainMenu>(form, &log, "menu");
  form->SetMenu(menu);
  auto* first = new Probe<TButton>(form, &log, "button1");
  first->SetParent(form);
  new Probe<TComponent>(form, &log, "plain");
  auto* second = new Probe<TPanel>(form, &log, "panel");
  second->SetParent(form);
  form->Show();
  const HWND panelWindow = second->Handle();
  ASSERT_EQ(headless->ShownForms().size(), 1u);
  const int owned = Application->ComponentCount();
  delete form;
  EXPECT_TRUE(headless->ShownForms().empty());
  EXPECT_FALSE(Application->IsLiveForm(form));
  EXPECT_EQ(Application->ComponentCount(), owned - 1);
  EXPECT_FALSE(IsWindow(panelWindow));
  // The controls first (last made first), then the other owned components (last made first).
  EXPECT_EQ(log, (std::vector<std::string>{"panel", "button1", "plain", "menu"}));
}

TEST_F(FormTest, AMenuDestroyedFirstLeavesTheFormWithoutMenu) {
  TForm* form = new TForm(Application);
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  delete menu;
  EXPECT_EQ(form->Menu(), nullptr);
}

TEST_F(FormTest, RepaintRunsOnPaintAtOnce) {
  TForm* form = new TForm(Application);
  int painted = 0;
  form->OnPaint = [&](TObject*) { ++painted; };
  form->Repaint();
  EXPECT_EQ(painted, 1);
}

}  // namespace
