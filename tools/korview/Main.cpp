// korview: a viewer of ".kor" model files.
//
//   korview [FILE.kor]                              the viewer in a window
//   korview --picture OUT.png [--frames N] FILE.kor  no window: the framed model as PNG
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "framework/Application.h"
#include "framework/backends/DesktopBackend.h"
#include "tools/korview/HeadlessViewer.h"
#include "tools/korview/ViewerForm.h"

namespace {

TViewerForm* ViewerForm = nullptr;

constexpr const char* kUsage =
    "usage: korview [FILE.kor]\n"
    "       korview --picture OUT.png [--frames N] FILE.kor\n"
    "\n"
    "Without --picture, shows the model in a window: drag to turn it, turn the wheel over the\n"
    "view to zoom, View > Reset view to start again; File > Open, or drop a file on the window,\n"
    "to open another; File > Save picture to write the view as PNG.\n"
    "With --picture, draws N frames (default 1) of the framed model without a window and\n"
    "writes the last as PNG.\n";

int Usage(int Status) {
  std::fputs(kUsage, Status == 0 ? stdout : stderr);
  return Status;
}

int RunWindow(const std::string& File) {
  try {
    UseDesktopBackend();
    Application->Initialize();
    Application->CreateForm(ViewerForm);
    ViewerForm->InitialFile = File;
    Application->Run();
  } catch (const EBackendError& error) {
    std::fprintf(stderr, "korview: %s\n", error.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string picture, file;
  int frames = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage(0);
    if ((arg == "--picture" || arg == "--frames") && i + 1 >= argc) return Usage(2);
    if (arg == "--picture") {
      picture = argv[++i];
    } else if (arg == "--frames") {
      frames = std::atoi(argv[++i]);
      if (frames < 1) return Usage(2);
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage(2);
    } else if (file.empty()) {
      file = arg;
    } else {
      return Usage(2);
    }
  }
  if (picture.empty()) return RunWindow(file);
  if (file.empty()) return Usage(2);
  return RenderModelPicture(file, picture, frames, std::cerr);
}
