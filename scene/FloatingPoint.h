// The program computes with all floating-point exceptions masked and round-to-nearest. The 3D
// platform may change the floating-point environment, so the program puts the default back at
// the start of each frame tick, each mouse-drag turn, each retained-mode render and around
// every device call of the renderer.
#pragma once

// Restores round-to-nearest with every floating-point exception masked and no flag raised.
void ResetFloatingPoint();
