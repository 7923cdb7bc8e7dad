#pragma once
// The script editor: the editor widget hosting a source editor, which colours SQL as it is typed,
// seen through what the main window needs of it.
#include "MemoWidget.h"
#include "ScriptEditor.h"
#include "SourceEdit.h"

class TMemoScriptEditor final : public memo::TMemoWidget, public TScriptEditor {
    Q_OBJECT

public:
    explicit TMemoScriptEditor(QWidget* Parent);

    sourceedit::TSourceEdit& SourceEdit() const {
        return static_cast<sourceedit::TSourceEdit&>(Editor());
    }

    QWidget* Widget() override { return this; }
    int SelStart() const override { return Editor().SelStart(); }
    int SelLength() const override { return Editor().SelLength(); }
    QString SelectedText() const override;
    QString Text() const override;
    void SetText(const QString& Text) override;
    std::u32string Characters() const override { return Editor().GetText(); }
    TTextCopy CopyText() const override;
    void SetCharacters(std::u32string_view Text) override { Editor().SetText(Text); }
    void AdoptCharacters(velmora::files::TNarrowText&& Text) override;
    void ClearUndoHistory() override { Editor().ClearUndoHistory(); }
    TStyledScript StyledScript() const override;
    void SetSelection(int Start, int Length) override;
    void AppendLine(const QString& Text) override;

    // The script's character height in pixels, as it shows now.
    int FontHeight() const;
    // Makes the characters Steps pixels higher (lower when negative), within readable limits;
    // Ctrl+plus, Ctrl+minus and Ctrl with the wheel zoom so. The first zoom remembers the
    // height it starts from.
    void Zoom(int Steps);
    // Back to the height before the first zoom (Ctrl+0).
    void ResetZoom();

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    void SetFontHeight(int Pixels);

    int FUnzoomedHeight = 0; // 0: not zoomed
    int FZoomWheelRest = 0;  // eighths of a degree turned with Ctrl, not yet a whole notch
};
