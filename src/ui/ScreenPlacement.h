#pragma once
// Where a window first appears.
class QWidget;

// Centres Window (at its current size) on the screen its owner is on, or on the primary screen
// without an owner. Placed before it is shown, the window keeps this place: an owner that is
// not shown yet (the main window at start-up) has no place of its own to centre on.
void CentreOnScreen(QWidget* Window, const QWidget* Owner);
