#pragma once
// The source editor: colouring settings with word lists and delimited styles, the syntax chain of
// lexical ranges and its scanner, and the editor control that paints with them.
#include "CharClasses.h"
#include "CustomStyles.h"
#include "SourceEdit.h"
#include "SqlEditorSettings.h"
#include "SyntaxChain.h"
#include "SyntaxColoring.h"
#include "SyntaxRanges.h"
#include "SyntaxToken.h"
#include "WordLists.h"
