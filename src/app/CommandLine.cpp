#include "CommandLine.h"

#include "ProgramIdentity.h"
#include "Workspace.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace {

constexpr int UsageError = 2;

TCommandLine Failure(const QString& Program, const QString& Message) {
    TCommandLine result;
    result.ExitCode = UsageError;
    result.Error =
        Program + ": " + Message + "\nTry '" + Program + " --help' for more information.\n";
    return result;
}

} // namespace

TCommandLine ParseCommandLine(const QStringList& Arguments) {
    const QString program =
        Arguments.isEmpty() ? QString("velmora2") : QFileInfo(Arguments.first()).fileName();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString("%1, a query tool for Microsoft SQL Server.\n\n"
                "The workspace holds conhist.dat, the connection files (.udl), the list of\n"
                "File > Reopen and the recovery of unsaved scripts. Without --workspace or\n"
                "--user-workspace it is the current directory.")
            .arg(ProgramName));
    const QCommandLineOption help({"h", "help"}, "Show these options and end.");
    const QCommandLineOption version("version", "Show the program's version and end.");
    const QCommandLineOption workspace(
        "workspace", "Work in <folder>, which is created, readable by you alone, if it is missing.",
        "folder");
    const QCommandLineOption userWorkspace(
        "user-workspace",
        "Work in the per-user workspace, $XDG_DATA_HOME/velmora2 (~/.local/share/velmora2 "
        "by default), as the desktop menu entry does.");
    const QCommandLineOption connect(
        "connect",
        "Connect through the connection file <file> of the workspace instead of asking in the "
        "connect dialog.",
        "file");
    const QCommandLineOption server("server", "Offer <name> as the server to connect to.", "name");
    parser.addOptions({help, version, workspace, userWorkspace, connect, server});
    parser.addPositionalArgument("script", "A script file to open, as File > Open does.",
                                 "[script]");

    const bool parsed = parser.parse(Arguments);
    if (parser.isSet(help)) {
        // Qt names the program only once an application object exists; the first line is ours.
        const QString text = parser.helpText();
        TCommandLine result;
        result.ExitCode = 0;
        result.Output = "Usage: " + program + " [options] [script]\n" + text.section('\n', 1);
        return result;
    }
    if (parser.isSet(version)) {
        TCommandLine result;
        result.ExitCode = 0;
        result.Output = QString("%1 %2\n").arg(ProgramName, ProgramVersion);
        return result;
    }
    if (!parsed)
        return Failure(program, parser.errorText());
    if (parser.isSet(workspace) && parser.value(workspace).isEmpty())
        return Failure(program, "--workspace needs a folder.");
    if (parser.isSet(workspace) && parser.isSet(userWorkspace))
        return Failure(program,
                       "--workspace and --user-workspace choose two workspaces; give one.");
    const QStringList scripts = parser.positionalArguments();
    if (scripts.size() > 1)
        return Failure(program, "Only one script can be opened; got " +
                                    QString::number(scripts.size()) + ".");

    TCommandLine result;
    result.Options = {parser.value(connect), parser.value(server), parser.value(workspace),
                      parser.isSet(userWorkspace), scripts.value(0)};
    return result;
}

std::string WorkspaceFolderOf(const TProgramOptions& Options) {
    if (!Options.Workspace.isEmpty())
        return QFile::encodeName(Options.Workspace).toStdString();
    if (Options.UserWorkspace)
        return velmora::files::UserWorkspaceFolder(std::getenv("XDG_DATA_HOME"),
                                                   std::getenv("HOME"));
    return ".";
}
