// The program's file dialogs shown for real (offscreen) and driven from a timer: they never read
// the files they list, an Open dialog takes a name as typed, and a Save dialog adds its suffix.
#include "Dialogs.h"
#include "TestFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// The files directly in a folder that were opened or read since the watch began (folders left
// out), as the kernel reports them.
class TFileAccessWatch {
public:
    explicit TFileAccessWatch(const std::string& Folder)
        : FHandle(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (FHandle < 0 || inotify_add_watch(FHandle, Folder.c_str(), IN_OPEN | IN_ACCESS) < 0)
            ADD_FAILURE() << "cannot watch " << Folder;
    }
    ~TFileAccessWatch() { ::close(FHandle); }
    TFileAccessWatch(const TFileAccessWatch&) = delete;
    TFileAccessWatch& operator=(const TFileAccessWatch&) = delete;

    std::set<std::string> Touched() {
        alignas(inotify_event) char buffer[8192];
        for (ssize_t got; (got = ::read(FHandle, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && (event->mask & IN_ISDIR) == 0)
                    FTouched.insert(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return FTouched;
    }

private:
    int FHandle;
    std::set<std::string> FTouched;
};

class FileDialogsTest : public testing::Test {
protected:
    // Shows Dialog through the real dialog service; Script gets the dialog once it shows. A
    // message box over it is noted and closed, and a dialog still open after Script and its
    // messages is cancelled, so that no mistake leaves the test waiting.
    bool Run(TFileDialog& Dialog, const std::function<void(QFileDialog&)>& Script) {
        bool scripted = false;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                Messages.push_back(box->text());
                box->reject();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                if (scripted)
                    return dialog->reject();
                scripted = true;
                // Queued: what Script starts may wait for this timer, which does not fire again
                // while its own handler runs.
                QTimer::singleShot(0, dialog, [&Script, dialog] { Script(*dialog); });
            }
        });
        timer.start();
        return Dialog.Execute();
    }

    TFileDialog OpenDialog() const {
        return {TFileDialog::TKind::Open, "Open File", Filter, "sql", {}, 1};
    }

    const QString Filter = "SQL files (*.sql)|*.sql|All Files (*.*)|*.*";
    TTestFolder Folder;
    QStringList Messages;
};

// Waits, boundedly, until the dialog's model knows the type of each of Names in Folder.
void WaitForTypes(QFileDialog& Dialog, const std::filesystem::path& Folder,
                  const std::vector<std::string>& Names) {
    auto* model = Dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    QElapsedTimer waited;
    waited.start();
    for (bool known = false; !known && waited.elapsed() < 10000;) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        known = true;
        for (const std::string& name : Names) {
            const QModelIndex index =
                model->index(QString::fromStdString((Folder / name).string()));
            known = known && index.isValid() && !model->type(index).isEmpty() &&
                    !model->data(index, Qt::DecorationRole).isNull();
        }
    }
}

} // namespace

TEST_F(FileDialogsTest, ListingAFolderNeverReadsItsFiles) {
    // Content that a type guess would read: a PDF without an extension, a script, a folder.
    Folder.Put("report", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n");
    Folder.Put("script.sql", "select 1\r\n");
    std::filesystem::create_directory(Folder.Path() / "sub");
    TFileAccessWatch watch(Folder.Path().string());
    TFileDialog dialog = OpenDialog();
    dialog.FileName = QString::fromStdString(Folder.PathOf("script.sql"));
    Run(dialog, [&](QFileDialog& Shown) {
        // Typing a folder's path, as a user does, lists it in the completer too.
        if (auto* name = Shown.findChild<QLineEdit*>("fileNameEdit"))
            name->setText(QString::fromStdString(Folder.Path().string() + "/"));
        WaitForTypes(Shown, Folder.Path(), {"report", "script.sql", "sub"});
        Shown.reject();
    });
    EXPECT_EQ(watch.Touched(), std::set<std::string>{});
    EXPECT_EQ(Messages.join("\n").toStdString(), "");
}

TEST_F(FileDialogsTest, OpenTakesANameAsTypedAndSaveAddsItsSuffix) {
    Folder.Put("noext", "select 1");
    TFileDialog open = OpenDialog();
    open.FileName = QString::fromStdString(Folder.PathOf("noext"));
    EXPECT_TRUE(Run(open, [](QFileDialog& Shown) { static_cast<QDialog&>(Shown).accept(); }));
    EXPECT_EQ(open.FileName.toStdString(), Folder.PathOf("noext"));
    EXPECT_EQ(Messages.join("\n").toStdString(), "");

    TFileDialog save = {TFileDialog::TKind::Save, "Save File", Filter, "sql", {}, 0};
    save.FileName = QString::fromStdString(Folder.PathOf("fresh"));
    EXPECT_TRUE(Run(save, [](QFileDialog& Shown) { static_cast<QDialog&>(Shown).accept(); }));
    EXPECT_EQ(save.FileName.toStdString(), Folder.PathOf("fresh.sql"));
    EXPECT_EQ(Messages.join("\n").toStdString(), "");
}
