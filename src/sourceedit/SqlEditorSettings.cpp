#include "SqlEditorSettings.h"

#include "SourceEdit.h"

#include <sstream>

namespace sourceedit {

namespace {

// The words of each list, as they are stored, and the Transact-SQL words each gains: the reserved
// keywords, the system data types and the words of everyday statements go with the keywords, the
// logical operators with the operators, the built-in functions (also those the server reserves as
// keywords, such as COALESCE and NULLIF) with the functions. A word already stored keeps its list.
constexpr const char* ReservedWords =
    "alter as backup begin bit blob by case char create currency database datetime declare delete "
    "drop else end exec execute file float for from if insert int into is memo name norows "
    "nvarchar of off on order proc procedure restore row rows select set table trigger truncate "
    "union uniqueidentifier update values varchar when where while";

constexpr const char* TransactSqlKeywords =
    "ADD ASC AUTHORIZATION BREAK BROWSE BULK CASCADE CHECK CHECKPOINT CLOSE CLUSTERED COLLATE "
    "COLUMN COMMIT COMPUTE CONSTRAINT CONTAINS CONTAINSTABLE CONTINUE CROSS CURRENT CURSOR DBCC "
    "DEALLOCATE DEFAULT DENY DESC DISK DISTINCT DISTRIBUTED DOUBLE DUMP ERRLVL ESCAPE EXCEPT EXIT "
    "EXTERNAL FETCH FILLFACTOR FOREIGN FREETEXT FREETEXTTABLE FULL FUNCTION GOTO GRANT GROUP "
    "HAVING HOLDLOCK IDENTITY IDENTITY_INSERT IDENTITYCOL INDEX INNER INTERSECT KEY KILL LINENO "
    "LOAD MERGE NATIONAL NOCHECK NONCLUSTERED OFFSETS OPEN OPENDATASOURCE OPENQUERY OPENROWSET "
    "OPENXML OPTION OUTER OVER PERCENT PIVOT PLAN PRECISION PRIMARY PRINT PUBLIC RAISERROR READ "
    "READTEXT RECONFIGURE REFERENCES REPLICATION RESTRICT RETURN REVERT REVOKE ROLLBACK ROWCOUNT "
    "ROWGUIDCOL RULE SAVE SCHEMA SECURITYAUDIT SEMANTICKEYPHRASETABLE "
    "SEMANTICSIMILARITYDETAILSTABLE SEMANTICSIMILARITYTABLE SETUSER SHUTDOWN STATISTICS "
    "TABLESAMPLE TEXTSIZE THEN TO TOP TRAN TRANSACTION TSEQUAL UNIQUE UNPIVOT UPDATETEXT USE "
    "VARYING VIEW WAITFOR WITH WITHIN WRITETEXT "
    // system data types
    "BIGINT BINARY CURSOR DATE DATETIME2 DATETIMEOFFSET DECIMAL GEOGRAPHY GEOMETRY HIERARCHYID "
    "IMAGE MONEY NCHAR NTEXT NUMERIC REAL ROWVERSION SMALLDATETIME SMALLINT SMALLMONEY "
    "SQL_VARIANT SYSNAME TEXT TIME TIMESTAMP TINYINT VARBINARY XML "
    // everyday words of statements that the server does not reserve
    "ANSI_NULLS ANSI_PADDING ANSI_WARNINGS ARITHABORT CATCH CONCAT_NULL_YIELDS_NULL NEXT NOCOUNT "
    "NUMERIC_ROUNDABORT OFFSET ONLY OUTPUT PARTITION QUOTED_IDENTIFIER RETURNS THROW TRY "
    "XACT_ABORT";

constexpr const char* OperatorWords =
    "!= & | + < <= <> = =< => > >= all and between go in join not null or xor";

constexpr const char* TransactSqlOperators = "ANY LIKE SOME";

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

constexpr const char* TransactSqlFunctions =
    // system functions of the @@ kind
    "@@CONNECTIONS @@CPU_BUSY @@CURSOR_ROWS @@DATEFIRST @@DBTS @@ERROR @@FETCH_STATUS @@IDLE "
    "@@IO_BUSY @@LANGID @@LANGUAGE @@LOCK_TIMEOUT @@MAX_CONNECTIONS @@MAX_PRECISION @@NESTLEVEL "
    "@@OPTIONS @@PACK_RECEIVED @@PACK_SENT @@PACKET_ERRORS @@REMSERVER @@ROWCOUNT @@SERVERNAME "
    "@@SERVICENAME @@SPID @@TEXTSIZE @@TIMETICKS @@TOTAL_ERRORS @@TOTAL_READ @@TOTAL_WRITE "
    "@@TRANCOUNT @@VERSION "
    // aggregate, ranking and analytic functions
    "APPROX_COUNT_DISTINCT AVG CHECKSUM_AGG COUNT_BIG CUME_DIST DENSE_RANK FIRST_VALUE GROUPING "
    "GROUPING_ID LAG LAST_VALUE LEAD MAX MIN NTILE PERCENT_RANK PERCENTILE_CONT PERCENTILE_DISC "
    "RANK ROW_NUMBER STDEV STDEVP STRING_AGG VAR VARP "
    // conversion, logical and date functions
    "CAST CHOOSE COALESCE GREATEST IIF LEAST NULLIF PARSE TRY_CAST TRY_CONVERT TRY_PARSE "
    "CURRENT_DATE CURRENT_TIMESTAMP CURRENT_TIMEZONE CURRENT_TIMEZONE_ID DATE_BUCKET "
    "DATEDIFF_BIG DATEFROMPARTS DATETIME2FROMPARTS DATETIMEFROMPARTS DATETIMEOFFSETFROMPARTS "
    "DATETRUNC EOMONTH ISDATE SMALLDATETIMEFROMPARTS SWITCHOFFSET SYSDATETIME SYSDATETIMEOFFSET "
    "SYSUTCDATETIME TIMEFROMPARTS TODATETIMEOFFSET "
    // string, JSON and system functions
    "CONCAT CONCAT_WS FORMAT STRING_ESCAPE STRING_SPLIT TRANSLATE TRIM ISJSON JSON_ARRAY "
    "JSON_MODIFY JSON_OBJECT JSON_QUERY JSON_VALUE OPENJSON APP_NAME BINARY_CHECKSUM CHECKSUM "
    "COMPRESS CONNECTIONPROPERTY CONTEXT_INFO CURRENT_REQUEST_ID CURRENT_TRANSACTION_ID "
    "CURRENT_USER DATALENGTH DECOMPRESS ERROR_LINE ERROR_MESSAGE ERROR_NUMBER ERROR_PROCEDURE "
    "ERROR_SEVERITY ERROR_STATE FORMATMESSAGE GETANSINULL HAS_PERMS_BY_NAME HOST_ID HOST_NAME "
    "IDENT_CURRENT IDENT_INCR IDENT_SEED IS_ROLEMEMBER ISNUMERIC NEWID NEWSEQUENTIALID "
    "OBJECT_DEFINITION OBJECT_SCHEMA_NAME ORIGINAL_LOGIN ROWCOUNT_BIG SCHEMA_ID SCHEMA_NAME "
    "SCOPE_IDENTITY SERVERPROPERTY SESSION_CONTEXT SESSION_USER SYSTEM_USER TYPE_ID TYPE_NAME "
    "XACT_STATE";

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

// Adds the words that no list holds yet.
void AddWords(const TWordLists& Lists, TWordList& List, const char* Words) {
    std::istringstream words(Words);
    for (std::string word; words >> word;)
        if (Lists.FindWordList(word) == nullptr)
            List.Words().Add(word);
}

TWordList& AddWordList(TSyntaxColoring& Settings, const char* Caption, memo::TColor Color,
                       const char* Words) {
    TWordList& list = *Settings.WordLists().Add();
    list.SetCaption(Caption);
    list.SetCustomColor(true);
    list.SetColor(Color);
    list.SetCustomStyle(false);
    list.SetStyle(0);
    list.SetCaseSensitive(false);
    AddWords(Settings.WordLists(), list, Words);
    return list;
}

TCustomStyle& AddCustomStyle(TSyntaxColoring& Settings, const char* Caption,
                             std::u32string_view BeginText, std::u32string_view EndText) {
    TCustomStyle& style = *Settings.CustomStyles().Add();
    style.SetCaption(Caption);
    style.SetCustomColor(false);
    style.SetBeginText(BeginText);
    style.SetEndText(EndText);
    return style;
}

TCustomStyle& AddCustomStyle(TSyntaxColoring& Settings, const char* Caption, memo::TColor Color,
                             std::u32string_view BeginText, std::u32string_view EndText) {
    TCustomStyle& style = AddCustomStyle(Settings, Caption, BeginText, EndText);
    style.SetCustomColor(true);
    style.SetColor(Color);
    return style;
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
    Settings.SetTokenRules(TTokenRules::trTransactSql);
    Settings.WordLists().Clear();
    TWordList& reserved = AddWordList(Settings, "SQL Reserved", memo::clBlue, ReservedWords);
    TWordList& operators = AddWordList(Settings, "SQL Operators", memo::clGray, OperatorWords);
    TWordList& functions = AddWordList(Settings, "SQL Functions", memo::clFuchsia, FunctionWords);
    AddWordList(Settings, "SQL System Objects", memo::clGreen, SystemObjectWords);
    // Functions first: a built-in function that the server also reserves stays a function.
    AddWords(Settings.WordLists(), functions, TransactSqlFunctions);
    AddWords(Settings.WordLists(), operators, TransactSqlOperators);
    AddWords(Settings.WordLists(), reserved, TransactSqlKeywords);
    // "go" stays an operator word where it is not alone on its line.
    TWordList& separator = AddWordList(Settings, "SQL Batch Separator", memo::clBlue, "");
    separator.Words().Add("GO");
    separator.SetAloneOnLine(true);
    separator.SetCustomStyle(true);
    separator.SetStyle(memo::fsBold);
    Settings.CustomStyles().Clear();
    AddCustomStyle(Settings, "Comments", memo::clTeal, U"/*", U"*/").SetNested(true);
    // A quote written twice is a quote inside the string: 'it''s' is one string.
    AddCustomStyle(Settings, "Strings", memo::clRed, U"'", U"'").SetDoubledEnd(true);
    AddCustomStyle(Settings, "Line Comments", memo::clTeal, U"--", U"#13");
    AddCustomStyle(Settings, "Unicode Strings", memo::clRed, U"N'", U"'").SetDoubledEnd(true);
    AddCustomStyle(Settings, "Unicode Strings", memo::clRed, U"n'", U"'").SetDoubledEnd(true);
    // Delimited names keep the editor's colour: a keyword inside one is a name.
    AddCustomStyle(Settings, "Bracketed Names", U"[", U"]").SetDoubledEnd(true);
    AddCustomStyle(Settings, "Quoted Names", U"\"", U"\"").SetDoubledEnd(true);
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
