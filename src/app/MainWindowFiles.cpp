// Script files: New, Open, Save and Save As, the question before a script
// with unsaved changes is replaced or the window closes, and the caption naming the file.
#include "EncodingMemory.h"
#include "ErrorHandler.h"
#include "ReopenMenu.h"
#include "SafeFile.h"
#include "ScriptEditor.h"
#include "StatusBar.h"
#include "untMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>
#include <algorithm>

using namespace velmora::files;

namespace {

QString Caption(const QString& FileName) {
    return "Velmora 2 " + FileName;
}

std::string LocalPath(const QString& FileName) {
    return QFile::encodeName(FileName).toStdString();
}

// The 1-based line and column of the character at Index of a text with CR LF line breaks.
QString LineAndColumnOf(std::u32string_view Text, std::size_t Index) {
    const std::u32string_view before = Text.substr(0, Index);
    const std::size_t lineStart = before.rfind(U'\n');
    const std::size_t column =
        lineStart == std::u32string_view::npos ? Index + 1 : Index - lineStart;
    const auto line = std::count(before.begin(), before.end(), U'\n') + 1;
    return QString("line %1, column %2").arg(line).arg(column);
}

// The workspace's list of scripts that keep an encoding their bytes alone would not tell.
std::string EncodingListPath() {
    return LocalPath(QDir::current().filePath("encodings.dat"));
}

std::string AbsoluteLocalPath(const QString& FileName) {
    return LocalPath(QFileInfo(FileName).absoluteFilePath());
}

QMessageBox::StandardButton AskToSaveCurrentScript() {
    return Dialogs().MessageDlg("Save current script?", TMsgDlgType::mtWarning,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

} // namespace

void TfrmMain::ConnectFileCommands() {
    connect(New1, &QAction::triggered, this, Guarded([this] { New1Click(); }));
    connect(Open1, &QAction::triggered, this, Guarded([this] { Open1Click(); }));
    connect(Save1, &QAction::triggered, this, Guarded([this] { Save1Click(); }));
    connect(SaveAs1, &QAction::triggered, this, Guarded([this] { SaveAs1Click(); }));
    connect(Print1, &QAction::triggered, this, Guarded([this] { Print1Click(); }));
    connect(ExportResult1, &QAction::triggered, this, Guarded([this] { ExportResult1Click(); }));
    connect(ToolButton7, &QToolButton::clicked, this, Guarded([this] { ToolButton7Click(); }));
    // Owned by the submenu; its parent is the File menu, whose showing refreshes it.
    new TReopenMenu(Reopen1, qobject_cast<QMenu*>(Reopen1->parentWidget()),
                    [this](const QString& FileName) {
                        RunCommand([this, &FileName] { ReopenScript(FileName); });
                    });
}

void TfrmMain::ToolButton7Click() {
    New1Click();
}

void TfrmMain::New1Click() {
    if (!MayReplaceScript())
        return;
    ScriptFileName.clear();
    setWindowTitle(Caption({}));
    FScriptFormat = {};
    FScriptIdentity.reset();
    SourceEdit1->SetCharacters({});
    emit ScriptSettled();
}

void TfrmMain::Open1Click() {
    if (!MayReplaceScript() || !OpenDialog1.Execute())
        return;
    LoadScriptFile(OpenDialog1.FileName);
}

void TfrmMain::OpenScript(const QString& FileName) {
    if (MayReplaceScript())
        LoadScriptFile(FileName);
}

void TfrmMain::ReopenScript(const QString& FileName) {
    if (!QFileInfo::exists(FileName)) {
        Dialogs().MessageDlg("\"" + FileName +
                                 "\" no longer exists; it is removed from File > Reopen.",
                             TMsgDlgType::mtInformation, QMessageBox::Ok);
        TReopenMenu::Forget(FileName);
        return;
    }
    OpenScript(FileName);
}

void TfrmMain::OpenUnsavedScript(std::u32string_view Text) {
    ScriptFileName.clear();
    setWindowTitle(Caption({}));
    FScriptFormat = {};
    FScriptIdentity.reset();
    ShowScript(Text);
}

void TfrmMain::LoadScriptFile(const QString& FileName) {
    // Read in full before anything changes: a file that cannot be read leaves the script as it is.
    const std::string absolute = AbsoluteLocalPath(FileName);
    TScriptText script = ReadScriptFile(
        LocalPath(FileName), [&absolute](const std::string&, const TFileIdentity& Identity) {
            return RememberedEncoding(EncodingListPath(), absolute, Identity);
        });
    SetScriptFileName(FileName);
    FScriptFormat = std::move(script.Format);
    FScriptIdentity = script.Identity;
    SourceEdit1->AdoptCharacters(std::move(script.Text));
    SourceEdit1->SetSelection(0, 0);
    emit ScriptSettled();
    RememberScriptFile(FileName);
}

void TfrmMain::ShowScript(std::u32string_view Text) {
    SourceEdit1->SetCharacters(Text);
    SourceEdit1->ClearUndoHistory();
    SourceEdit1->SetSelection(0, 0);
}

void TfrmMain::RememberScriptFile(const QString& FileName) {
    try {
        TReopenMenu::Remember(QFileInfo(FileName).absoluteFilePath());
    } catch (const std::exception& error) {
        // The script is open or saved all the same; only the list lacks it.
        WriteLog("File > Reopen cannot list the script: " + QString::fromUtf8(error.what()));
    }
}

void TfrmMain::Save1Click() {
    SaveScript();
}

void TfrmMain::SaveAs1Click() {
    SaveScriptAs();
}

bool TfrmMain::MayReplaceScript() {
    if (!ScriptModified)
        return true;
    const QMessageBox::StandardButton answer = AskToSaveCurrentScript();
    if (answer == QMessageBox::Yes)
        SaveScriptAs(); // the command ends with the save: the user gives it again
    return answer == QMessageBox::No;
}

bool TfrmMain::ConfirmClose() {
    if (Dialogs().MessageDlg("Exit Now?", TMsgDlgType::mtWarning,
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    if (!ScriptModified)
        return true;
    // Leaving must not lose the script: offer to save it, and stay when that fails.
    const QMessageBox::StandardButton answer = AskToSaveCurrentScript();
    if (answer != QMessageBox::Yes)
        return answer == QMessageBox::No;
    bool saved = false;
    RunCommand([this, &saved] { saved = SaveScript(); });
    return saved;
}

bool TfrmMain::SaveScript() {
    // A script opened, or started anew, is saved under a name chosen in the save dialog first.
    if (SavedToFile && !ScriptFileName.isEmpty())
        return SaveScriptTo(ScriptFileName);
    return SaveScriptAs();
}

bool TfrmMain::SaveScriptAs() {
    if (!ScriptFileName.isEmpty())
        SaveDialog1.FileName = ScriptFileName;
    if (!SaveDialog1.Execute() || !SaveScriptTo(SaveDialog1.FileName))
        return false;
    SavedToFile = true;
    return true;
}

bool TfrmMain::SaveScriptTo(const QString& FileName) {
    const std::u32string text = SourceEdit1->Characters();
    TScriptFormat format = FScriptFormat;
    const std::size_t unencodable = FindUnencodable(text, format.Encoding);
    if (unencodable != std::u32string::npos && format.Encoding == TTextEncoding::teWindows1252) {
        if (!MaySaveAsUtf8(text, unencodable))
            return false;
        format.Encoding = TTextEncoding::teUtf8;
    }
    if (!MayOverwrite(FileName))
        return false;
    TEncodedScript encoded = EncodeScript(text, format);
    FScriptIdentity =
        WriteFileAtomically(LocalPath(FileName), encoded.Bytes, TNewFileMode::nfmShared);
    RememberScriptEncoding(FileName, encoded);
    // Only a script that is on the disk counts as saved.
    FScriptFormat = std::move(encoded.Format);
    ScriptModified = false;
    SetScriptFileName(FileName);
    emit ScriptSettled();
    RememberScriptFile(FileName);
    return true;
}

void TfrmMain::RememberScriptEncoding(const QString& FileName, const TEncodedScript& Encoded) {
    // Bytes that would be read in another encoding (a Windows-1252 script whose bytes beyond
    // ASCII form UTF-8) open again as written only if the encoding is remembered.
    const bool readsOtherwise = DetectEncoding(Encoded.Bytes) != Encoded.Format.Encoding;
    try {
        RememberEncoding(EncodingListPath(), AbsoluteLocalPath(FileName), *FScriptIdentity,
                         Encoded.Format.Encoding, readsOtherwise);
    } catch (const std::exception& error) {
        WriteLog("The script's encoding cannot be remembered: " + QString::fromUtf8(error.what()));
    }
}

bool TfrmMain::MayOverwrite(const QString& FileName) {
    // Another file (Save As) is the save dialog's to ask about; a file gone is written anew.
    if (FileName != ScriptFileName || !FScriptIdentity)
        return true;
    const auto onDisk = IdentityOf(LocalPath(FileName));
    if (!onDisk || *onDisk == *FScriptIdentity)
        return true;
    return Dialogs().MessageDlg("The file was changed by another program. Overwrite it?",
                                TMsgDlgType::mtWarning,
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool TfrmMain::MaySaveAsUtf8(std::u32string_view Text, std::size_t Unencodable) {
    const QString question =
        QString("The script was read as %1, which cannot hold \"%2\" (%3) and perhaps other "
                "characters of it. Save it as UTF-8 instead? With No, nothing is saved.")
            .arg(EncodingName(FScriptFormat.Encoding), QString::fromUcs4(&Text[Unencodable], 1),
                 LineAndColumnOf(Text, Unencodable));
    return Dialogs().MessageDlg(question, TMsgDlgType::mtWarning,
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TfrmMain::SetScriptFileName(const QString& FileName) {
    ScriptFileName = FileName;
    setWindowTitle(Caption(FileName));
}
