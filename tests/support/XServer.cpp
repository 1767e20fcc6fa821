#include "tests/support/XServer.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "tests/support/WaitUntil.h"

#include <X11/Xlib.h>  // last: its macros (None, Status, Display) would clash with ours

namespace testsupport {
namespace {

using namespace std::chrono_literals;

void Stop(pid_t& Process) {
  if (Process <= 0) return;
  kill(Process, SIGTERM);
  const bool gone =
      WaitUntil([&] { return waitpid(Process, nullptr, WNOHANG) == Process; }, {}, 5000ms, 20ms);
  if (!gone) {
    kill(Process, SIGKILL);
    waitpid(Process, nullptr, 0);
  }
  Process = -1;
}

}  // namespace

bool HaveCommand(const std::string& Name) {
  return std::system(("command -v " + Name + " >/dev/null 2>&1").c_str()) == 0;
}

XServer::XServer(bool WindowManager, int Width, int Height) {
  if (!StartServer(Width, Height)) return;
  if (WindowManager && !StartWindowManager()) {
    Stop(server_);
    display_.clear();
  }
}

XServer::~XServer() {
  Stop(windowManager_);
  Stop(server_);
}

bool XServer::StartServer(int Width, int Height) {
  if (!HaveCommand("Xvfb")) {
    why_ = "Xvfb is missing";
    return false;
  }
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    why_ = "no pipe";
    return false;
  }
  const std::string screen = std::to_string(Width) + "x" + std::to_string(Height) + "x24";
  server_ = fork();
  if (server_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test killed by its timeout leaves no server behind
    close(pipeEnds[0]);
    // Xvfb picks a free display number and writes it to the descriptor given.
    const std::string fd = std::to_string(pipeEnds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string number;
  char c = 0;
  while (read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeEnds[0]);
  if (server_ < 0 || number.empty()) {
    why_ = "Xvfb did not start";
    Stop(server_);
    return false;
  }
  display_ = ":" + number;
  return true;
}

bool XServer::StartWindowManager() {
  if (!HaveCommand("openbox")) {
    why_ = "openbox is missing";
    return false;
  }
  windowManager_ = fork();
  if (windowManager_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    setenv("DISPLAY", display_.c_str(), 1);
    // openbox's own settings of the user running the tests are not read: a folder of its own.
    const std::string home = "/tmp/kor_openbox_" + std::to_string(getpid());
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    // Its notes (no menu file, ...) are not the test's output.
    if (FILE* quiet = std::freopen("/dev/null", "w", stderr)) (void)quiet;
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  // A window manager announces itself on the root window.
  const bool managing = WaitUntil(
      [&] {
        return Output("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
               std::string::npos;
      },
      {}, kWindowDeadline, 50ms);
  if (!managing) {
    why_ = "openbox did not start";
    return false;
  }
  if (!ProbeWindowManager()) {
    why_ = "openbox does not manage windows";
    return false;
  }
  return true;
}

bool XServer::ProbeWindowManager() const {
  // openbox announces itself before its start-up is over, and a window mapped in between may
  // never be managed (a program waiting for it to appear would wait for ever). A probe window
  // is mapped, again if need be, until openbox marks it as managed (WM_STATE).
  ::Display* connection = XOpenDisplay(display_.c_str());
  if (!connection) return false;
  const ::Window probe =
      XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 10, 10, 0, 0, 0);
  const Atom state = XInternAtom(connection, "WM_STATE", False);
  auto isManaged = [&] {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(connection, probe, state, 0, 2, False, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    if (data) XFree(data);
    return count > 0;
  };
  // Each attempt maps the probe and gives openbox a second to take it.
  const bool managed = WaitUntil(
      [&] {
        XMapWindow(connection, probe);
        XSync(connection, False);
        if (WaitUntil(isManaged, {}, std::chrono::seconds(1), std::chrono::milliseconds(20)))
          return true;
        XUnmapWindow(connection, probe);
        XSync(connection, False);
        return false;
      },
      {}, kWindowDeadline, std::chrono::milliseconds(50));
  XDestroyWindow(connection, probe);
  XCloseDisplay(connection);
  return managed;
}

bool XServer::CloseWindow(const std::string& Window) const {
  ::Display* connection = XOpenDisplay(display_.c_str());
  if (!connection) return false;
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = static_cast<::Window>(std::stoul(Window, nullptr, 16));
  message.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
  message.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(connection, message.xclient.window, False, NoEventMask, &message);
  XCloseDisplay(connection);  // flushes the request
  return sent != 0;
}

int XServer::Run(const std::string& Command) const {
  const int status = std::system(("DISPLAY=" + display_ + " " + Command).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string XServer::Output(const std::string& Command) const {
  std::string text;
  if (FILE* pipe = popen(("DISPLAY=" + display_ + " " + Command + " 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    pclose(pipe);
  }
  return text;
}

}  // namespace testsupport
