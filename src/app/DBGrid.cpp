#include "DBGrid.h"

#include "DataSetTableModel.h"
#include "DelimitedText.h"
#include "ErrorHandler.h"
#include "FixedBackground.h"
#include "ServerWait.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

using velmora::query::TDataSetTableModel;

namespace {

// A column no wider than this when it is sized to its content.
constexpr int WidestColumn = 300;

// Paints the grid's cells: a null as a grey italic NULL (the palette's placeholder colour,
// made for its base), the cells of the grid's selection as selected; and tells the grid when the
// user changes the text of a cell editor.
class TCellDelegate final : public QStyledItemDelegate {
public:
    TCellDelegate(QObject* Parent, std::function<void()> OnTyped,
                  std::function<bool(const QModelIndex&)> IsSelected)
        : QStyledItemDelegate(Parent), FOnTyped(std::move(OnTyped)),
          FIsSelected(std::move(IsSelected)) {}

    void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const override {
        QStyledItemDelegate::initStyleOption(Option, Index);
        if (Index.data(velmora::query::NullRole).toBool()) {
            Option->font.setItalic(true);
            Option->palette.setBrush(QPalette::Text,
                                     Option->palette.brush(QPalette::PlaceholderText));
        }
        if (FIsSelected(Index))
            Option->state |= QStyle::State_Selected;
    }

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& Option,
                          const QModelIndex& Index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(Parent, Option, Index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            connect(line, &QLineEdit::textEdited, this, [this] { FOnTyped(); });
        return editor;
    }

private:
    std::function<void()> FOnTyped;
    std::function<bool(const QModelIndex&)> FIsSelected;
};

bool IsMovementKey(int Key) {
    switch (Key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return false;
    }
}

} // namespace

TDBGrid::TDBGrid(QWidget* Parent) : QTableView(Parent), FModel(new TDataSetTableModel(this)) {
    setModel(FModel);
    setItemDelegate(new TCellDelegate(
        this, [this] { StartRecordEdit(); },
        [this](const QModelIndex& Cell) {
            return FSelection.Contains(FModel->FirstRow() + Cell.row(), Cell.column());
        }));
    // White where the palette's text reads on white; the palette's own pair where it does not.
    new TFixedBackground(this, QPalette::Base, Qt::white);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A cell holds one line: wrapped, a long word after a blank would go below the row.
    setWordWrap(false);
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setFixedWidth(14);
    rows->setDefaultAlignment(Qt::AlignCenter);

    FitRowsToFont();

    connect(FModel, &TDataSetTableModel::PositionChanged, this, [this] {
        FollowCurrentRecord();
        FitColumnsInSight();
    });
    connect(FModel, &TDataSetTableModel::modelReset, this, [this] {
        FSelection = {};
        SizeColumns();
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int Column) {
        if (!FSizingColumns && Column < static_cast<int>(FSizedByUser.size()))
            FSizedByUser[static_cast<size_t>(Column)] = true;
    });
    connect(FModel, &TDataSetTableModel::EditFailed, this,
            [](const QString& Message) { ShowGeneralError(Message); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int Value) { ScrollBarMoved(Value); });
}

void TDBGrid::FitRowsToFont() {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void TDBGrid::changeEvent(QEvent* Event) {
    QTableView::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        FitRowsToFont();
}

void TDBGrid::SetDataSource(velmora::ado::TDataSource* Source) {
    FModel->SetDataSource(Source);
}

velmora::ado::TField* TDBGrid::SelectedField() const {
    velmora::ado::TCustomADODataSet* dataSet = FModel->DataSet();
    if (dataSet == nullptr || FModel->CurrentRow() < 0 || FCurrentColumn >= dataSet->FieldCount())
        return nullptr;
    return &dataSet->Fields(FCurrentColumn);
}

// The rows above and below the window are not in the model: moving up or down, a page or to
// either end moves the dataset's record, and the window follows it.
std::optional<int> TDBGrid::RowForKey(const QKeyEvent& Event) const {
    const int current = FModel->CurrentRow();
    const int page = FModel->WindowRows();
    const bool control = Event.modifiers() & Qt::ControlModifier;
    switch (Event.key()) {
    case Qt::Key_Up:
        return current - 1;
    case Qt::Key_Down:
        return current + 1;
    case Qt::Key_PageUp:
        return current - page;
    case Qt::Key_PageDown:
        return current + page;
    case Qt::Key_Home:
        return control ? std::optional(0) : std::nullopt;
    case Qt::Key_End:
        return control ? std::optional(FModel->RowTotal() - 1) : std::nullopt;
    default:
        return std::nullopt;
    }
}

QWidget* TDBGrid::OpenEditor() const {
    if (state() != EditingState)
        return nullptr;
    // The editor has the focus: keys reach the grid through it, and neither the scroll bar nor
    // the navigator's buttons take the focus away.
    QWidget* editor = QApplication::focusWidget();
    while (editor != nullptr && editor->parentWidget() != viewport())
        editor = editor->parentWidget();
    return editor;
}

void TDBGrid::CommitEdit() {
    QWidget* editor = OpenEditor();
    if (editor == nullptr)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

// The first change typed into a cell puts its record into edit state, so the navigator offers
// Post and Cancel while the editor is still open.
void TDBGrid::StartRecordEdit() {
    velmora::ado::TCustomADODataSet* dataSet = FModel->DataSet();
    if (dataSet == nullptr || dataSet->State() != velmora::ado::dsBrowse)
        return;
    RunCommand([&] { dataSet->Edit(); });
    FEditStartedByTyping = dataSet->State() == velmora::ado::dsEdit;
}

void TDBGrid::commitData(QWidget* Editor) {
    FEditStartedByTyping = false;
    QTableView::commitData(Editor);
}

// Escape drops what was typed; when the typing is all that changed the record, the record
// leaves edit state with it.
void TDBGrid::closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) {
    QTableView::closeEditor(Editor, Hint);
    velmora::ado::TCustomADODataSet* dataSet = FModel->DataSet();
    const bool cancelRecord = FEditStartedByTyping &&
                              Hint == QAbstractItemDelegate::RevertModelCache &&
                              dataSet != nullptr && dataSet->State() == velmora::ado::dsEdit;
    FEditStartedByTyping = false;
    if (cancelRecord)
        RunCommand([&] { dataSet->Cancel(); });
}

// The model repaints its rows when the record's state changes; Qt would then put the stored
// value back into an open editor, over what the user is typing.
void TDBGrid::dataChanged(const QModelIndex& TopLeft, const QModelIndex& BottomRight,
                          const QList<int>& Roles) {
    if (state() == EditingState)
        return viewport()->update();
    QTableView::dataChanged(TopLeft, BottomRight, Roles);
}

void TDBGrid::keyPressEvent(QKeyEvent* Event) {
    const Qt::KeyboardModifiers modifiers = Event->modifiers() & ~Qt::KeypadModifier;
    if (Event->key() == Qt::Key_C && (modifiers == Qt::ControlModifier ||
                                      modifiers == (Qt::ControlModifier | Qt::ShiftModifier))) {
        Event->accept();
        return CopySelection(modifiers.testFlag(Qt::ShiftModifier));
    }
    if (Event->key() == Qt::Key_0 && modifiers == Qt::ControlModifier) {
        Event->accept();
        return SetCurrentCellNull();
    }
    if (Event->matches(QKeySequence::SelectAll)) {
        Event->accept();
        return SelectAll();
    }
    const QScopedValueRollback extending(FExtending, IsMovementKey(Event->key()) &&
                                                         modifiers.testFlag(Qt::ShiftModifier));
    const std::optional<int> row = RowForKey(*Event);
    if (!row)
        return QTableView::keyPressEvent(Event);
    Event->accept();
    CommitEdit(); // an open cell editor passes the keys it does not use (up, down, a page) on
    if (FModel->CurrentRow() >= 0)
        MoveToRow(std::clamp(*row, 0, FModel->RowTotal() - 1));
}

void TDBGrid::mousePressEvent(QMouseEvent* Event) {
    const QScopedValueRollback extending(FExtending,
                                         Event->modifiers().testFlag(Qt::ShiftModifier));
    QTableView::mousePressEvent(Event);
}

void TDBGrid::currentChanged(const QModelIndex& Current, const QModelIndex& Previous) {
    QTableView::currentChanged(Current, Previous);
    if (!Current.isValid())
        return;
    FCurrentColumn = Current.column();
    // While the model changes its rows Qt moves the current cell about; the model says where
    // the record is once it is done.
    if (!FFollowing && !FModel->IsUpdating())
        MoveToRow(FModel->FirstRow() + Current.row());
    SelectToCurrent();
}

// Moving to another row posts an edit of the current one first; when that fails the grid
// goes back to the record that is still current.
void TDBGrid::MoveToRow(int Row) {
    velmora::ado::TCustomADODataSet* dataSet = FModel->DataSet();
    if (dataSet == nullptr || Row == FModel->CurrentRow())
        return;
    RunCommand([&] { dataSet->SetRecNo(Row + 1); });
    FollowCurrentRecord();
}

void TDBGrid::FollowCurrentRecord() {
    const QScopedValueRollback following(FFollowing, true);
    UpdateScrollBar();
    const int row = FModel->CurrentRow() - FModel->FirstRow();
    if (row < 0 || row >= FModel->rowCount()) {
        selectionModel()->clear();
        return;
    }
    const int column = std::min(FCurrentColumn, FModel->columnCount() - 1);
    const QModelIndex cell = FModel->index(row, std::max(column, 0));
    if (cell != currentIndex())
        setCurrentIndex(cell);
    SelectToCurrent();
}

void TDBGrid::SelectToCurrent() {
    const int row = FModel->CurrentRow();
    if (row == FSelection.CurrentRow && FCurrentColumn == FSelection.CurrentColumn)
        return;
    FSelection.CurrentRow = row;
    FSelection.CurrentColumn = FCurrentColumn;
    FSelection.All = false;
    if (!FExtending || FSelection.AnchorRow < 0) {
        FSelection.AnchorRow = row;
        FSelection.AnchorColumn = FCurrentColumn;
    }
    viewport()->update();
}

void TDBGrid::SelectAll() {
    FSelection.All = true;
    viewport()->update();
}

velmora::query::TCellRange TDBGrid::SelectedCells() const {
    const velmora::ado::TCustomADODataSet* dataSet = FModel->DataSet();
    if (dataSet == nullptr)
        return {};
    const velmora::query::TShownCells shown(*dataSet);
    if (FSelection.All)
        return velmora::query::WholeResult(shown);
    const int current = FModel->CurrentRow();
    if (current < 0 || current >= shown.RowCount())
        return {};
    const int anchor = std::clamp(FSelection.AnchorRow, 0, shown.RowCount() - 1);
    const int anchorColumn = std::clamp(FSelection.AnchorColumn, 0, dataSet->FieldCount() - 1);
    return {std::min(anchor, current), std::max(anchor, current),
            std::min(anchorColumn, FCurrentColumn), std::max(anchorColumn, FCurrentColumn)};
}

bool TDBGrid::TSelection::Contains(int Row, int Column) const {
    if (All)
        return true;
    if (AnchorRow < 0 || (AnchorRow == CurrentRow && AnchorColumn == CurrentColumn))
        return false; // a single cell is the current cell, which the view marks itself
    return Row >= std::min(AnchorRow, CurrentRow) && Row <= std::max(AnchorRow, CurrentRow) &&
           Column >= std::min(AnchorColumn, CurrentColumn) &&
           Column <= std::max(AnchorColumn, CurrentColumn);
}

// The view's own vertical scrolling is replaced by moving the window: the rows in the model
// always fit the viewport, so the view never scrolls them itself.
void TDBGrid::scrollContentsBy(int Dx, int /*Dy*/) {
    QTableView::scrollContentsBy(Dx, 0);
    if (Dx != 0)
        FitColumnsInSight();
}

void TDBGrid::updateGeometries() {
    const QScopedValueRollback following(FFollowing, true);
    QTableView::updateGeometries();
    FitWindowToViewport();
    UpdateScrollBar();
}

void TDBGrid::FitWindowToViewport() {
    const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
    FModel->SetWindowRows(viewport()->height() / rowHeight);
}

void TDBGrid::UpdateScrollBar() {
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker quiet(bar);
    bar->setRange(0, std::max(FModel->RowTotal() - FModel->WindowRows(), 0));
    bar->setPageStep(FModel->WindowRows());
    bar->setSingleStep(1);
    bar->setValue(FModel->FirstRow());
}

void TDBGrid::ScrollBarMoved(int Value) {
    if (FFollowing)
        return;
    // The editor's row is a row of the window: once the window moves it shows another record.
    CommitEdit();
    FModel->SetFirstRow(Value);
}

void TDBGrid::SizeColumns() {
    FSizedByUser.assign(static_cast<size_t>(FModel->columnCount()), false);
    const QScopedValueRollback sizing(FSizingColumns, true);
    for (int column = 0; column < FModel->columnCount(); ++column)
        setColumnWidth(column, horizontalHeader()->minimumSectionSize());
    FitColumnsInSight();
}

void TDBGrid::FitColumnsInSight() {
    const int count = FModel->columnCount();
    if (count == 0 || FSizedByUser.size() != static_cast<size_t>(count))
        return;
    const int first = std::max(columnAt(0), 0);
    const int atRight = columnAt(viewport()->width() - 1);
    const int last = atRight < 0 ? count - 1 : atRight;
    const QScopedValueRollback sizing(FSizingColumns, true);
    for (int column = first; column <= last; ++column)
        if (!FSizedByUser[static_cast<size_t>(column)])
            FitColumn(column);
}

// Bounded so that one long text does not push the other columns out of sight; a number is
// never cut.
void TDBGrid::FitColumn(int Column) {
    int content = std::max(sizeHintForColumn(Column), horizontalHeader()->sectionSizeHint(Column));
    if (!FModel->IsNumericColumn(Column))
        content = std::min(content, WidestColumn);
    if (content > columnWidth(Column))
        setColumnWidth(Column, content);
}

TDBGrid::TCopiedText::TCopiedText(const velmora::ado::TCustomADODataSet& DataSet,
                                  const velmora::query::TCellRange& Range, bool WithColumnNames)
    : FCells(DataSet), FRange(Range), FWithColumnNames(WithColumnNames) {}

void TDBGrid::TCopiedText::Make(velmora::ado::TServerCall& Call) {
    const bool oneCell =
        FRange.FirstRow == FRange.LastRow && FRange.FirstColumn == FRange.LastColumn;
    if (oneCell && !FWithColumnNames) {
        std::string value;
        FCells.AppendText(FRange.FirstRow, FRange.FirstColumn, value);
        Text = QString::fromStdString(value);
        return;
    }
    const std::optional<std::string> text = velmora::query::DelimitedText(
        FCells, FRange, {'\t', "\n", FWithColumnNames}, [&Call](int Rows) {
            Call.SetRowsFetched(Rows);
            return !Call.CancelRequested();
        });
    if (text)
        Text = QString::fromStdString(*text);
}

// One cell goes as its bare value; several as tab-separated lines that spreadsheets take. The
// text is made on the worker while the window waits, as for the server: it paints, shows the
// rows copied and takes Cancel, and nothing can change the rows meanwhile. A cancelled copy
// leaves the clipboard as it was.
void TDBGrid::CopySelection(bool WithColumnNames) {
    const velmora::ado::TCustomADODataSet* dataSet = FModel->DataSet();
    const velmora::query::TCellRange cells = SelectedCells();
    if (dataSet == nullptr || cells.LastRow < cells.FirstRow ||
        cells.LastColumn < cells.FirstColumn)
        return;
    auto copy = std::make_shared<TCopiedText>(*dataSet, cells, WithColumnNames);
    const auto call = std::make_shared<velmora::ado::TServerCall>(
        velmora::ado::TServerStage::Copying, velmora::ado::TCancelRoute{},
        [copy](velmora::ado::TServerCall& Call) { copy->Make(Call); });
    ServerWait().Wait(call);
    call->RethrowError();
    if (copy->Text)
        QGuiApplication::clipboard()->setText(*copy->Text);
}

void TDBGrid::SetCurrentCellNull() {
    const QModelIndex cell = currentIndex();
    if (!cell.isValid() || !(FModel->flags(cell) & Qt::ItemIsEditable))
        return;
    // What was typed into the cell gives way to the null.
    if (QWidget* editor = OpenEditor())
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    FEditStartedByTyping = false;
    FModel->SetNull(cell);
}
