#pragma once
// Font sizes that follow the desktop's: a size given for the desktop's usual font (9 points)
// grows and shrinks in proportion when the user picks a larger or smaller one.

// How much larger than the usual size the desktop's font is now (1 at 9 points).
double DesktopFontScale();
// Pixels, a height meant for the usual font, at the desktop's font now; never below 1.
int DesktopScaled(int Pixels);
