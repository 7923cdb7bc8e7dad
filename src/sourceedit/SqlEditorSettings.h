#pragma once
// How the main window's script editor is set up: its editor properties, and the colouring of
// Transact-SQL (word lists, comments and strings, colours).
namespace sourceedit {

class TSourceEdit;
class TSyntaxColoring;

// The word lists, custom styles and colours for Transact-SQL, with one rescan at the end.
void LoadSqlSyntaxColoring(TSyntaxColoring& Settings);

// Font, tabs, margins, scroll bars, caret and indenting of the script editor, and the SQL
// colouring.
void ApplySqlEditorSettings(TSourceEdit& Editor);

} // namespace sourceedit
