// The desktop tests quit SDL's video after each test, and SDL then unloads the X11 libraries
// it loaded. What those libraries still hold would then look leaked to LeakSanitizer, which
// no longer scans their data and cannot even name them. This test program therefore keeps
// every library loaded until it exits: its dlclose, which SDL calls, unloads nothing.
extern "C" int dlclose(void* /*Library*/) {
  return 0;
}
