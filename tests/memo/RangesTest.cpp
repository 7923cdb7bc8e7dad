// Ranges: the adjustment rules' consequences, setters and clamps, the update bracket and its
// notifications, the selection's moves, and the owning containers they rest on.
#include "EditorFixture.h"

#include <string>
#include <vector>

namespace memo {
namespace {

using test::EditorFixture;
using Ranges = EditorFixture;

class RangesWithText : public EditorFixture {
protected:
    RangesWithText() { Editor->SetText(U"0123456789abcdef"); }
    TMCRange* Range(int Start, int End) {
        auto* r = new TMCRange(Editor->Ranges());
        r->BeginUpdate();
        r->SetRStart(Start);
        r->SetREnd(End);
        r->EndUpdate();
        return r;
    }
    void Replace(int Start, int End, std::u32string_view Text) {
        TMCRange span(Editor.get(), Start, End);
        span.SetText(Text);
    }
};

std::pair<int, int> Extent(const TCustomRange* R) {
    return {R->RStart(), R->REnd()};
}

TEST_F(RangesWithText, TypingMovesGrowsOrLeavesRanges) {
    auto* at = Range(5, 7);
    auto* before = Range(1, 4);
    auto* around = Range(3, 6);
    Editor->Selection()->CollapseTo(5);
    Editor->Selection()->SetText(U"x");
    EXPECT_EQ(Extent(at), std::make_pair(6, 8));
    EXPECT_EQ(Extent(before), std::make_pair(1, 4));
    EXPECT_EQ(Extent(around), std::make_pair(3, 7));
}

TEST_F(RangesWithText, DeletingCutsRangesAndOverwritesThoseInside) {
    auto* inside = Range(4, 6);
    auto* tail = Range(2, 5);
    auto* head = Range(5, 10);
    std::vector<TObject*> overwritten;
    for (auto* r : {inside, tail, head})
        r->SetOnOverwrite([&](TObject* sender) { overwritten.push_back(sender); });
    Replace(3, 8, U"");
    EXPECT_EQ(Extent(inside), std::make_pair(3, 2));
    EXPECT_EQ(Extent(tail), std::make_pair(2, 2));
    EXPECT_EQ(Extent(head), std::make_pair(3, 4));
    EXPECT_EQ(overwritten, std::vector<TObject*>{inside});
}

TEST_F(RangesWithText, ReplacingPullsTheStartAndMovesTheEnd) {
    auto* r = Range(4, 9);
    Replace(3, 4, U"abc");
    EXPECT_EQ(Extent(r), std::make_pair(3, 10));
}

TEST_F(RangesWithText, AnEmptyRangeAtTheInsertionPointEndsUpBehindTheText) {
    auto* caret = Range(5, 4);
    Replace(5, 4, U"xyz");
    EXPECT_EQ(Extent(caret), std::make_pair(8, 7));
}

TEST_F(RangesWithText, TheEditedRangeCoversItsNewText) {
    auto* r = Range(3, 5);
    r->SetText(U"wxyz");
    EXPECT_EQ(Extent(r), std::make_pair(3, 6));
    EXPECT_EQ(r->Text(), U"wxyz");
    Select(2, 4);
    Editor->Selection()->SetText(U"Q");
    EXPECT_EQ(Extent(Editor->Selection()), std::make_pair(3, 2));
}

TEST_F(RangesWithText, ReplacingTheWholeTextOverwritesEveryRange) {
    auto* r = Range(10, 16);
    auto* end = Range(17, 16);
    int overwrites = 0;
    r->SetOnOverwrite([&](TObject*) { ++overwrites; });
    end->SetOnOverwrite([&](TObject*) { ++overwrites; });
    Editor->SetText(U"short");
    EXPECT_EQ(Extent(r), std::make_pair(1, 0));
    EXPECT_EQ(Extent(end), std::make_pair(1, 0));
    EXPECT_EQ(overwrites, 2);
    EXPECT_EQ(Extent(Editor->WholeText()), std::make_pair(1, 5));
}

TEST_F(RangesWithText, ChangeNotificationsFireOncePerEditInReverseCollectionOrder) {
    std::vector<std::string> events;
    auto* first = Range(1, 2);
    auto* far = Range(14, 15);
    first->SetOnChange([&](TObject*) { events.push_back("first"); });
    far->SetOnChange([&](TObject*) { events.push_back("far"); });
    Replace(8, 8, U"");
    EXPECT_EQ(events, (std::vector<std::string>{"far", "first"}));
    events.clear();
    first->SetOnChange(nullptr);
    Replace(8, 7, U"x");
    EXPECT_EQ(events, std::vector<std::string>{"far"});
}

TEST_F(RangesWithText, ARangeFreedByAnotherRangesNotificationIsNotVisited) {
    auto* later = Range(2, 3);
    auto* victim = Range(1, 9);
    auto* killer = Range(12, 13);
    (void)later;
    int victimChanges = 0;
    victim->SetOnChange([&](TObject*) { ++victimChanges; });
    killer->SetOnChange([&](TObject*) {
        delete victim;
        victim = nullptr;
    });
    Replace(5, 5, U"");
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(victimChanges, 0);
    EXPECT_EQ(Editor->Ranges()->Count(), 4);
}

// A descendant that keeps a count of its own changes, also of edits that do not move it.
class CountingRange : public TMCRange {
public:
    explicit CountingRange(TMCRanges* Collection) : TMCRange(Collection) { ObserveEveryEdit(); }
    int Changes = 0;

protected:
    void Changed() override {
        TMCRange::Changed();
        ++Changes;
    }
};

TEST_F(RangesWithText, ADescendantCanAskToSeeEveryEdit) {
    auto* counting = new CountingRange(Editor->Ranges());
    Replace(10, 10, U"");
    Replace(12, 11, U"zz");
    EXPECT_EQ(counting->Changes, 2);
}

TEST_F(RangesWithText, SettersClampToTheText) {
    auto* r = Range(1, 0);
    r->SetRStart(-5);
    EXPECT_EQ(Extent(r), std::make_pair(1, 0));
    r->SetREnd(1000);
    EXPECT_EQ(Extent(r), std::make_pair(1, 16));
    r->SetRStart(100);
    EXPECT_EQ(Extent(r), std::make_pair(17, 16));
    r->SetREnd(3);
    EXPECT_EQ(Extent(r), std::make_pair(17, 16));
    r->SetRLength(INT_MAX);
    EXPECT_EQ(r->RLength(), 0);
    TMCRange loose;
    loose.SetRStart(50);
    loose.SetRLength(10);
    EXPECT_EQ(Extent(&loose), std::make_pair(50, 59));
    EXPECT_EQ(loose.Text(), U"");
}

TEST_F(RangesWithText, TheUpdateBracketAnnouncesOnceAtTheOutermostEnd) {
    auto* r = Range(1, 1);
    int changes = 0;
    r->SetOnChange([&](TObject*) { ++changes; });
    r->BeginUpdate();
    r->SetRStart(3);
    r->SetREnd(6);
    r->BeginUpdate();
    r->EndUpdate();
    EXPECT_EQ(changes, 0);
    r->EndUpdate();
    EXPECT_EQ(changes, 1);
    r->BeginUpdate();
    r->SetREnd(8);
    r->CancelUpdate();
    EXPECT_EQ(changes, 1);
    r->EndUpdate(); // unbalanced: nothing happens
    r->SetREnd(9);
    EXPECT_EQ(changes, 2);
}

TEST_F(RangesWithText, AssigningCopiesTheExtentInOneChange) {
    auto* source = Range(4, 7);
    auto* dest = Range(1, 1);
    int changes = 0;
    dest->SetOnChange([&](TObject*) { ++changes; });
    dest->Assign(source);
    EXPECT_EQ(Extent(dest), std::make_pair(4, 7));
    EXPECT_EQ(changes, 1);
    TOwnedPersistent notARange(nullptr);
    try {
        notARange.Assign(source);
        FAIL() << "assigning a range to a non-range must fail";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TMCRange to a TOwnedPersistent");
    }
}

TEST_F(RangesWithText, WholeTextAlwaysCoversTheText) {
    EXPECT_EQ(Extent(Editor->WholeText()), std::make_pair(1, 16));
    Replace(1, 3, U"");
    EXPECT_EQ(Extent(Editor->WholeText()), std::make_pair(1, 13));
    TWholeTextRange detached;
    EXPECT_EQ(Extent(&detached), std::make_pair(1, 0));
}

TEST_F(RangesWithText, RangesWithoutAnEditorAnswerNeutrally) {
    TMCRange loose;
    TLineCol lc;
    loose.GetStartLineCol(lc);
    EXPECT_EQ(lc, LineCol(1, 1));
    loose.GetEndLineCol(lc);
    EXPECT_EQ(lc, LineCol(1, 0));
    TPoint p{5, 5};
    loose.GetEndPoint(p);
    EXPECT_EQ(p, TPoint{});
    loose.SetText(U"ignored");
    loose.Paint();
    loose.MakeVisible(4);
    TSelectionRange selection(nullptr);
    EXPECT_EQ(selection.CaretDisplayCol(), 1);
}

TEST_F(RangesWithText, ShiftMovesMakeTheSelectionBackwardsAndForwardAgain) {
    auto* sel = Editor->Selection();
    sel->CollapseTo(5);
    sel->ExtendTo(4); // Shift+Left from an empty selection
    EXPECT_TRUE(sel->Backwards());
    EXPECT_EQ(Extent(sel), std::make_pair(4, 4));
    EXPECT_EQ(sel->CaretPos(), 4);
    sel->ExtendTo(5);
    sel->ExtendTo(6); // Shift+Right back over the anchor
    EXPECT_FALSE(sel->Backwards());
    EXPECT_EQ(Extent(sel), std::make_pair(5, 5));
    EXPECT_EQ(sel->CaretPos(), 6);
}

TEST_F(RangesWithText, SelectionAssignmentCopiesBackwards) {
    auto* sel = Editor->Selection();
    sel->CollapseTo(6);
    sel->ExtendTo(2);
    TSelectionRange copy(nullptr);
    copy.SetEditor(Editor.get());
    copy.Assign(sel);
    EXPECT_TRUE(copy.Backwards());
    EXPECT_EQ(Extent(&copy), std::make_pair(2, 5));
}

TEST_F(RangesWithText, CharColForLineSendsMovesPastTheEndsToTheTextsEnds) {
    Editor->SetText(U"abcdef\r\nab\r\nabcdef");
    auto* sel = Editor->Selection();
    sel->CollapseTo(Editor->LineColToPos(1, 5));
    EXPECT_EQ(sel->CaretDisplayCol(), 5);
    EXPECT_EQ(sel->CharColForLine(2), 3);
    EXPECT_EQ(sel->CharColForLine(3), 5);
    EXPECT_EQ(sel->CharColForLine(0), -1);
    EXPECT_EQ(sel->CharColForLine(4), -1);
}

TEST(ObjectContainer, OwnsItsItemsAndNotifiesThemFromTheLast) {
    std::vector<int> order;
    {
        TObjectContainer container(nullptr);
        auto* first = new TContainerItem(&container);
        auto* second = new TContainerItem(&container);
        auto* third = new TContainerItem(&container);
        int index = 0;
        for (auto* item : {first, second, third}) {
            int mine = index++;
            item->SetOnNotify([&order, mine](TObject*, void* param, int value) {
                EXPECT_EQ(param, nullptr);
                EXPECT_EQ(value, 7);
                order.push_back(mine);
            });
        }
        container.Notify(nullptr, 7);
        EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
        delete second;
        EXPECT_EQ(container.Count(), 2);
        EXPECT_EQ(container.Items(1), third);
        EXPECT_EQ(container.Items(2), nullptr);
    }
    TPersistent owner;
    TOwnedPersistent owned(&owner);
    EXPECT_EQ(owned.GetOwner(), &owner);
}

TEST_F(Ranges, TheCollectionKeepsOrderThroughManyRemovals) {
    TMemoComponent small(&Host, 2); // chunks of four
    small.SetText(std::u32string(100, U'x'));
    std::vector<TMCRange*> ranges;
    for (int i = 0; i < 60; ++i) {
        auto* r = new TMCRange(small.Ranges());
        r->SetRStart(i + 1);
        r->SetREnd(i + 1);
        ranges.push_back(r);
    }
    for (int i = 0; i < 60; ++i)
        if (i % 5 != 0) {
            delete ranges[static_cast<size_t>(i)];
            ranges[static_cast<size_t>(i)] = nullptr;
        }
    std::erase(ranges, nullptr);
    ASSERT_EQ(small.Ranges()->Count(), 2 + 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(small.Ranges()->Items(2 + i), ranges[static_cast<size_t>(i)]);
    TMCRange edit(&small, 1, 0);
    edit.SetText(U"yy");
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(ranges[static_cast<size_t>(i)]->RStart(), 5 * i + 3);
}

} // namespace
} // namespace memo
