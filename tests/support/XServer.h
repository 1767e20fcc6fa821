// A private X server for window tests: a virtual one (Xvfb) of its own, optionally with the
// openbox window manager on it, so that a test sees the program the way people run it (with
// a window manager) and the way a bare X server shows it (without), whatever display the test
// command itself runs under, and without sharing the pointer or the focus with other tests.
//
// Both are started by the constructor and stopped (by their process ids) by the destructor.
#pragma once

#include <sys/types.h>

#include <string>

namespace testsupport {

class XServer {
 public:
  // Starts Xvfb with one Width x Height x 24 screen on a free display number; with
  // WindowManager, then openbox on it, and waits until openbox manages the screen.
  XServer(bool WindowManager, int Width = 1024, int Height = 768);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // Empty when the server could not be started (Xvfb or openbox missing): Why() says what.
  bool Running() const { return !display_.empty(); }
  const std::string& Why() const { return why_; }
  // ":N", for DISPLAY.
  const std::string& Display() const { return display_; }
  bool WindowManager() const { return windowManager_ > 0; }
  // Command, run by the shell with DISPLAY set to this server; the command's status.
  int Run(const std::string& Command) const;
  // The standard output of Command, run the same way.
  std::string Output(const std::string& Command) const;
  // Asks the window (an id such as "0x600002") to close, as a window manager's close button
  // does (WM_DELETE_WINDOW); false when the message could not be sent.
  bool CloseWindow(const std::string& Window) const;

 private:
  bool StartServer(int Width, int Height);
  bool StartWindowManager();
  // Waits until openbox manages a window mapped now.
  bool ProbeWindowManager() const;

  pid_t server_ = -1;
  pid_t windowManager_ = -1;
  std::string display_;
  std::string why_;
};

// True when an X tool (xdotool, xwininfo, ...) can be found on PATH.
bool HaveCommand(const std::string& Name);

}  // namespace testsupport
