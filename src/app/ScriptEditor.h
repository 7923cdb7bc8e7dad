#pragma once
// What the main window needs of its script editor. The editor behind it may change; the window
// only talks to this.
#include "NarrowText.h"
#include "StyledScript.h"

#include <QString>
#include <functional>
#include <string>
#include <string_view>

class QKeyEvent;
class QWidget;

class TScriptEditor {
public:
    virtual ~TScriptEditor() = default;

    virtual QWidget* Widget() = 0;
    virtual int SelStart() const = 0; // zero-based character offset of the selection's start
    virtual int SelLength() const = 0;
    virtual QString SelectedText() const = 0;
    virtual QString Text() const = 0; // line breaks are CR LF
    // Replaces the whole text (one edit, which can be undone).
    virtual void SetText(const QString& Text) = 0;
    // The same in the editor's own characters, without a detour through UTF-16.
    virtual std::u32string Characters() const = 0;
    // A copy of the text that is quick to take, turned into characters when called, on any
    // thread: a long script's text leaves the window thread at the cost of a plain copy.
    using TTextCopy = std::function<std::u32string()>;
    virtual TTextCopy CopyText() const = 0;
    virtual void SetCharacters(std::u32string_view Text) = 0;
    // The whole text becomes Text (CR LF line breaks), taken over without a copy: a script read
    // from a file. The undo history is cleared with it.
    virtual void AdoptCharacters(velmora::files::TNarrowText&& Text) = 0;
    // After a script is loaded from a file, undo must not bring back the previous script under
    // the new file's name.
    virtual void ClearUndoHistory() = 0;
    // The script as it is printed.
    virtual TStyledScript StyledScript() const = 0;
    // Selects Length characters from the zero-based Start (0: places the caret there), and
    // scrolls the caret into view.
    virtual void SetSelection(int Start, int Length) = 0;
    // Adds Text as a new last line: into an empty editor it becomes the whole text, otherwise
    // a line break and Text follow the last character.
    virtual void AppendLine(const QString& Text) = 0;

    std::function<void()> OnChange;
    std::function<void(QKeyEvent*)> OnKeyDown;
};
