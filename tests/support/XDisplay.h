#pragma once
// Window tests on the X display DISPLAY names (a test's private server, tests/support/XServer):
// finding a program's windows with xwininfo and taking screenshots with ImageMagick's import.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/Golden.h"

namespace testsupport {

// Command's standard output; empty when it cannot run.
std::string CommandOutput(const std::string& Command);
// True when Command exits with status 0 (its output is thrown away).
bool CommandSucceeds(const std::string& Command);
// True when every tool a window test uses is installed: xdotool, xwininfo and import.
bool WindowToolsPresent();

struct XWindow {
  std::string id;
  int x = 0, y = 0, width = 0, height = 0;  // on the root window
};

// One line of `xwininfo -root -tree`:
//   0x600002 "FullScreen?": ("class" "Class")  200x100+593+407  +593+407
// read as the window, its title, what lies between title and geometry, and the size and place
// on the root window; false for other lines.
bool ParseTreeLine(const std::string& Line, XWindow& Window, std::string& Title,
                   std::string& Middle);

// The top-level window of Tree (the output of `xwininfo -root -tree` on any display) whose
// title is Title and whose class names Mark, when given.
std::optional<XWindow> FindListedWindow(const std::string& Tree, const std::string& Title,
                                        const std::string& Mark);

// A top-level window whose title is Title (and whose class names Mark, when given), as
// `xwininfo -root -tree` lists it on this display.
std::optional<XWindow> ListedWindow(const std::string& Title, const std::string& Mark);

// Waits about a second before looking (a window looked at while it opens may fail), then
// looks every half second up to Timeout; a window found gets a moment to draw itself.
std::optional<XWindow> WaitForWindow(const std::string& Title, const std::string& Mark = "",
                                     std::chrono::seconds Timeout = std::chrono::seconds(20));

// A screenshot of Window ("root" for the whole display) written to Path and read back.
std::optional<Picture> Screenshot(const std::string& Window, const std::string& Path);

// A program a window test starts, in a process group of its own (SDL shows a message box on X
// from a forked child, which would outlive the program and keep the test's output open).
// Whatever still runs when the object goes is stopped: SIGTERM (SDL turns it into a quit
// request), then SIGKILL to the whole group after five seconds (a program blocked in a message
// box never reads the request).
class StartedProgram {
 public:
  // Starts Program with Arguments in the folder Folder. In a sanitizer build the libraries
  // under SDL (D-Bus, Mesa's GL driver, unloaded before the report) leave allocations at exit
  // that the leak checker cannot tell from the program's, so the child runs without leak
  // checking; memory errors and undefined behaviour are still reported.
  StartedProgram(const std::string& Folder, const std::string& Program,
                 const std::vector<std::string>& Arguments = {});
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool Running() const { return pid_ > 0; }
  void Signal(int Number);
  // The program's exit status (128 + the signal when a signal ended it), or -1 when it has
  // not ended within Timeout.
  int WaitForExit(std::chrono::seconds Timeout);

 private:
  pid_t pid_ = -1;
  pid_t group_ = -1;
};

}  // namespace testsupport
