#pragma once
// ImageList1: the 16 by 16 icons of menus, toolbars, trees and combo boxes, by index.
#include <QIcon>

// Tree and combo images.
constexpr int TableImage = 1;
constexpr int ProcedureImage = 2;
constexpr int DatabaseImage = 9;
constexpr int FieldImage = 15;
constexpr int ParameterImage = 19;
constexpr int ServerImage = 21;

// Menu and toolbar images.
constexpr int NewImage = 0;
constexpr int OpenImage = 3;
constexpr int SaveImage = 4;
constexpr int PrintImage = 5;
constexpr int ExitImage = 6;
constexpr int RunImage = 7;
constexpr int CopyOverImage = 8;
constexpr int ConnectImage = 10;
constexpr int DisconnectImage = 11;
constexpr int TableMenuImage = 12;
constexpr int ProcedureMenuImage = 13;
constexpr int GuidImage = 14;
constexpr int DateTimeImage = 16;
constexpr int HistoryImage = 17;
constexpr int LogImage = 18;
constexpr int RefreshImage = 20;
constexpr int AboutImage = 22;
constexpr int ConnectionFileImage = 23;
constexpr int SaveAsImage = 24;
constexpr int CancelImage = 25;

constexpr int ImageCount = 26;

// The icon at Index; an empty icon for an index outside the list.
QIcon ImageList1(int Index);
