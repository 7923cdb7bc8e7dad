#include "untAbout.h"

#include "DesktopFont.h"
#include "ImageList.h"
#include "ProgramIdentity.h"
#include "ScreenPlacement.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QLabel* ValueLabel(QWidget* Parent, const QString& Name) {
    auto* label = new QLabel(Parent);
    label->setObjectName(Name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

void TfrmAbout::FitToContent(QLayout* Layout) {
    // 324 by 333 holds everything at the desktop's usual font size; a larger font takes the room
    // its lines need, so that none is cut.
    Layout->activate();
    const int width = std::max(324, Layout->totalMinimumSize().width());
    const int height =
        std::max(333, Layout->hasHeightForWidth() ? Layout->totalHeightForWidth(width)
                                                  : Layout->totalSizeHint().height());
    setFixedSize(width, height);
}

TfrmAbout::TfrmAbout(QWidget* Owner, const TConnectionDetails& Details)
    : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("frmAbout");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("About ");

    auto* icon = new QLabel(this);
    icon->setPixmap(ImageList1(DatabaseImage).pixmap(32, 32));
    auto* name = new QLabel("Velmora 2", this);
    QFont large = name->font();
    large.setPixelSize(DesktopScaled(20));
    large.setBold(true);
    name->setFont(large);
    Label9 = new QLabel(this);
    Label9->setObjectName("Label9");
    auto* author = new QLabel("Written by the Velmora 2 developers", this);
    author->setObjectName("labAuthor");
    auto* contact = new QLabel("Questions and reports: through the project's tracker", this);
    contact->setObjectName("labContact");
    // The box has a fixed width: a line longer than it goes on below instead of being cut.
    for (QLabel* line : {author, contact})
        line->setWordWrap(true);

    GroupBox1 = new QGroupBox("Current ADO Connection Information  ", this);
    GroupBox1->setObjectName("GroupBox1");
    labServer = ValueLabel(GroupBox1, "labServer");
    labLogin = ValueLabel(GroupBox1, "labLogin");
    labConnectedDB = ValueLabel(GroupBox1, "labConnectedDB");
    labVersion = ValueLabel(GroupBox1, "labVersion");
    lab7 = ValueLabel(GroupBox1, "lab7");
    memConnString = new QPlainTextEdit(GroupBox1);
    memConnString->setObjectName("memConnString");
    memConnString->setReadOnly(true);
    memConnString->setFrameShape(QFrame::NoFrame);
    memConnString->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Four lines of the string at least, however large the desktop's font.
    memConnString->setFixedSize(289, std::max(65, 4 * memConnString->fontMetrics().lineSpacing() +
                                                      2 * memConnString->frameWidth() + 8));
    auto* form = new QFormLayout(GroupBox1);
    form->addRow("Server:", labServer);
    form->addRow("Login:", labLogin);
    form->addRow("Connected DB:", labConnectedDB);
    form->addRow("Version:", labVersion);
    form->addRow("Provider:", lab7);
    form->addRow(new QLabel("Connection String:", GroupBox1));
    form->addRow(memConnString);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(Label9);
    layout->addWidget(author);
    layout->addWidget(contact);
    layout->addStretch();
    layout->addWidget(GroupBox1);

    const auto orNotApplicable = [](const QString& Value) {
        return Value.isEmpty() ? QString("n/a") : Value;
    };
    labServer->setText(orNotApplicable(Details.Server));
    labLogin->setText(orNotApplicable(Details.Login));
    labConnectedDB->setText(Details.DefaultDatabase);
    labVersion->setText(Details.Version);
    lab7->setText(Details.Provider);
    memConnString->setPlainText(Details.ConnectionString);
    Label9->setText(ProgramVersion);
    FitToContent(layout);
    CentreOnScreen(this, Owner);
}
