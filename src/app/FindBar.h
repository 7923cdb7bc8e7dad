#pragma once
// The find bar under the script editor: the text to find with its options (case, whole word,
// regular expression), and on demand the text to replace it with. Enter finds the next match,
// Shift+Enter the previous one, Escape closes the bar and leaves the match selected. While the
// bar is open every match in the lines on screen is marked.
#include "FindReplace.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TMemoScriptEditor;

class TFindBar final : public QWidget {
    Q_OBJECT

public:
    TFindBar(TMemoScriptEditor* Editor, QWidget* Parent);

    // Opens the bar with the find field focused, filled with the selection when it lies on one
    // line; WithReplace shows the replace field too.
    void Open(bool WithReplace);
    // Closes the bar, clears the marks and gives the editor the focus back.
    void Close();

    void FindNext();
    void FindPrevious();
    void Replace();
    void ReplaceAll();

    // What the bar says about the last command ("" when all went as expected).
    QString Status() const;
    QLineEdit* FindField() const { return FFind; }
    QLineEdit* ReplaceField() const { return FReplace; }

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void AddControls();
    // The search the fields and options describe; nullptr with a message when there is none.
    std::shared_ptr<const sourceedit::TTextSearch> Search();
    // The search changed: new marks.
    void SearchChanged();
    void Report(const sourceedit::TFindOutcome& Outcome);
    void SetStatus(const QString& Text);

    TMemoScriptEditor* FEditor;
    QLineEdit* FFind = nullptr;
    QLineEdit* FReplace = nullptr;
    QCheckBox* FMatchCase = nullptr;
    QCheckBox* FWholeWord = nullptr;
    QCheckBox* FRegularExpression = nullptr;
    QWidget* FReplaceRow = nullptr;
    QPushButton* FReplaceButton = nullptr;
    QPushButton* FReplaceAllButton = nullptr;
    QLabel* FStatus = nullptr;
    std::shared_ptr<const sourceedit::TTextSearch> FSearch; // what the fields say now
};
