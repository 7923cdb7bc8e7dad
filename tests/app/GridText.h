#pragma once
// What the result grid shows: its column titles, and the cells of a row of its window joined
// by "|".
#include "DataSetTableModel.h"

#include <QStringList>

inline QStringList GridTitles(const velmora::query::TDataSetTableModel& Grid) {
    QStringList titles;
    for (int column = 0; column < Grid.columnCount(); ++column)
        titles << Grid.headerData(column, Qt::Horizontal).toString();
    return titles;
}

inline QString GridRow(const velmora::query::TDataSetTableModel& Grid, int Row) {
    QStringList cells;
    for (int column = 0; column < Grid.columnCount(); ++column)
        cells << Grid.index(Row, column).data().toString();
    return cells.join('|');
}
