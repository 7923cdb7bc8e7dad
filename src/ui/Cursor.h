#pragma once
// The hourglass while a connection opens or a command runs: one level only, set or back to the
// arrow, never stacked, so that a missed reset cannot leave it on for good.
void SetHourglassCursor();
void SetArrowCursor();
bool HourglassCursorShown();
