#include "CommandLine.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TCommandLine Parse(QStringList Arguments) {
    Arguments.prepend("/usr/bin/velmora2");
    return ParseCommandLine(Arguments);
}

void ExpectMistake(const QStringList& Arguments, const QString& Message) {
    const TCommandLine command = Parse(Arguments);
    ASSERT_TRUE(command.ExitCode.has_value()) << Arguments.join(' ').toStdString();
    EXPECT_EQ(*command.ExitCode, 2);
    EXPECT_EQ(command.Error,
              "velmora2: " + Message + "\nTry 'velmora2 --help' for more information.\n");
    EXPECT_TRUE(command.Output.isEmpty());
}

} // namespace

TEST(CommandLine, VersionAndHelpAnswerAndEndEvenBesideAMistake) {
    for (const QStringList& arguments : {QStringList{"--version"}, {"--bogus", "--version"}}) {
        const TCommandLine command = Parse(arguments);
        EXPECT_EQ(command.ExitCode, 0);
        EXPECT_EQ(command.Output, "Velmora 2 2.8.6.53\n");
    }
    const TCommandLine help = Parse({"-h"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Output.startsWith("Usage: velmora2 [options] [script]\n"))
        << help.Output.toStdString();
    EXPECT_EQ(Parse({"--help", "a.sql", "b.sql"}).Output, help.Output);
}

TEST(CommandLine, HelpListsEveryOptionTheManualPageNames) {
    const QString help = Parse({"--help"}).Output;
    QFile manual(qEnvironmentVariable("VELMORA_SOURCE_DIR") + "/packaging/velmora2.1");
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly)) << manual.fileName().toStdString();
    const QString page = QString::fromUtf8(manual.readAll()).replace("\\-", "-");
    const QRegularExpression option("--[a-z-]+");
    QStringList inHelp;
    QStringList inPage;
    for (const auto& match : option.globalMatch(help))
        inHelp << match.captured();
    for (const auto& match : option.globalMatch(page))
        inPage << match.captured();
    inHelp.removeDuplicates();
    inPage.removeDuplicates();
    inHelp.sort();
    inPage.sort();
    EXPECT_EQ(inHelp, inPage);
    EXPECT_EQ(inHelp, (QStringList{"--connect", "--help", "--server", "--user-workspace",
                                   "--version", "--workspace"}));
}

TEST(CommandLine, OptionsAndTheScriptAreTakenAsGiven) {
    const TCommandLine command = Parse(
        {"--connect", "shop.udl", "--server=db1,1433", "--workspace", "/srv/sql", "orders.sql"});
    ASSERT_FALSE(command.ExitCode.has_value()) << command.Error.toStdString();
    EXPECT_EQ(command.Options.ConnectionFile, "shop.udl");
    EXPECT_EQ(command.Options.Server, "db1,1433");
    EXPECT_EQ(command.Options.Workspace, "/srv/sql");
    EXPECT_FALSE(command.Options.UserWorkspace);
    EXPECT_EQ(command.Options.ScriptFile, "orders.sql");
    EXPECT_EQ(WorkspaceFolderOf(command.Options), "/srv/sql");

    const TCommandLine plain = Parse({});
    ASSERT_FALSE(plain.ExitCode.has_value());
    EXPECT_EQ(WorkspaceFolderOf(plain.Options), "."); // started from a terminal: where it is

    const TCommandLine menu = Parse({"--user-workspace"});
    ASSERT_FALSE(menu.ExitCode.has_value());
    EXPECT_TRUE(WorkspaceFolderOf(menu.Options).ends_with("/velmora2"));
    EXPECT_NE(WorkspaceFolderOf(menu.Options), ".");
}

TEST(CommandLine, MistakesSayWhatIsWrongAndEndWithStatusTwo) {
    ExpectMistake({"--bogus"}, "Unknown option 'bogus'.");
    ExpectMistake({"--connect"}, "Missing value after '--connect'.");
    ExpectMistake({"a.sql", "b.sql"}, "Only one script can be opened; got 2.");
    ExpectMistake({"--workspace", "/a", "--user-workspace"},
                  "--workspace and --user-workspace choose two workspaces; give one.");
    ExpectMistake({"--workspace="}, "--workspace needs a folder.");
}
