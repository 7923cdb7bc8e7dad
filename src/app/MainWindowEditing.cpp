// Edit > Find, Replace and Go to Line open their bars under the editor; View > Line Numbers shows
// or hides the editor's gutter, as it did when the program last ran in the workspace.
#include "ErrorHandler.h"
#include "FindBar.h"
#include "GoToLineBar.h"
#include "MemoScriptEditor.h"
#include "SafeFile.h"
#include "ViewSettings.h"
#include "untMain.h"

#include <QAction>

void TfrmMain::ConnectEditingCommands() {
    connect(Find1, &QAction::triggered, this, Guarded([this] { FindBar1->Open(false); }));
    connect(Replace1, &QAction::triggered, this, Guarded([this] { FindBar1->Open(true); }));
    connect(GoToLine1, &QAction::triggered, this, Guarded([this] { GoToLineBar1->Open(); }));
    connect(LineNumbers1, &QAction::toggled, this, Guarded([this] {
                ShowLineNumbers();
                try {
                    RememberLineNumbers(LineNumbers1->isChecked());
                } catch (const velmora::files::EFileError& error) {
                    WriteLog(QString::fromUtf8(error.what()));
                }
            }));
    LineNumbers1->setChecked(RememberedLineNumbers());
    ShowLineNumbers();
}

void TfrmMain::ShowLineNumbers() {
    if (auto* editor = dynamic_cast<TMemoScriptEditor*>(SourceEdit1))
        editor->SourceEdit().SetShowLineNumbers(LineNumbers1->isChecked());
}
