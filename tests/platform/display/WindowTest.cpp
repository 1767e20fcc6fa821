#include "platform/display/Window.h"

#include <gtest/gtest.h>

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (IsWindow(form_)) DestroyWindow(form_);
  }
  HWND form_ = platform::CreateWindowRecord(nullptr, RECT{100, 50, 740, 530});
};

TEST_F(WindowTest, AChildLiesInItsParentsClientCoordinates) {
  const HWND panel = platform::CreateWindowRecord(form_, RECT{10, 20, 522, 406});
  RECT r;
  ASSERT_TRUE(GetWindowRect(panel, &r));
  EXPECT_EQ(r, (RECT{110, 70, 622, 456}));
  ASSERT_TRUE(GetClientRect(panel, &r));
  EXPECT_EQ(r, (RECT{0, 0, 512, 386}));
  POINT p{5, 6};
  ASSERT_TRUE(ClientToScreen(panel, &p));
  EXPECT_EQ(p, (POINT{115, 76}));
  EXPECT_EQ(GetParent(panel), form_);
}

TEST_F(WindowTest, MovingAParentMovesItsChildrenOnTheScreen) {
  const HWND panel = platform::CreateWindowRecord(form_, RECT{10, 20, 30, 40});
  ASSERT_TRUE(MoveWindow(form_, -50, 0, 640, 480, TRUE));
  RECT r;
  GetWindowRect(panel, &r);
  EXPECT_EQ(r, (RECT{-40, 20, -20, 40}));
}

TEST_F(WindowTest, TheVisiblePartIsCutByEveryAncestor) {
  const HWND group = platform::CreateWindowRecord(form_, RECT{600, 0, 700, 100});
  const HWND button = platform::CreateWindowRecord(group, RECT{20, 90, 60, 130});
  RECT visible;
  ASSERT_TRUE(platform::GetWindowVisibleRect(button, &visible));
  // The form ends at x 740, the group at y 150 on the screen.
  EXPECT_EQ(visible, (RECT{720, 140, 740, 150}));
}

TEST_F(WindowTest, DestroyingAWindowDestroysItsDescendantsAndStaleHandlesAreRefused) {
  const int before = platform::WindowCount();
  const HWND panel = platform::CreateWindowRecord(form_, RECT{0, 0, 10, 10});
  const HWND inner = platform::CreateWindowRecord(panel, RECT{0, 0, 5, 5});
  EXPECT_EQ(platform::WindowCount(), before + 2);
  ASSERT_TRUE(DestroyWindow(panel));
  EXPECT_FALSE(IsWindow(panel));
  EXPECT_FALSE(IsWindow(inner));
  EXPECT_TRUE(IsWindow(form_));
  EXPECT_EQ(platform::WindowCount(), before);
  RECT r;
  EXPECT_FALSE(GetWindowRect(inner, &r));
  EXPECT_FALSE(MoveWindow(inner, 0, 0, 1, 1, FALSE));
  EXPECT_FALSE(DestroyWindow(inner));
  EXPECT_EQ(platform::CreateWindowRecord(inner, RECT{}), nullptr);
}

}  // namespace
