#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Panel.h"
#include "tests/framework/HeadlessFixture.h"

namespace {

using Action = HeadlessBackend::MouseAction;

class MouseTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Application->CreateForm(form);
    form->SetBounds(100, 50, 662, 470);
    group = new TGroupBox(form);
    group->SetParent(form);
    group->SetBounds(8, 32, 300, 200);
    view = new TPanel(form);
    view->SetParent(group);
    view->SetBounds(10, 20, 100, 50);
    Record(form, "form");
    Record(group, "group");
    Record(view, "view");
    form->OnClick = [this](TObject*) { log.push_back("form click"); };
  }

  void Record(TControl* Control, const std::string& Name) {
    Control->OnMouseDown = [this, Name](TObject*, TMouseButton Button, TShiftState Shift, int X,
                                        int Y) {
      log.push_back(Name + " down " + std::to_string(Button) + " " + std::to_string(Shift) + " " +
                    std::to_string(X) + "," + std::to_string(Y));
    };
    Control->OnMouseMove = [this, Name](TObject*, TShiftState, int X, int Y) {
      log.push_back(Name + " move " + std::to_string(X) + "," + std::to_string(Y));
    };
    Control->OnMouseUp = [this, Name](TObject*, TMouseButton, TShiftState, int X, int Y) {
      log.push_back(Name + " up " + std::to_string(X) + "," + std::to_string(Y));
    };
  }

  // Posts the events, then runs the loop until they are handled.
  void Dispatch() {
    headless->Post([this] { form->Close(); });
    Application->Run();
  }

  TForm* form = nullptr;
  TGroupBox* group = nullptr;
  TPanel* view = nullptr;
  std::vector<std::string> log;
};

TEST_F(MouseTest, EventsGoToTheInnermostControlInItsOwnCoordinates) {
  headless->PostMouse(*form, Action::Down, 8 + 10 + 5, 32 + 20 + 6, mbRight, ssRight | ssShift);
  headless->PostMouse(*form, Action::Up, 8 + 10 + 5, 32 + 20 + 6, mbRight);
  headless->PostMouse(*form, Action::Move, 8 + 150, 32 + 150);
  headless->PostMouse(*form, Action::Move, 400, 300);
  Dispatch();
  EXPECT_EQ(log,
            (std::vector<std::string>{"view down 1 " + std::to_string(ssRight | ssShift) + " 5,6",
                                      "view up 5,6", "group move 150,150", "form move 400,300"}));
}

TEST_F(MouseTest, TheControlThatGotThePressKeepsTheMouseUntilRelease) {
  headless->PostMouse(*form, Action::Down, 18, 52);  // view (0, 0)
  headless->PostMouse(*form, Action::Move, 400, 300);
  headless->PostMouse(*form, Action::Up, 2, 3);
  headless->PostMouse(*form, Action::Move, 400, 300);
  Dispatch();
  EXPECT_EQ(log, (std::vector<std::string>{"view down 0 0 0,0", "view move 382,248",
                                           "view up -16,-49", "form move 400,300"}));
}

TEST_F(MouseTest, APressAndReleaseOnTheFormsOwnSurfaceIsAClick) {
  headless->PostClick(*form, 500, 400);
  headless->PostMouse(*form, Action::Down, 18, 52);  // on the view: no form click
  headless->PostMouse(*form, Action::Up, 500, 400);
  headless->PostMouse(*form, Action::Down, 500, 400);  // released over the group: no click
  headless->PostMouse(*form, Action::Up, 20, 40);
  Dispatch();
  const std::vector<std::string> clicks(
      std::count(log.begin(), log.end(), std::string("form click")), "form click");
  EXPECT_EQ(clicks.size(), 1u);
  EXPECT_EQ(log[2], "form click");
}

TEST_F(MouseTest, HiddenControlsAreSkippedAndLaterSiblingsLieOnTop) {
  auto* cover = new TPanel(form);
  cover->SetParent(group);
  cover->SetBounds(0, 0, 50, 50);
  Record(cover, "cover");
  EXPECT_EQ(form->ControlAtPos(8 + 12, 32 + 22), cover);
  cover->SetVisible(false);
  EXPECT_EQ(form->ControlAtPos(8 + 12, 32 + 22), view);
  view->SetVisible(false);
  EXPECT_EQ(form->ControlAtPos(8 + 12, 32 + 22), group);
  EXPECT_EQ(form->ControlAtPos(-1, 5), form);
}

TEST_F(MouseTest, ACapturedControlDestroyedMeanwhileReleasesTheMouse) {
  headless->PostMouse(*form, Action::Down, 18, 52);
  headless->Post([this] { delete view; });
  headless->PostMouse(*form, Action::Move, 18, 52);
  Dispatch();
  EXPECT_EQ(log.back(), "group move 10,20");
}

}  // namespace
