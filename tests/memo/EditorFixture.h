#pragma once
// An editor on a recording host: 50 columns of 8 pixels and 10 lines of 16 pixels.
#include "MemoComponentUnit.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>
#include <memory>

namespace memo::test {

class EditorFixture : public ::testing::Test {
protected:
    EditorFixture() : Editor(std::make_unique<TMemoComponent>(&Host)) {
        Editor->UpdateFontMetrics();
    }

    void Type(std::u32string_view Text) {
        for (char32_t c : Text)
            Editor->Selection()->SetText(std::u32string(1, c));
    }
    void Select(int Start, int End) {
        Editor->Selection()->BeginUpdate();
        Editor->Selection()->SetRStart(Start);
        Editor->Selection()->SetREnd(End);
        Editor->Selection()->EndUpdate();
    }

    RecordingHost Host;
    std::unique_ptr<TMemoComponent> Editor;
};

} // namespace memo::test
