#include "FindBar.h"

#include "ErrorHandler.h"
#include "MemoScriptEditor.h"
#include "QtText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

using memo::ToQString;
using memo::ToU32;

namespace {

QHBoxLayout* Row(QWidget* Row) {
    auto* layout = new QHBoxLayout(Row);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(6);
    return layout;
}

QPushButton* Button(QWidget* Parent, const QString& Name, const QString& Caption) {
    auto* button = new QPushButton(Caption, Parent);
    button->setObjectName(Name);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* Option(QWidget* Parent, const QString& Name, const QString& Caption) {
    auto* box = new QCheckBox(Caption, Parent);
    box->setObjectName(Name);
    return box;
}

bool IsEnter(const QKeyEvent& Event) {
    return Event.key() == Qt::Key_Return || Event.key() == Qt::Key_Enter;
}

} // namespace

TFindBar::TFindBar(TMemoScriptEditor* Editor, QWidget* Parent) : QWidget(Parent), FEditor(Editor) {
    setObjectName("FindBar1");
    AddControls();
    hide();
}

void TFindBar::AddControls() {
    auto* findRow = new QWidget(this);
    QHBoxLayout* find = Row(findRow);
    auto* findLabel = new QLabel("&Find:", findRow);
    FFind = new QLineEdit(findRow);
    FFind->setObjectName("edFind");
    FFind->setClearButtonEnabled(true);
    findLabel->setBuddy(FFind);
    FMatchCase = Option(findRow, "cbMatchCase", "Match &case");
    FWholeWord = Option(findRow, "cbWholeWord", "&Whole word");
    FRegularExpression = Option(findRow, "cbRegularExpression", "Regular e&xpression");
    QPushButton* previous = Button(findRow, "btnFindPrevious", "&Previous");
    QPushButton* next = Button(findRow, "btnFindNext", "&Next");
    FStatus = new QLabel(findRow);
    FStatus->setObjectName("lblFindStatus");
    auto* close = new QToolButton(findRow);
    close->setObjectName("btnCloseFind");
    close->setText("\u00D7");
    close->setToolTip("Close (Esc)");
    close->setAutoRaise(true);
    find->addWidget(findLabel);
    find->addWidget(FFind, 1);
    find->addWidget(FMatchCase);
    find->addWidget(FWholeWord);
    find->addWidget(FRegularExpression);
    find->addWidget(previous);
    find->addWidget(next);
    find->addWidget(FStatus, 1);
    find->addWidget(close);

    FReplaceRow = new QWidget(this);
    QHBoxLayout* replace = Row(FReplaceRow);
    auto* replaceLabel = new QLabel("R&eplace:", FReplaceRow);
    FReplace = new QLineEdit(FReplaceRow);
    FReplace->setObjectName("edReplace");
    replaceLabel->setBuddy(FReplace);
    FReplaceButton = Button(FReplaceRow, "btnReplace", "&Replace");
    FReplaceAllButton = Button(FReplaceRow, "btnReplaceAll", "Replace &All");
    replace->addWidget(replaceLabel);
    replace->addWidget(FReplace, 1);
    replace->addWidget(FReplaceButton);
    replace->addWidget(FReplaceAllButton);
    replace->addStretch(1);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(findRow);
    rows->addWidget(FReplaceRow);

    connect(FFind, &QLineEdit::textChanged, this, [this] { SearchChanged(); });
    for (QCheckBox* box : {FMatchCase, FWholeWord, FRegularExpression})
        connect(box, &QCheckBox::toggled, this, [this] { SearchChanged(); });
    connect(previous, &QPushButton::clicked, this, Guarded([this] { FindPrevious(); }));
    connect(next, &QPushButton::clicked, this, Guarded([this] { FindNext(); }));
    connect(FReplaceButton, &QPushButton::clicked, this, Guarded([this] { Replace(); }));
    connect(FReplaceAllButton, &QPushButton::clicked, this, Guarded([this] { ReplaceAll(); }));
    connect(close, &QToolButton::clicked, this, [this] { Close(); });
}

void TFindBar::Open(bool WithReplace) {
    QString selected = FEditor->SelectedText();
    if (!selected.isEmpty() && !selected.contains('\r') && !selected.contains('\n'))
        FFind->setText(selected);
    FReplaceRow->setVisible(WithReplace);
    show();
    SearchChanged();
    FFind->setFocus(Qt::ShortcutFocusReason);
    FFind->selectAll();
}

void TFindBar::Close() {
    hide();
    sourceedit::MarkMatches(FEditor->SourceEdit(), nullptr);
    FEditor->setFocus(Qt::OtherFocusReason);
}

QString TFindBar::Status() const {
    return FStatus->text();
}

void TFindBar::SetStatus(const QString& Text) {
    FStatus->setText(Text);
}

std::shared_ptr<const sourceedit::TTextSearch> TFindBar::Search() {
    if (FSearch == nullptr || !FSearch->Valid()) {
        SetStatus(FSearch != nullptr && !FSearch->Error().empty()
                      ? QString::fromStdString(FSearch->Error())
                      : QString("Type the text to find"));
        return nullptr;
    }
    return FSearch;
}

void TFindBar::SearchChanged() {
    sourceedit::TSearchOptions options;
    options.MatchCase = FMatchCase->isChecked();
    options.WholeWord = FWholeWord->isChecked();
    options.RegularExpression = FRegularExpression->isChecked();
    FSearch = std::make_shared<sourceedit::TTextSearch>(ToU32(FFind->text()), options);
    SetStatus(FSearch->Error().empty() ? QString() : QString::fromStdString(FSearch->Error()));
    sourceedit::MarkMatches(FEditor->SourceEdit(), isVisible() ? FSearch : nullptr);
}

void TFindBar::Report(const sourceedit::TFindOutcome& Outcome) {
    if (Outcome.Match.Found())
        SetStatus(Outcome.Wrapped ? "Went round the end of the script" : QString());
    else if (FSearch->GaveUp())
        SetStatus("Not found, but the expression was given up on in some line: it costs too "
                  "much there");
    else
        SetStatus("Not found");
}

void TFindBar::FindNext() {
    if (auto search = Search())
        Report(sourceedit::FindNext(FEditor->SourceEdit(), *search));
}

void TFindBar::FindPrevious() {
    if (auto search = Search()) {
        sourceedit::TFindOutcome outcome = sourceedit::FindPrevious(FEditor->SourceEdit(), *search);
        Report(outcome);
        if (outcome.Wrapped)
            SetStatus("Went round the start of the script");
    }
}

void TFindBar::Replace() {
    auto search = Search();
    if (search == nullptr)
        return;
    bool replaced = false;
    try {
        Report(sourceedit::ReplaceSelected(FEditor->SourceEdit(), *search, ToU32(FReplace->text()),
                                           replaced));
    } catch (const std::invalid_argument& Error) {
        SetStatus(QString("The replacement cannot be made: %1").arg(Error.what()));
    }
}

void TFindBar::ReplaceAll() {
    auto search = Search();
    if (search == nullptr)
        return;
    try {
        int count = sourceedit::ReplaceAll(FEditor->SourceEdit(), *search, ToU32(FReplace->text()));
        if (count == 0)
            SetStatus(FEditor->SourceEdit().ReadOnly() ? "The script is read-only" : "Not found");
        else
            SetStatus(count == 1 ? QString("1 replaced") : QString("%1 replaced").arg(count));
    } catch (const std::invalid_argument& Error) {
        SetStatus(QString("Nothing was replaced: %1").arg(Error.what()));
    } catch (const std::length_error&) {
        SetStatus("Nothing was replaced: the script would grow too long");
    }
}

void TFindBar::keyPressEvent(QKeyEvent* Event) {
    const Qt::KeyboardModifiers modifiers = Event->modifiers() & ~Qt::KeypadModifier;
    if (Event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        Close();
        return Event->accept();
    }
    if (IsEnter(*Event) && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
        Event->accept();
        if (FReplace->hasFocus() && modifiers == Qt::NoModifier)
            return RunCommand([this] { Replace(); });
        if (modifiers == Qt::ShiftModifier)
            return RunCommand([this] { FindPrevious(); });
        return RunCommand([this] { FindNext(); });
    }
    QWidget::keyPressEvent(Event);
}
