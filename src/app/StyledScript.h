#pragma once
// The script as the printer takes it: its fixed-pitch font, its tab size, and each line as runs of
// text that share a colour and a style.
#include <QColor>
#include <QFont>
#include <functional>
#include <string>
#include <vector>

struct TStyledRun {
    std::u32string Text; // tabs as they are, no line break
    QColor Color;
    bool Bold = false;
    bool Italic = false;
};

using TStyledLine = std::vector<TStyledRun>;

struct TStyledScript {
    QFont Font; // fixed-pitch, with its size in pixels on the screen
    int TabSize = 8;
    int LineCount = 0;
    std::function<TStyledLine(int Index)> Line;    // Index 0-based
    std::function<std::u32string(int Index)> Text; // the same line's characters alone
};
