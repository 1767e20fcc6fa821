// The program: the application with the desktop backend, the main form Form1, the message
// loop. Run it with the folder that holds "meta.bmp" and "wisp2.kor" as working directory.
#include <cstdio>

#include "app/MainForm.h"
#include "framework/Application.h"
#include "framework/backends/DesktopBackend.h"

int main() {
  try {
    UseDesktopBackend();
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->Run();
  } catch (const ENoDisplay& error) {
    std::fprintf(stderr,
                 "KorvelDemo: %s.\n"
                 "The demo shows its window on a desktop and cannot run without one. To render "
                 "the\ndemonstration without a display, use snapshot (see the README), from "
                 "assets/:\n    ../build/tools/snapshot/snapshot 20 /tmp/frame.png\n",
                 error.what());
    return 1;
  } catch (const EBackendError& error) {
    // A message box the desktop cannot show: nothing the user can answer.
    std::fprintf(stderr, "KorvelDemo: %s\n", error.what());
    return 1;
  }
  return 0;
}
