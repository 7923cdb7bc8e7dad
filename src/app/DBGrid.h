#pragma once
// DBGrid1: the result grid. A table view over a window of the bound dataset's rows: its
// vertical scroll bar runs over the whole result, the model holds only the rows in sight, and
// the current cell and the dataset's current record follow each other.
#include "DelimitedText.h"

#include <QTableView>
#include <optional>
#include <vector>

namespace velmora::ado {
class TCustomADODataSet;
class TServerCall;
class TDataSource;
class TField;
} // namespace velmora::ado
namespace velmora::query {
class TDataSetTableModel;
}

class TDBGrid final : public QTableView {
public:
    explicit TDBGrid(QWidget* Parent);

    void SetDataSource(velmora::ado::TDataSource* Source);
    velmora::query::TDataSetTableModel* Model() const { return FModel; }
    // The field of the current column in the current record; null without one.
    velmora::ado::TField* SelectedField() const;
    // Writes the text of an open cell editor into the record and closes the editor, so that
    // what was typed is neither lost nor written to another record when the grid moves.
    void CommitEdit();
    // The cells selected: from where a move with Shift started to the current cell, or all.
    velmora::query::TCellRange SelectedCells() const;
    // Ctrl+C copies the selected cells, Ctrl+Shift+C with the columns' names above them.
    void CopySelection(bool WithColumnNames);
    // Ctrl+0: the current cell of an editable table gets no value.
    void SetCurrentCellNull();
    void SelectAll();

protected:
    void changeEvent(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void currentChanged(const QModelIndex& Current, const QModelIndex& Previous) override;
    void updateGeometries() override;
    void scrollContentsBy(int Dx, int Dy) override;
    void commitData(QWidget* Editor) override;
    void closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) override;
    void dataChanged(const QModelIndex& TopLeft, const QModelIndex& BottomRight,
                     const QList<int>& Roles = QList<int>()) override;

private:
    // The text of a copy, made on another thread from cells taken as shown.
    struct TCopiedText {
        TCopiedText(const velmora::ado::TCustomADODataSet& DataSet,
                    const velmora::query::TCellRange& Range, bool WithColumnNames);
        void Make(velmora::ado::TServerCall& Call);

        const velmora::query::TShownCells FCells;
        const velmora::query::TCellRange FRange;
        const bool FWithColumnNames;
        std::optional<QString> Text; // none when cancelled
    };

    void FitRowsToFont();
    void StartRecordEdit();
    std::optional<int> RowForKey(const QKeyEvent& Event) const;
    void FollowCurrentRecord();
    void MoveToRow(int Row);
    void FitWindowToViewport();
    void UpdateScrollBar();
    void ScrollBarMoved(int Value);
    // A new result: every column fitted to its first rows, none of them sized by the user.
    void SizeColumns();
    // Widens the columns in sight to the widest value seen so far, as rows come into sight;
    // a column the user sized keeps its width.
    void FitColumnsInSight();
    void FitColumn(int Column);
    void SelectToCurrent();
    // The cell editor while one is open; null otherwise.
    QWidget* OpenEditor() const;

    // In result rows, so that it reaches beyond the rows the model holds.
    struct TSelection {
        int AnchorRow = -1;
        int AnchorColumn = 0;
        int CurrentRow = -1;
        int CurrentColumn = 0;
        bool All = false;
        bool Contains(int Row, int Column) const;
    };

    velmora::query::TDataSetTableModel* FModel;
    int FCurrentColumn = 0;
    bool FFollowing = false;
    bool FSizingColumns = false;       // the grid itself is setting widths
    bool FEditStartedByTyping = false; // typing alone put the record in edit state
    bool FExtending = false;           // a move with Shift, which extends the selection
    TSelection FSelection;
    std::vector<bool> FSizedByUser; // by column
};
