// The text of a desktop message box, laid out to fit the screen: SDL's boxes break lines only
// where the text has a line break, so a long message (a path and a byte offset) made a box
// wider than the screen, cut at both sides. The text is wrapped at spaces (a word longer than
// a line, such as a path, is broken after a '/' or, failing that, at the line's end); line
// breaks already in the text are kept.
#pragma once

#include <string>

namespace framework::backends {

// Text wrapped to lines of at most Columns characters (UTF-8 sequences are never split and
// count as one character each).
std::string WrapMessageText(const std::string& Text, int Columns);

// How many characters a message box's line may hold on a desktop DesktopWidth pixels wide.
int MessageColumns(int DesktopWidth);

}  // namespace framework::backends
