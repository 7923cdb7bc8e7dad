#pragma once
// Where a window first appears.
class QWidget;

// Centres Window (at its current size) on the screen its owner is on, or on the primary screen
// without an owner. Placed before it is shown, the window keeps this place: an owner that is
// not shown yet (the main window at start-up) has no place of its own to centre on.
void CentreOnScreen(QWidget* Window, const QWidget* Owner);

// Moves Tool (at its size) beside Owner on Owner's screen, so that it covers none of Owner's
// menu bar: right of Owner's frame where the screen has room, else left of it, else inside
// Owner's right edge. Its top is Top (a screen position: where Owner's menu bar ends), or the
// bottom of Above (a tool window placed there before) when Tool still fits on the screen below
// it; Above may be null.
void PlaceBesideOwner(QWidget* Tool, const QWidget* Owner, int Top, const QWidget* Above);
