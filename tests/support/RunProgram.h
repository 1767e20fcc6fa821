// Runs a program of the build as a user would, for tests of command-line tools: arguments are
// passed as they are (no shell), and the exit status, standard output and error are returned.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct TProgramRun {
  int Status = -1;  // the exit status; -1 when the program did not exit normally
  std::string Out;
  std::string Err;
};

TProgramRun RunProgram(const std::string& Program, const std::vector<std::string>& Args);

}  // namespace testsupport
