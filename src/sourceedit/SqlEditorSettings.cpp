#include "SqlEditorSettings.h"

#include "SourceEdit.h"

#include <sstream>

namespace sourceedit {

namespace {

// The words of each list, as they are stored.
constexpr const char* ReservedWords =
    "alter as backup begin bit blob by case char create currency database datetime declare delete "
    "drop else end exec execute file float for from if insert int into is memo name norows "
    "nvarchar of off on order proc procedure restore row rows select set table trigger truncate "
    "union uniqueidentifier update values varchar when where while";

constexpr const char* OperatorWords =
    "!= & | + < <= <> = =< => > >= all and between go in join not null or xor";

constexpr const char* FunctionWords =
    "@@identity @@PROCID ABS ACOS ASCII ASIN ATAN ATN2 CEILING CHARINDEX COL_LENGTH COL_NAME "
    "COLUMNPROPERTY CONVERT COS COT COUNT DATABASEPROPERTY DATABASEPROPERTYEX DATEADD DATEDIFF "
    "DATENAME DATEPART DAY DB_ID DB_NAME DEGREES DIFFERENCE Exists EXP FILE_ID FILE_NAME "
    "FILEGROUP_ID FILEGROUP_NAME FILEGROUPPROPERTY FILEPROPERTY FLOOR FULLTEXTCATALOGPROPERTY "
    "FULLTEXTSERVICEPROPERTY GetDate GETUTCDATE INDEX_COL INDEXKEY_PROPERTY INDEXPROPERTY "
    "IS_MEMBER IS_SRVROLEMEMBER IsNull LEFT LEN LOG LOG10 LOWER LTRIM MONTH OBJECT_ID "
    "OBJECT_NAME OBJECTPROPERTY PATINDEX PI POWER QUOTENAME RADIANS RAND REPLACE REPLICATE "
    "REVERSE RIGHT ROUND RTRIM SIGN SIN SOUNDEX SPACE SQL_VARIANT_PROPERTY SQRT SQUARE STR STUFF "
    "SUBSTRING SUM SUSER_ID SUSER_NAME SUSER_SID SUSER_SNAME TAN TYPEPROPERTY UNICODE UPPER USER "
    "USER_ID USER_NAME YEAR";

constexpr const char* SystemObjectWords =
    "sysaltfiles syscacheobjects syscharsets syscolumns syscomments sysconfigures syscurconfigs "
    "syscursorcolumns syscursorrefs syscursors syscursortables sysdatabases sysdepends "
    "sysdevices sysfilegroups sysfiles sysfiles1 sysforeignkeys sysfulltextcatalogs "
    "sysfulltextnotify sysindexes sysindexkeys syslanguages syslockinfo syslocks sysmembers "
    "sysmessages sysobjects sysperfinfo syspermissions sysprocesses sysproperties sysprotects "
    "sysreferences SYSREMOTE_CATALOGS SYSREMOTE_COLUMN_PRIVILEGES SYSREMOTE_COLUMNS "
    "SYSREMOTE_FOREIGN_KEYS SYSREMOTE_INDEXES SYSREMOTE_PRIMARY_KEYS SYSREMOTE_PROVIDER_TYPES "
    "SYSREMOTE_SCHEMATA SYSREMOTE_STATISTICS SYSREMOTE_TABLE_PRIVILEGES SYSREMOTE_TABLES "
    "SYSREMOTE_VIEWS sysservers systypes sysusers sysxlogins";

void AddWordList(TSyntaxColoring& Settings, const char* Caption, memo::TColor Color,
                 const char* Words) {
    TWordList& list = *Settings.WordLists().Add();
    list.SetCaption(Caption);
    list.SetCustomColor(true);
    list.SetColor(Color);
    list.SetCustomStyle(false);
    list.SetStyle(0);
    list.SetCaseSensitive(false);
    std::istringstream words(Words);
    for (std::string word; words >> word;)
        list.Words().Add(word);
}

void AddCustomStyle(TSyntaxColoring& Settings, const char* Caption, memo::TColor Color,
                    std::u32string_view BeginText, std::u32string_view EndText) {
    TCustomStyle& style = *Settings.CustomStyles().Add();
    style.SetCaption(Caption);
    style.SetCustomColor(true);
    style.SetColor(Color);
    style.SetBeginText(BeginText);
    style.SetEndText(EndText);
}

} // namespace

void LoadSqlSyntaxColoring(TSyntaxColoring& Settings) {
    Settings.BeginUpdate();
    Settings.SetEnabled(true);
    Settings.SetSymbolColor(memo::clBlack);
    Settings.SetSymbolStyle(0);
    Settings.SetSymbolCustomStyle(false);
    Settings.SetNumberColor(memo::clBlue);
    Settings.SetNumberStyle(0);
    Settings.SetNumberCustomStyle(false);
    Settings.WordLists().Clear();
    AddWordList(Settings, "SQL Reserved", memo::clBlue, ReservedWords);
    AddWordList(Settings, "SQL Operators", memo::clGray, OperatorWords);
    AddWordList(Settings, "SQL Functions", memo::clFuchsia, FunctionWords);
    AddWordList(Settings, "SQL System Objects", memo::clGreen, SystemObjectWords);
    Settings.CustomStyles().Clear();
    AddCustomStyle(Settings, "Comments", memo::clTeal, U"/*", U"*/");
    AddCustomStyle(Settings, "Strings", memo::clRed, U"'", U"'");
    Settings.ParenthesisColors().SetStrings({"$000000"});
    Settings.SetParenthesisStyle(0);
    Settings.SetParenthesisCustomStyle(false);
    Settings.EndUpdate();
}

void ApplySqlEditorSettings(TSourceEdit& Editor) {
    memo::TFont font = Editor.GetFontValue();
    font.Name = "Courier New";
    font.Height = -13; // a character height of 13 pixels
    font.Charset = memo::DEFAULT_CHARSET;
    font.Color = memo::clWindowText;
    font.Style = 0;
    Editor.SetFont(font);
    Editor.SetColor(memo::clWindow);
    Editor.SetTabSize(8);
    Editor.SetLeftMargin(2);
    Editor.SetTopMargin(0);
    Editor.SetScrollBars(memo::TScrollStyle::ssBoth);
    Editor.SetBitmapped(false);
    Editor.SetAlwaysShowCaret(false);
    Editor.SetAutoIndent(true);
    Editor.SetAutoIndentIncrease(false);
    Editor.SetAutoIndentIncreaseStart(U'{');
    Editor.SetAutoIndentIncreaseEnd(U'}');
    LoadSqlSyntaxColoring(Editor.SyntaxColoring());
}

} // namespace sourceedit
