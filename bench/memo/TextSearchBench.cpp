// Searching the 10 MB script in the source editor for a word that is not in it, beside the
// fastest plain searches of the same bytes in one contiguous string: std::string::find and
// std::boyer_moore_horspool_searcher (case as typed), and for a regular expression PCRE2 with its
// JIT over a contiguous copy of the characters in one call. The editor's text has its gap in the
// middle, as after an edit there. CPU time, the median of several rounds; never fails on figures.
#include "BenchSupport.h"
#include "FindReplace.h"
#include "NullHost.h"
#include "SourceEdit.h"

#define PCRE2_CODE_UNIT_WIDTH 32
#include <algorithm>
#include <cstdio>
#include <functional>
#include <pcre2.h>
#include <string>
#include <vector>

namespace {

constexpr int Rounds = 9;

double MedianMilliseconds(const std::function<void()>& Work) {
    std::vector<double> samples;
    for (int round = 0; round < Rounds; ++round) {
        double start = bench::ThreadMicroseconds();
        Work();
        samples.push_back((bench::ThreadMicroseconds() - start) / 1000);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void Row(const char* What, double Ms, bool Found) {
    std::printf("%-52s %8.2f ms%s\n", What, Ms, Found ? "  (found: wrong)" : "");
}

} // namespace

int main() {
    const std::u32string script = bench::GenerateScript();
    bench::NullHost host;
    sourceedit::TSourceEdit editor(&host);
    editor.SetText(script);
    // An edit in the middle leaves the buffer's gap there.
    int middle = editor.TextLength() / 2;
    editor.Selection()->CollapseTo(middle);
    editor.Selection()->SetText(U"x");
    memo::TMCRange typed(&editor, middle, middle);
    typed.SetText(U"");
    const memo::TTextBuffer& text = editor.Text();

    std::string bytes(script.begin(), script.end()); // every character is ASCII
    const std::string absent = "customer_total";
    const std::u32string absent32(absent.begin(), absent.end());
    std::printf("script: %.1f MB, %d lines; searching for \"%s\", which is not there\n",
                static_cast<double>(bytes.size()) / (1 << 20), editor.LineCount(), absent.c_str());

    auto timeSearch = [&](const char* what, sourceedit::TSearchOptions options) {
        sourceedit::TTextSearch search(absent32, options);
        bool found = false;
        double ms =
            MedianMilliseconds([&] { found = search.Next(text, 0, text.Length()).Found(); });
        Row(what, ms, found);
    };
    timeSearch("TTextSearch, case as typed", {.MatchCase = true});
    timeSearch("TTextSearch, any case", {});
    timeSearch("TTextSearch, any case, whole word", {.WholeWord = true});
    {
        sourceedit::TTextSearch search(absent32, {});
        bool found = false;
        double ms =
            MedianMilliseconds([&] { found = search.Previous(text, text.Length()).Found(); });
        Row("TTextSearch, any case, backward", ms, found);
        ms = MedianMilliseconds([&] {
            editor.Selection()->CollapseTo(1);
            found = sourceedit::FindNext(editor, search).Match.Found();
        });
        Row("FindNext in the editor (round the end), any case", ms, found);
    }
    timeSearch("TTextSearch, regular expression, line by line",
               {.MatchCase = true, .RegularExpression = true});

    bool found = false;
    double ms = MedianMilliseconds([&] { found = bytes.find(absent) != std::string::npos; });
    Row("std::string::find (baseline)", ms, found);
    ms = MedianMilliseconds([&] {
        std::boyer_moore_horspool_searcher searcher(absent.begin(), absent.end());
        found = std::search(bytes.begin(), bytes.end(), searcher) != bytes.end();
    });
    Row("std::boyer_moore_horspool_searcher (baseline)", ms, found);

    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(absent32.data()), absent32.size(),
                                     PCRE2_UTF, &error, &offset, nullptr);
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    ms = MedianMilliseconds([&] {
        found = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(script.data()), script.size(), 0, 0,
                            data, nullptr) >= 0;
    });
    Row("PCRE2 JIT, one call over the whole text (baseline)", ms, found);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    return 0;
}
