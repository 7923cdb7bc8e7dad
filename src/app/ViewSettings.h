#pragma once
// The View menu's choices that outlive a run, kept in the workspace (view.dat) so that every
// program working there starts with them.

// Whether the editor shows its line numbers: on unless the workspace says off.
bool RememberedLineNumbers();
// Keeps the choice; a failed write raises files::EFileError and leaves the old file.
void RememberLineNumbers(bool Shown);
