#pragma once
// Printing a script: one job, in its fixed-pitch font and colours, long lines wrapped, with a
// header of the title and "Page n of m" on every page, within the margins of the printer's page
// layout.
#include "StyledScript.h"

#include <QString>

class QPrinter;

// Throws std::runtime_error when the printer cannot be started or reports an error.
void PrintScript(QPrinter& Printer, const TStyledScript& Script, const QString& Title);
