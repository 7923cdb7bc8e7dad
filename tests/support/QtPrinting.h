#pragma once
// Readable failure messages for Qt values in GoogleTest assertions.
#include <QPoint>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& Text, std::ostream* Out) {
    *Out << '"' << Text.toStdString() << '"';
}

inline void PrintTo(const QStringList& List, std::ostream* Out) {
    *Out << "{";
    for (qsizetype i = 0; i < List.size(); ++i)
        *Out << (i > 0 ? ", \"" : "\"") << List[i].toStdString() << '"';
    *Out << "}";
}

inline void PrintTo(const QPoint& Point, std::ostream* Out) {
    *Out << "(" << Point.x() << ", " << Point.y() << ")";
}
