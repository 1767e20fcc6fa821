#include "tests/support/XDisplay.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <vector>

namespace testsupport {

using namespace std::chrono_literals;

std::string CommandOutput(const std::string& Command) {
  std::string text;
  if (FILE* pipe = popen(Command.c_str(), "r")) {
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, read);
    pclose(pipe);
  }
  return text;
}

bool CommandSucceeds(const std::string& Command) {
  return std::system((Command + " >/dev/null 2>&1").c_str()) == 0;
}

bool WindowToolsPresent() {
  for (const char* tool : {"xdotool", "xwininfo", "import"})
    if (!CommandSucceeds(std::string("command -v ") + tool)) return false;
  return true;
}

bool ParseTreeLine(const std::string& Line, XWindow& Window, std::string& Title,
                   std::string& Middle) {
  const size_t id = Line.find("0x");
  const size_t open = Line.find('"', id);
  const size_t close = Line.find("\":", open == std::string::npos ? open : open + 1);
  if (id == std::string::npos || open == std::string::npos || close == std::string::npos)
    return false;
  Window.id = Line.substr(id, Line.find(' ', id) - id);
  Title = Line.substr(open + 1, close - open - 1);
  std::istringstream rest(Line.substr(close + 2));
  std::vector<std::string> words;
  for (std::string word; rest >> word;) words.push_back(word);
  if (words.size() < 2) return false;
  const std::string& geometry = words[words.size() - 2];  // WxH+x+y relative to the parent
  const std::string& place = words.back();                // +x+y on the root window
  Middle = Line.substr(close + 2, Line.rfind(geometry) - close - 2);
  return std::sscanf(geometry.c_str(), "%dx%d", &Window.width, &Window.height) == 2 &&
         std::sscanf(place.c_str(), "%d%d", &Window.x, &Window.y) == 2;
}

std::optional<XWindow> FindListedWindow(const std::string& Tree, const std::string& Title,
                                        const std::string& Mark) {
  std::istringstream tree(Tree);
  for (std::string line; std::getline(tree, line);) {
    XWindow window;
    std::string title, middle;
    if (!ParseTreeLine(line, window, title, middle) || title != Title) continue;
    if (!Mark.empty() && middle.find(Mark) == std::string::npos) continue;
    return window;
  }
  return std::nullopt;
}

std::optional<XWindow> ListedWindow(const std::string& Title, const std::string& Mark) {
  return FindListedWindow(CommandOutput("xwininfo -root -tree"), Title, Mark);
}

std::optional<XWindow> WaitForWindow(const std::string& Title, const std::string& Mark,
                                     std::chrono::seconds Timeout) {
  std::this_thread::sleep_for(1s);
  const auto end = std::chrono::steady_clock::now() + Timeout;
  do {
    if (auto window = ListedWindow(Title, Mark)) {
      std::this_thread::sleep_for(300ms);
      return ListedWindow(Title, Mark);
    }
    std::this_thread::sleep_for(500ms);
  } while (std::chrono::steady_clock::now() < end);
  return std::nullopt;
}

std::optional<Picture> Screenshot(const std::string& Window, const std::string& Path) {
  if (!CommandSucceeds("import -window " + Window + " " + Path)) return std::nullopt;
  return ReadPng(Path);
}

StartedProgram::StartedProgram(const std::string& Folder, const std::string& Program,
                               const std::vector<std::string>& Arguments) {
  std::vector<std::string> words{Program};
  words.insert(words.end(), Arguments.begin(), Arguments.end());
  pid_ = fork();
  if (pid_ > 0) {
    setpgid(pid_, pid_);  // also in the child: whichever runs first
    group_ = pid_;
  }
  if (pid_ != 0) return;
  setpgid(0, 0);
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string options = std::string(asan ? asan : "") + ":detect_leaks=0";
  setenv("ASAN_OPTIONS", options.c_str(), 1);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  if (chdir(Folder.c_str()) == 0) execv(Program.c_str(), argv.data());
  _exit(127);
}

StartedProgram::~StartedProgram() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (WaitForExit(5s) < 0) {
      kill(-group_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // A message box's process that outlived the program.
  if (group_ > 0) kill(-group_, SIGKILL);
}

void StartedProgram::Signal(int Number) {
  if (pid_ > 0) kill(pid_, Number);
}

int StartedProgram::WaitForExit(std::chrono::seconds Timeout) {
  const auto end = std::chrono::steady_clock::now() + Timeout;
  while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(100ms);
  }
  return -1;
}

}  // namespace testsupport
