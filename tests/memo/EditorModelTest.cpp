// Long random sequences of edits, selections, range changes, undo and redo, compared after every
// operation with a naive model: the text as a plain string, line starts recounted, every range
// adjusted by the literal rules on a plain list, and the notifications those rules raise.
#include "MemoComponentUnit.h"
#include "RecordingHost.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace memo {
namespace {

// The naive reference. Ranges are (start, end) pairs in collection order, set through the same
// clamping setters as TMCRange, adjusted one by one from the last to the first.
struct Model {
    struct Range {
        int Id;
        int Start = 1, End = 0;
        bool Observed = false;
        bool FreeOnOverwrite = false;
    };

    std::u32string Text;
    std::vector<Range> Ranges; // collection order
    int SelStart = 1, SelEnd = 0;
    int TabSize = 2;
    std::vector<std::string> Events;

    int Length() const { return static_cast<int>(Text.size()); }

    void SetEnd(int& start, int& end, int value) const {
        end = std::max(value, start - 1);
        end = std::min(end, Length());
    }
    void SetStart(int& start, int& end, int value) const {
        start = std::min(std::max(value, 1), Length() + 1);
        SetEnd(start, end, end);
    }

    std::vector<int> LineStarts() const {
        std::vector<int> starts{1};
        for (size_t i = 0; i + 1 < Text.size(); ++i)
            if (Text[i] == U'\r' && Text[i + 1] == U'\n')
                starts.push_back(static_cast<int>(i) + 3);
        return starts;
    }

    int MaxLineWidth() const {
        int best = 0, j = 0;
        for (size_t i = 0; i < Text.size(); ++i) {
            if (Text[i] == U'\r' && i + 1 < Text.size() && Text[i + 1] == U'\n') {
                best = std::max(best, j);
                j = 0;
                ++i;
                continue;
            }
            j = Text[i] == U'\t' && TabSize > 1 ? TabSize * (j / TabSize + 1) : j + 1;
        }
        return std::max(best, j);
    }

    // Adjusts one range by the literal rules; true when it was overwritten and is now empty.
    bool Adjust(int& start, int& end, int S, int F, int D) const {
        bool overwritten = false;
        auto cutEnd = [&] {
            if (start > S)
                SetStart(start, end, S);
            SetEnd(start, end, S - 1);
            overwritten = true;
        };
        auto moveStart = [&] {
            if (S <= start && start <= F) {
                SetStart(start, end, S);
                overwritten = true;
            } else if (start > F) {
                SetStart(start, end, start + D);
            }
        };
        if (D > 0) {
            if (S <= end && end <= F)
                cutEnd();
            else if (end > F)
                SetEnd(start, end, end + D);
            moveStart();
        } else {
            int oldEnd = end;
            moveStart();
            if (S <= oldEnd && oldEnd <= F)
                cutEnd();
            else if (oldEnd > F)
                SetEnd(start, end, oldEnd + D);
        }
        return overwritten && end - start + 1 < 1;
    }

    // One edit of S … F (already widened to whole line breaks) by NewText. EditedId: a range's
    // id, SelectionId, or OtherId for a range outside the collection.
    static constexpr int SelectionId = -1;
    static constexpr int OtherId = -2;
    void Edit(int S, int F, const std::u32string& NewText, int EditedId) {
        int L = static_cast<int>(NewText.size());
        int D = L - (F - S + 1);
        Text.replace(static_cast<size_t>(S - 1), static_cast<size_t>(F - S + 1), NewText);
        for (int i = static_cast<int>(Ranges.size()) - 1; i >= 0; --i) {
            Range& r = Ranges[static_cast<size_t>(i)];
            if (r.Id == EditedId)
                continue;
            bool overwrite = Adjust(r.Start, r.End, S, F, D);
            if (r.Observed)
                Events.push_back("change " + std::to_string(r.Id));
            if (overwrite) {
                Events.push_back("overwrite " + std::to_string(r.Id));
                if (r.FreeOnOverwrite)
                    Ranges.erase(Ranges.begin() + i);
            }
        }
        if (EditedId != SelectionId)
            Adjust(SelStart, SelEnd, S, F, D);
        if (EditedId == SelectionId) {
            SetStart(SelStart, SelEnd, S + L);
            SetEnd(SelStart, SelEnd, S + L - 1);
        } else if (EditedId >= 0) {
            Range* r = Find(EditedId);
            if (r->Start != S) {
                // The edit was widened to a whole line break.
                SetStart(r->Start, r->End, S);
                if (r->Observed)
                    Events.push_back("change " + std::to_string(r->Id));
            }
            SetEnd(r->Start, r->End, S + L - 1);
            if (r->Observed)
                Events.push_back("change " + std::to_string(r->Id));
        }
    }

    Range* Find(int Id) {
        for (auto& r : Ranges)
            if (r.Id == Id)
                return &r;
        return nullptr;
    }
};

// A range that keeps its positions itself: the collection cannot bound it, so it is visited by
// the literal rules on every edit, interleaved with the ranges the collection bounds.
class PlainRange : public TCustomRange {
public:
    explicit PlainRange(TMCRanges* Collection) : TCustomRange(Collection) {}
    int GetRStart() const override { return FStart; }
    int GetREnd() const override { return FEnd; }
    void SetRStart(int Value) override {
        BeginUpdate();
        FStart = std::max(Value, 1);
        if (Editor() && FStart > Editor()->TextLength() + 1)
            FStart = Editor()->TextLength() + 1;
        SetREnd(FEnd);
        EndUpdate();
    }
    void SetREnd(int Value) override {
        BeginUpdate();
        FEnd = std::max(Value, FStart - 1);
        if (Editor() && FEnd > Editor()->TextLength())
            FEnd = Editor()->TextLength();
        EndUpdate();
    }

private:
    int FStart = 1;
    int FEnd = 0;
};

// The editor under test reports every edit to the model, which then applies it on its own.
class ModelledEditor : public TMemoComponent {
public:
    ModelledEditor(TMemoHost* Host, int ChunkShift, Model& M)
        : TMemoComponent(Host, ChunkShift), FModel(M) {}
    int EditedId = Model::OtherId;
    int Edits = 0;

protected:
    void TextReplaced(int Start, int OldLength, int NewLength) override {
        ++Edits;
        std::u32string inserted = Chars(Start, Start + NewLength - 1);
        FModel.Edit(Start, Start + OldLength - 1, inserted, EditedId);
    }

private:
    Model& FModel;
};

class EditorModel {
public:
    EditorModel(unsigned Seed, int ChunkShift)
        : FRandom(Seed), FEditor(std::make_unique<ModelledEditor>(&FHost, ChunkShift, FModel)) {
        FEditor->UpdateFontMetrics();
    }
    ~EditorModel() {
        FRanges.clear();
        FEditor.reset();
    }

    void Run(int Operations) {
        for (int op = 0; op < Operations; ++op) {
            Step();
            Compare(op);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }

    void UndoAllAndRedoAll(const std::u32string& FirstText) {
        std::u32string last = FEditor->GetText();
        while (FEditor->CanUndo()) {
            SyncSelectionAround([&] { FEditor->Undo(); });
            Compare(-1);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        EXPECT_TRUE(FEditor->GetText() == FirstText) << "undoing everything";
        while (FEditor->CanRedo()) {
            SyncSelectionAround([&] { FEditor->Redo(); });
            Compare(-1);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        EXPECT_TRUE(FEditor->GetText() == last) << "redoing everything";
    }

    std::u32string Text() const { return FEditor->GetText(); }
    TMemoComponent& Editor() { return *FEditor; }

private:
    int Pick(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(FRandom); }
    bool Chance(int Percent) { return Pick(1, 100) <= Percent; }

    std::u32string RandomText(int MaxLength) {
        static const char32_t alphabet[] = {U'a',  U'b', U' ',        U'\t', U'\r', U'\n',
                                            U'\0', U'é', U'\x10FFFF', U'x',  U';',  U'z'};
        std::u32string s;
        int n = Pick(0, MaxLength);
        for (int i = 0; i < n; ++i)
            s += alphabet[Pick(0, static_cast<int>(std::size(alphabet)) - 1)];
        return s;
    }

    int RandomPos() { return Pick(-2, FEditor->TextLength() + 3); }

    // Mirrors the edit primitive's clamping and its widening to whole line breaks.
    std::pair<int, int> Span(int Start, int End) const {
        int len = FEditor->TextLength();
        int s = std::clamp(Start, 1, len + 1);
        int f = std::clamp(End, s - 1, len);
        auto at = [&](int p) {
            return p >= 1 && p <= len ? FModel.Text[static_cast<size_t>(p - 1)] : U'\0';
        };
        auto splits = [&](int p) { return at(p - 1) == U'\r' && at(p) == U'\n'; };
        if (f < s) {
            if (splits(s)) {
                --s;
                --f;
            }
        } else {
            if (splits(s))
                --s;
            if (splits(f + 1))
                ++f;
        }
        return {s, f};
    }

    template <class Fn>
    void SyncSelectionAround(Fn Action) {
        FEditor->EditedId = Model::OtherId;
        Action();
        FModel.SelStart = FEditor->Selection()->RStart();
        FModel.SelEnd = FEditor->Selection()->REnd();
    }

    // 2 for a line break character at Pos, else 1.
    int BreakWidth(int Pos) const {
        char32_t c = FEditor->CharAt(Pos);
        return c == U'\r' || c == U'\n' ? 2 : 1;
    }

    // Widens the selection without announcing it, as the delete keys do, then deletes it.
    void DeleteQuietlyWidened(int Start, int End) {
        auto* sel = FEditor->Selection();
        sel->BeginUpdate();
        sel->SetRStart(Start);
        sel->SetREnd(End);
        sel->CancelUpdate();
        FModel.SelStart = sel->RStart();
        FModel.SelEnd = sel->REnd();
        FEditor->EditedId = Model::SelectionId;
        sel->Delete();
    }

    void EditSelection(const std::u32string& S) {
        FEditor->EditedId = Model::SelectionId;
        FEditor->Selection()->SetText(S);
    }

    void AddRange() {
        int id = FNextId++;
        TCustomRange* range = Chance(10)
                                  ? static_cast<TCustomRange*>(new PlainRange(FEditor->Ranges()))
                                  : new TMCRange(FEditor->Ranges());
        range->BeginUpdate();
        int start = RandomPos();
        int end = Pick(start - 2, start + 8);
        range->SetRStart(start);
        range->SetREnd(end);
        range->EndUpdate();
        Model::Range m{id};
        FModel.SetStart(m.Start, m.End, start);
        FModel.SetEnd(m.Start, m.End, end);
        m.Observed = Chance(15);
        m.FreeOnOverwrite = Chance(50);
        FModel.Ranges.push_back(m);
        FRanges.push_back({id, range});
        WireEvents(id, range, m.Observed, m.FreeOnOverwrite);
    }

    void WireEvents(int Id, TCustomRange* Range, bool Observed, bool FreeOnOverwrite) {
        if (Observed)
            Range->SetOnChange(
                [this, Id](TObject*) { FEvents.push_back("change " + std::to_string(Id)); });
        else
            Range->SetOnChange(nullptr);
        Range->SetOnOverwrite([this, Id, FreeOnOverwrite](TObject* Sender) {
            FEvents.push_back("overwrite " + std::to_string(Id));
            if (FreeOnOverwrite) {
                std::erase_if(FRanges, [&](auto& r) { return r.second == Sender; });
                delete Sender;
            }
        });
    }

    std::pair<int, TCustomRange*>* RandomRange() {
        if (FRanges.empty())
            return nullptr;
        return &FRanges[static_cast<size_t>(Pick(0, static_cast<int>(FRanges.size()) - 1))];
    }

    void Step() {
        FEditor->EditedId = Model::OtherId;
        int kind = Pick(1, 100);
        auto* sel = FEditor->Selection();
        if (kind <= 22) {
            FLastOp = "typing";
            // Typing one character (sometimes a line break).
            std::u32string ch = Chance(10) ? U"\r" : RandomText(1);
            EditSelection(ch.empty() ? U"q" : ch);
        } else if (kind <= 30) {
            FLastOp = "replacing the selection";
            EditSelection(RandomText(6));
        } else if (kind <= 36) {
            FLastOp = "backspace";
            // Backspace: the character before the caret, a line break as a whole.
            int caret = sel->CaretPos();
            if (sel->RLength() == 0 && caret > 1)
                DeleteQuietlyWidened(caret - BreakWidth(caret - 1), caret - 1);
            else
                DeleteQuietlyWidened(sel->RStart(), sel->REnd());
        } else if (kind <= 40) {
            FLastOp = "delete";
            // Delete forward.
            int caret = sel->CaretPos();
            if (sel->RLength() == 0 && caret <= FEditor->TextLength())
                DeleteQuietlyWidened(caret, caret + BreakWidth(caret) - 1);
            else
                DeleteQuietlyWidened(sel->RStart(), sel->REnd());
        } else if (kind <= 50) {
            FLastOp = "selecting";
            // Selecting.
            if (Chance(50))
                sel->CollapseTo(RandomPos());
            else
                sel->ExtendTo(RandomPos());
            FModel.SelStart = sel->RStart();
            FModel.SelEnd = sel->REnd();
        } else if (kind <= 58) {
            FLastOp = "temporary range";
            // A temporary range replaced anywhere.
            int start = RandomPos();
            TMCRange temp(FEditor.get(), start, Pick(start - 1, start + 6));
            temp.SetText(RandomText(5));
        } else if (kind <= 63) {
            FLastOp = "range text";
            // A registered range's own text replaced.
            if (auto* r = RandomRange()) {
                FEditor->EditedId = r->first;
                r->second->SetText(RandomText(4));
            }
        } else if (kind <= 68) {
            FLastOp = "lines";
            auto& lines = FEditor->Lines();
            int index = Pick(-1, lines.Count() + 1);
            switch (Pick(0, 3)) {
            case 0:
                lines.Insert(index, RandomText(4));
                break;
            case 1:
                lines.Delete(index);
                break;
            case 2:
                lines.Put(index, RandomText(4));
                break;
            default:
                lines.Add(RandomText(3));
                break;
            }
        } else if (kind <= 69) {
            FLastOp = "whole text";
            FEditor->SetText(RandomText(30));
        } else if (kind <= 75) {
            FLastOp = "undo";
            SyncSelectionAround([&] { FEditor->Undo(); });
        } else if (kind <= 79) {
            FLastOp = "redo";
            SyncSelectionAround([&] { FEditor->Redo(); });
        } else if (kind <= 86) {
            FLastOp = "new range";
            AddRange();
        } else if (kind <= 90) {
            FLastOp = "free range";
            if (auto* r = RandomRange()) {
                int id = r->first;
                delete r->second;
                std::erase_if(FRanges, [&](auto& x) { return x.first == id; });
                std::erase_if(FModel.Ranges, [&](auto& x) { return x.Id == id; });
            }
        } else if (kind <= 95) {
            FLastOp = "range setter";
            // Moving a range through its setters, out of range too.
            if (auto* r = RandomRange()) {
                Model::Range* m = FModel.Find(r->first);
                int value = Pick(-3, FEditor->TextLength() + 4);
                if (Chance(50)) {
                    r->second->SetRStart(value);
                    FModel.SetStart(m->Start, m->End, value);
                } else {
                    r->second->SetREnd(value);
                    FModel.SetEnd(m->Start, m->End, value);
                }
                if (m->Observed)
                    FModel.Events.push_back("change " + std::to_string(m->Id));
            }
        } else if (kind <= 97) {
            FLastOp = "toggle observer";
            if (auto* r = RandomRange()) {
                Model::Range* m = FModel.Find(r->first);
                m->Observed = !m->Observed;
                WireEvents(m->Id, r->second, m->Observed, m->FreeOnOverwrite);
            }
        } else {
            FLastOp = "indent";
            SyncSelectionAround([&] { FEditor->IndentSelection(Pick(-2, 2)); });
        }
    }

    void Compare(int Op) {
        SCOPED_TRACE("operation " + std::to_string(Op) + ": " + FLastOp);
        ASSERT_EQ(FEditor->TextLength(), FModel.Length());
        ASSERT_TRUE(FEditor->GetText() == FModel.Text);
        auto starts = FModel.LineStarts();
        ASSERT_EQ(FEditor->LineCount(), static_cast<int>(starts.size()));
        for (size_t i = 0; i < starts.size(); ++i)
            ASSERT_EQ(FEditor->LineStarts().Get(static_cast<int>(i)), starts[i]) << "line " << i;
        ASSERT_EQ(FEditor->MaxLineWidth(), FModel.MaxLineWidth());
        ASSERT_EQ(FEditor->Selection()->RStart(), FModel.SelStart);
        ASSERT_EQ(FEditor->Selection()->REnd(), FModel.SelEnd);
        ASSERT_EQ(FRanges.size(), FModel.Ranges.size());
        for (auto& [id, range] : FRanges) {
            Model::Range* m = FModel.Find(id);
            ASSERT_NE(m, nullptr) << "range " << id;
            ASSERT_EQ(range->RStart(), m->Start) << "range " << id;
            ASSERT_EQ(range->REnd(), m->End) << "range " << id;
        }
        ASSERT_EQ(FEvents, FModel.Events);
        ASSERT_EQ(FEditor->Ranges()->Count(), static_cast<int>(FRanges.size()) + 2);
    }

    std::mt19937 FRandom;
    test::RecordingHost FHost;
    Model FModel;
    std::unique_ptr<ModelledEditor> FEditor;
    std::vector<std::pair<int, TCustomRange*>> FRanges; // owned by the editor's collection
    std::vector<std::string> FEvents;
    int FNextId = 0;
    std::string FLastOp;
};

// Small chunks make the collection split, pack, merge and drop chunks all the time.
TEST(EditorModel, RandomEditsMatchTheNaiveModelWithSmallChunks) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        EditorModel model(seed, 2);
        std::u32string first = model.Text();
        model.Run(10000);
        if (HasFatalFailure())
            return;
        model.UndoAllAndRedoAll(first);
    }
}

TEST(EditorModel, RandomEditsMatchTheNaiveModelWithDefaultChunks) {
    for (unsigned seed = 100; seed <= 104; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        EditorModel model(seed, TMCRanges::DefaultChunkShift);
        std::u32string first = model.Text();
        model.Run(8000);
        if (HasFatalFailure())
            return;
        model.UndoAllAndRedoAll(first);
    }
}

} // namespace
} // namespace memo
