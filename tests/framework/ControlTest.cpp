#include "framework/Control.h"

#include <gtest/gtest.h>

#include "framework/Panel.h"
#include "framework/WinControl.h"
#include "platform/display/Window.h"

namespace {

// Counts WMDestroy calls.
class Watched : public TPanel {
 public:
  using TPanel::TPanel;
  int destroyed = 0;

 protected:
  void WMDestroy() override { ++destroyed; }
};

TEST(ControlTest, ClientToScreenAddsThePositionsOfEveryParent) {
  TWinControl form(nullptr);
  form.SetBounds(100, 50, 640, 480);
  auto* group = new TPanel(&form);
  group->SetParent(&form);
  group->SetBounds(8, 8, 300, 200);
  auto* panel = new TPanel(&form);
  panel->SetParent(group);
  panel->SetBounds(16, 20, 100, 50);
  EXPECT_EQ(panel->ClientToScreen(POINT{1, 2}), (POINT{125, 80}));
  EXPECT_EQ(form.ClientOrigin(), (POINT{100, 50}));
  EXPECT_EQ(form.ControlCount(), 1);
  EXPECT_EQ(group->Controls(0), panel);
}

TEST(ControlTest, TheWindowIsMadeOnDemandAndFollowsTheBounds) {
  TWinControl form(nullptr);
  form.SetBounds(100, 50, 640, 480);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(10, 20, 512, 386);
  EXPECT_FALSE(panel->HandleAllocated());
  const HWND window = panel->Handle();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_TRUE(form.HandleAllocated());
  EXPECT_EQ(GetParent(window), form.Handle());
  EXPECT_EQ(panel->Handle(), window);
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r, (RECT{110, 70, 622, 456}));
  form.SetLeft(0);
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 10);
  panel->SetWidth(100);
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right, 110);
}

TEST(ControlTest, RecreatingGivesNewWindowsAfterWMDestroy) {
  Watched form(nullptr);
  auto* panel = new Watched(&form);
  panel->SetParent(&form);
  const HWND oldForm = form.Handle();
  const HWND oldPanel = panel->Handle();
  form.RecreateWnd();
  EXPECT_EQ(form.destroyed, 1);
  EXPECT_EQ(panel->destroyed, 1);
  EXPECT_FALSE(IsWindow(oldForm));
  EXPECT_FALSE(IsWindow(oldPanel));
  EXPECT_FALSE(panel->HandleAllocated());
  const HWND newPanel = panel->Handle();
  EXPECT_TRUE(IsWindow(newPanel));
  EXPECT_NE(newPanel, oldPanel);
}

TEST(ControlTest, AParentDestroysItsChildrenAndTheirWindows) {
  const int windows = platform::WindowCount();
  auto* owner = new TComponent(nullptr);
  auto* form = new TWinControl(owner);
  auto* panel = new TPanel(owner);
  panel->SetParent(form);
  panel->Handle();
  EXPECT_EQ(platform::WindowCount(), windows + 2);
  delete form;  // the panel goes with its parent and leaves its owner's list
  EXPECT_EQ(owner->ComponentCount(), 0);
  EXPECT_EQ(platform::WindowCount(), windows);
  delete owner;
}

TEST(ControlTest, MouseInputRunsTheEvents) {
  TPanel panel(nullptr);
  int downs = 0, moves = 0, ups = 0;
  TObject* sender = nullptr;
  panel.OnMouseDown = [&](TObject* s, TMouseButton b, TShiftState shift, int x, int y) {
    sender = s;
    EXPECT_EQ(b, mbLeft);
    EXPECT_EQ(shift, ssLeft | ssShift);
    EXPECT_EQ(x + y, 7);
    ++downs;
  };
  panel.OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
  panel.MouseDown(mbLeft, ssLeft | ssShift, 3, 4);
  panel.MouseMove(ssLeft, 5, 5);
  panel.MouseUp(mbLeft, 0, 5, 5);  // no handler: nothing happens
  EXPECT_EQ(sender, &panel);
  EXPECT_EQ(downs + moves + ups, 2);
}

TEST(ControlTest, ChangingParentMovesTheWindowUnderTheNewParent) {
  TWinControl a(nullptr), b(nullptr);
  b.SetBounds(300, 0, 100, 100);
  auto* panel = new TPanel(nullptr);
  panel->SetParent(&a);
  const HWND first = panel->Handle();
  panel->SetParent(&b);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(GetParent(panel->Handle()), b.Handle());
  EXPECT_EQ(a.ControlCount(), 0);
  EXPECT_EQ(b.ControlCount(), 1);
}

}  // namespace
