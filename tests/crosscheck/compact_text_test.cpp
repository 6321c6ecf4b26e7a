// CompactText keeps every text whole, in place or on the heap, through
// copies, moves and swaps, and compares as its bytes do.
#include "crosscheck/compact_text.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace torv::crosscheck {
namespace {

TEST(CompactText, KeepsTextsOfEveryLengthThroughCopiesMovesAndSwaps) {
    static_assert(sizeof(CompactText) == 8);
    const std::string kNul("A\0B", 3);
    const std::vector<std::string> texts = {"",
                                            "4",
                                            "SP",
                                            "40m",
                                            "PY2AAA",
                                            "PY2AAA/",
                                            kNul,
                                            "PY2AAA/P",
                                            "DUPE !!!",
                                            "NO CONTEST BAND !!!",
                                            std::string(300, 'x')};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const CompactText original(text);
        CompactText copy = original;
        CompactText moved = std::move(copy);
        EXPECT_EQ(original.view(), text);
        EXPECT_EQ(moved.view(), text);
        EXPECT_TRUE(copy.empty());  // a moved-from text is empty
        for (const std::string& other : texts) {
            CompactText a(text);
            CompactText b(other);
            a.swap(b);
            EXPECT_EQ(a.view(), other);
            EXPECT_EQ(b.view(), text);
            a = b;
            EXPECT_EQ(a.view(), text);
            a = CompactText(other);
            EXPECT_EQ(a.view(), other);
            const CompactText& same = a;
            a = same;
            EXPECT_EQ(a.view(), other);
            EXPECT_EQ(a == b, other == text);
            EXPECT_EQ(a < b, other < text);
            EXPECT_EQ(a != text, other != text);
            EXPECT_EQ(text == a, text == other);
        }
    }
}

TEST(CompactText, ReadsAsAStringWhereOneIsWanted) {
    const CompactText call("PY2AAA/P");
    const CompactText area("SP");
    EXPECT_EQ("logged " + call, "logged PY2AAA/P");
    EXPECT_EQ(call + ", " + area, "PY2AAA/P, SP");
    EXPECT_EQ(area + call, "SPPY2AAA/P");
    EXPECT_TRUE(area == "SP");
    EXPECT_TRUE(area != std::string("RJ"));
    std::string text = "area ";
    text += area;
    EXPECT_EQ(text, "area SP");
    EXPECT_EQ(call.str(), "PY2AAA/P");
    EXPECT_EQ(std::string_view(call).size(), 8u);
}

}  // namespace
}  // namespace torv::crosscheck
