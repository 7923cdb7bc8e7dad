// File > Export Result: the result in the grid, every row and column, written to a file as CSV
// or tab-separated text, piece by piece and atomically: a failed export leaves the old file.
#include "Cursor.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DelimitedText.h"
#include "SafeFile.h"
#include "untMain.h"

#include <QFile>
#include <stdexcept>

namespace {

// The hourglass while the file is written, the arrow after it whatever happened.
struct THourglass {
    THourglass() { SetHourglassCursor(); }
    ~THourglass() { SetArrowCursor(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

// The export dialog's filters, in their order.
enum TExportKind { ekCommaCsv, ekSemicolonCsv, ekTabSeparated };

velmora::query::TDelimitedFormat FormatOf(int Kind) {
    switch (Kind) {
    case ekSemicolonCsv:
        return {';'};
    case ekTabSeparated:
        return {'\t'};
    default:
        return {','};
    }
}

} // namespace

void TfrmMain::ExportResult1Click() {
    velmora::ado::TCustomADODataSet* dataSet = DataSource1.DataSet();
    if (dataSet == nullptr || !dataSet->Active())
        throw std::runtime_error("There is no result to export.");
    DBGrid1->CommitEdit();
    if (!ExportDialog1.Execute())
        return;
    const velmora::query::TDelimitedFormat format = FormatOf(ExportDialog1.FilterIndex);
    const velmora::query::TShownCells shown(*dataSet);
    const velmora::query::TCellRange cells = velmora::query::WholeResult(shown);
    const THourglass hourglass;
    velmora::files::WriteFileAtomicallyInPieces(
        QFile::encodeName(ExportDialog1.FileName).toStdString(),
        [&](const velmora::files::TFileSink& Write) {
            velmora::query::WriteDelimited(shown, cells, format, Write);
        },
        velmora::files::TNewFileMode::nfmShared);
}
