// korreplay: replays frame captures through our software device and through Mesa's llvmpipe
// (OSMesa), timing both in one process, and writes both pictures (see README.md).
//
//   korreplay [--runs N] [--out DIR] FILE...
//
// Per file, after warm-up runs, the two sides take turns N times; each time covers the same
// work: the frame's states, clear and draws, and for GL the glFinish that waits for them.
// Texture uploads and read-back are outside. The table gives medians. llvmpipe fixes its
// thread count when its first context is made, so this process runs it with one thread and a
// child process started with LP_NUM_THREADS=2 gives the two-thread column.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/korcapture/FrameCapture.h"
#include "tools/korreplay/DeviceReplay.h"
#include "tools/korreplay/PixelCompare.h"
#ifdef KOR_HAVE_OSMESA
#include "tools/korreplay/GlReplay.h"
#endif

namespace {

using framecapture::FrameCapture;

struct Options {
  int runs = 30;
  std::string out = ".";
  bool glChild = false;  // the two-thread child: llvmpipe medians only, one line per file
  std::vector<std::string> files;
};

// The median and the least of a series of times.
struct Timing {
  double median = 0, least = 0;
};

Timing Summary(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values.front()};
}

std::string Format(const Timing& t) {
  if (t.median <= 0) return "—";
  char text[64];
  std::snprintf(text, sizeof text, "%.0f (%.0f)", t.median, t.least);
  return text;
}

double Microseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

std::string Stem(const std::string& path) {
  std::string stem = std::filesystem::path(path).filename().string();
  for (const char* suffix : {".gz", ".korframe"}) {
    const std::string s = suffix;
    if (stem.size() > s.size() && stem.ends_with(s)) stem.resize(stem.size() - s.size());
  }
  return stem;
}

FrameCapture Load(const std::string& path) {
  FrameCapture capture;
  std::string error;
  if (!framecapture::LoadCapture(path, capture, error)) throw std::runtime_error(error);
  return capture;
}

std::string Ratio(const Timing& ours, const Timing& theirs) {
  if (theirs.median <= 0 || theirs.least <= 0) return "—";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f (%.2f)", ours.median / theirs.median,
                ours.least / theirs.least);
  return text;
}

struct Row {
  std::string name;
  std::size_t triangles = 0;
  Timing ours1, ours2, gl1, gl2;
  std::size_t differing = 0, pixels = 0;
  std::size_t threadsDiffering = 0;  // pixels where our two thread counts differ (must be none)
};

#ifdef KOR_HAVE_OSMESA
// Runs this program again as the two-thread child and reads its timings, one line per file;
// empty when it fails.
std::vector<Timing> TwoThreadTimings(const char* self, const Options& options) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    setenv("LP_NUM_THREADS", "2", 1);
    std::vector<std::string> args = {self, "--gl-child", "--runs", std::to_string(options.runs)};
    args.insert(args.end(), options.files.begin(), options.files.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string output;
  char buffer[256];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<std::size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  std::vector<Timing> timings;
  for (std::size_t at = 0; at < output.size();) {
    const std::size_t end = output.find('\n', at);
    Timing t;
    if (std::sscanf(output.substr(at, end - at).c_str(), "%lf %lf", &t.median, &t.least) != 2)
      return {};
    timings.push_back(t);
    at = end == std::string::npos ? output.size() : end + 1;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || timings.size() != options.files.size())
    return {};
  return timings;
}

int RunGlChild(const Options& options) {
  framecapture::GlContext context;
  for (const std::string& file : options.files) {
    const FrameCapture capture = Load(file);
    framecapture::GlReplay gl(capture);
    for (int i = 0; i < 3; ++i) gl.Run();
    std::vector<double> times;
    for (int i = 0; i < options.runs; ++i) times.push_back(Microseconds([&] { gl.Run(); }));
    const Timing t = Summary(times);
    std::printf("%.1f %.1f\n", t.median, t.least);
  }
  return 0;
}
#endif

Row ReplayFile(const std::string& file, const Options& options) {
  const FrameCapture capture = Load(file);
  Row row;
  row.name = Stem(file);
  row.triangles = capture.TriangleCount();
  // Our device with one thread and with two, each its own device with its own target.
  framecapture::DeviceReplay ours1(capture), ours2(capture);
  ours1.SetThreadCount(1);
  ours2.SetThreadCount(2);
  std::vector<double> ours1Times, ours2Times, glTimes;
#ifdef KOR_HAVE_OSMESA
  framecapture::GlReplay gl(capture);
  for (int i = 0; i < 3; ++i) {
    ours1.Run();
    ours2.Run();
    gl.Run();
  }
  for (int i = 0; i < options.runs; ++i) {
    ours1Times.push_back(Microseconds([&] { ours1.Run(); }));
    ours2Times.push_back(Microseconds([&] { ours2.Run(); }));
    glTimes.push_back(Microseconds([&] { gl.Run(); }));
  }
  const std::vector<std::uint16_t> theirs = gl.Pixels();
#else
  for (int i = 0; i < 3; ++i) {
    ours1.Run();
    ours2.Run();
  }
  for (int i = 0; i < options.runs; ++i) {
    ours1Times.push_back(Microseconds([&] { ours1.Run(); }));
    ours2Times.push_back(Microseconds([&] { ours2.Run(); }));
  }
#endif
  row.ours1 = Summary(ours1Times);
  row.ours2 = Summary(ours2Times);
  row.gl1 = Summary(glTimes);
  const std::vector<std::uint16_t> mine = ours1.Pixels();
  const std::vector<std::uint16_t> mine2 = ours2.Pixels();
  for (std::size_t i = 0; i < mine.size(); ++i) row.threadsDiffering += mine[i] != mine2[i];
  const int w = static_cast<int>(capture.Target.Width), h = static_cast<int>(capture.Target.Height);
  const std::string base = options.out + "/" + row.name;
  bool written = framecapture::WritePng565(base + "-ours.png", mine, w, h);
#ifdef KOR_HAVE_OSMESA
  written = written && framecapture::WritePng565(base + "-llvmpipe.png", theirs, w, h);
  row.differing = framecapture::CountDiffering(mine, theirs);
#endif
  if (!written) std::fprintf(stderr, "korreplay: cannot write the pictures of %s\n", file.c_str());
  row.pixels = mine.size();
  return row;
}

// Times are medians with the least in brackets, ratios likewise.
void PrintTable(const std::vector<Row>& rows, bool haveGl) {
  std::printf(
      "| frame | triangles | ours 1T µs | ours 2T µs | llvmpipe 1T µs | llvmpipe 2T µs "
      "| ours 1T / llvmpipe 1T | ours 2T / llvmpipe 1T | ours 2T / llvmpipe 2T "
      "| pixels differing > 1 step |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
  for (const Row& r : rows) {
    if (!haveGl) {
      std::printf("| %s | %zu | %s | %s | — | — | — | — | — | — |\n", r.name.c_str(), r.triangles,
                  Format(r.ours1).c_str(), Format(r.ours2).c_str());
      continue;
    }
    std::printf("| %s | %zu | %s | %s | %s | %s | %s | %s | %s | %zu (%.2f%%) |\n", r.name.c_str(),
                r.triangles, Format(r.ours1).c_str(), Format(r.ours2).c_str(),
                Format(r.gl1).c_str(), Format(r.gl2).c_str(), Ratio(r.ours1, r.gl1).c_str(),
                Ratio(r.ours2, r.gl1).c_str(), Ratio(r.ours2, r.gl2).c_str(), r.differing,
                100.0 * static_cast<double>(r.differing) / static_cast<double>(r.pixels));
  }
  std::printf("(times and ratios: of medians, of the least times in brackets)\n");
  for (const Row& r : rows) {
    if (r.threadsDiffering != 0) {
      std::printf("WARNING: %s: %zu pixels differ between our one- and two-thread pictures\n",
                  r.name.c_str(), r.threadsDiffering);
    }
  }
}

bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      options.runs = std::atoi(argv[++i]);
      if (options.runs < 1) return false;
    } else if (arg == "--out" && i + 1 < argc) {
      options.out = argv[++i];
    } else if (arg == "--gl-child") {
      options.glChild = true;
    } else {
      options.files.push_back(arg);
    }
  }
  return !options.files.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    std::fprintf(stderr, "usage: %s [--runs N] [--out DIR] FILE...\n", argv[0]);
    return 2;
  }
  try {
#ifdef KOR_HAVE_OSMESA
    setenv("GALLIUM_DRIVER", "llvmpipe", 0);
    if (options.glChild) return RunGlChild(options);
    setenv("LP_NUM_THREADS", "1", 1);
    framecapture::GlContext context;
    constexpr bool haveGl = true;
#else
    if (options.glChild) return 1;
    constexpr bool haveGl = false;
    std::fprintf(stderr, "korreplay: built without OSMesa; our device only\n");
#endif
    std::filesystem::create_directories(options.out);
    std::vector<Row> rows;
    for (const std::string& file : options.files) rows.push_back(ReplayFile(file, options));
#ifdef KOR_HAVE_OSMESA
    const std::vector<Timing> two = TwoThreadTimings(argv[0], options);
    if (two.empty()) std::fprintf(stderr, "korreplay: the two-thread child failed\n");
    for (std::size_t i = 0; i < two.size(); ++i) rows[i].gl2 = two[i];
#endif
    PrintTable(rows, haveGl);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "korreplay: %s\n", error.what());
    return 1;
  }
  return 0;
}
