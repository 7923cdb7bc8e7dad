#pragma once
// The levels of the nodes in the schema browser's two trees (0 is the top level).

// tvTablesViews
constexpr int DatabaseLevel = 0;
constexpr int TableLevel = 1;
constexpr int FieldLevel = 2;

// tvStoredProcedures
constexpr int ProcedureLevel = 0;
constexpr int ParameterLevel = 1;
