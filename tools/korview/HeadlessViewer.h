// The model viewer without a window, for tests and for pictures of models: the view set up as
// the headless tools set it up (512 x 386), the file opened and framed as the viewer frames
// it, Frames frames drawn, the view's picture written as PNG.
#pragma once

#include <iosfwd>
#include <string>

// Returns 0, or 1 after writing the reason (the loader's message, a file that cannot be
// written) to Err.
int RenderModelPicture(const std::string& ModelFile, const std::string& PngFile, int Frames,
                       std::ostream& Err);
