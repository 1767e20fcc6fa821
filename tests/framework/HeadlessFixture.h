// A test on a fresh headless backend; the forms the test made are destroyed at its end.
#pragma once

#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/backends/HeadlessBackend.h"

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless = &UseHeadlessBackend();
    Application->OnIdle = nullptr;
  }
  void TearDown() override {
    Application->DestroyComponents();
    Application->OnIdle = nullptr;
  }

  HeadlessBackend* headless = nullptr;
};
