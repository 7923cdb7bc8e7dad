#pragma once
// The text editor control: text and line index, live ranges, formatted ranges, undo, and painting
// against a host.
#include "FormattedRanges.h"
#include "Graphics.h"
#include "Keys.h"
#include "LineCol.h"
#include "MemoComponent.h"
#include "MemoComponentStrings.h"
#include "MemoHost.h"
#include "ObjList.h"
#include "RangeCollection.h"
#include "Ranges.h"
#include "Undo.h"
