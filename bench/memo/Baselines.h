#pragma once
// The same load and typing on the toolkit's own editors, measured in the same run.
#include <string>

namespace bench {

void RunPlainTextEditBaseline(const std::u32string& Script);
// Prints a note instead when QScintilla is not installed.
void RunScintillaBaseline(const std::u32string& Script);

} // namespace bench
