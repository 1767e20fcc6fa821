#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testsupport {

namespace {

// A temporary file that collects one output stream and is removed afterwards.
class TCapture {
 public:
  TCapture() {
    std::string pattern = "/tmp/kor_run_XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("cannot make a capture file");
    ::close(fd);
    path = pattern;
  }
  ~TCapture() { ::unlink(path.c_str()); }
  TCapture(const TCapture&) = delete;
  TCapture& operator=(const TCapture&) = delete;

  const std::string& Path() const { return path; }
  std::string Text() const {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::string path;
};

}  // namespace

TProgramRun RunProgram(const std::string& Program, const std::vector<std::string>& Args) {
  TCapture out, err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.Path().c_str(), O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_addopen(&actions, 2, err.Path().c_str(), O_WRONLY | O_TRUNC, 0);
  std::vector<std::string> words{Program};
  words.insert(words.end(), Args.begin(), Args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, Program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  TProgramRun run;
  if (spawned != 0) {
    run.Err = "cannot start " + Program;
    return run;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) run.Status = WEXITSTATUS(status);
  run.Out = out.Text();
  run.Err = err.Text();
  return run;
}

}  // namespace testsupport
