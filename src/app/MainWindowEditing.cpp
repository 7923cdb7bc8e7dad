// Edit > Find, Replace and Go to Line open their bars under the editor; View > Line Numbers shows
// or hides the editor's gutter.
#include "ErrorHandler.h"
#include "FindBar.h"
#include "GoToLineBar.h"
#include "MemoScriptEditor.h"
#include "untMain.h"

#include <QAction>

void TfrmMain::ConnectEditingCommands() {
    connect(Find1, &QAction::triggered, this, Guarded([this] { FindBar1->Open(false); }));
    connect(Replace1, &QAction::triggered, this, Guarded([this] { FindBar1->Open(true); }));
    connect(GoToLine1, &QAction::triggered, this, Guarded([this] { GoToLineBar1->Open(); }));
    connect(LineNumbers1, &QAction::toggled, this, Guarded([this] {
                if (auto* editor = dynamic_cast<TMemoScriptEditor*>(SourceEdit1))
                    editor->SourceEdit().SetShowLineNumbers(LineNumbers1->isChecked());
            }));
}
