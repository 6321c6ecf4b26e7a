// The plain-named exports of libStats.so, called as the host calls them, in
// a fresh current folder.
#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/report_pass.h"
#include "support/scoring_pass.h"
#include "support/temp_folder.h"

using torv::abi::kHostTextLimit;

namespace {

// The exports of libStats.so, which this program links.
ExportTable linkedExports() {
    ExportTable table;
#define STATS_TABLE_LINK(result, plain, twin, params) table.plain = &::plain;
    STATS_EXPORTS(STATS_TABLE_LINK)
#undef STATS_TABLE_LINK
    return table;
}

TEST(Abi, ScoringPassWritesTheGoldenErrorFile) {
    TempFolder folder(TempFolder::Enter::kYes);
    const ExportTable exports = linkedExports();
    EXPECT_EQ(runScoringPass(exports), expectedScoringPassResults());
    EXPECT_TRUE(matchesGolden(readFile("err.txt"), "golden/scoring_pass.err.txt"));
}

TEST(Abi, ExportPassWritesTheGoldenSummarySettingsAndCabrilloFiles) {
    TempFolder folder(TempFolder::Enter::kYes);
    std::filesystem::create_directory("Plugins");
    writeFile("Plugins/TORV.ini", kReportPassInitialSettings);
    const ExportTable exports = linkedExports();
    EXPECT_EQ(runScoringPass(exports, 1, kReportPassCall), expectedScoringPassResults());
    int status = 3;
    const std::string summary = GetResult0(&status);
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(matchesGolden(summary, "golden/report_pass.summary.txt"));
    EXPECT_TRUE(matchesGolden(readFile("Plugins/TORV.ini"), "golden/report_pass.TORV.ini"));
    EXPECT_TRUE(matchesGolden(readFile(kReportPassCabrilloFile), "golden/report_pass.cbr"));

    // Without an export the status is left as the host set it.
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());
    status = 3;
    GetResult0(&status);
    EXPECT_EQ(status, 3);
    EXPECT_STREQ(GetResult0(nullptr),
                 "      TORV 12.09-13.09.2015\r\n\tContestant: PY2ZZ \r\n\tQSOs\tPoints\tMULT\r\n"
                 "Total\t 0\t 0\t 0\r\n\r\nScore: 0*0 = 0");
}

TEST(Abi, AnswersOfTheFixedExports) {
    EXPECT_EQ(GetNumberOfSets(), 1);
    EXPECT_EQ(GetExchgCount0("", "", ""), 1);
    EXPECT_EQ(GetExchgCount0(nullptr, nullptr, nullptr), 1);
    EXPECT_STREQ(GetSetName(0), "TORV (C)");
    EXPECT_STREQ(GetSetName(1), "");
    EXPECT_STREQ(GetSetName(-1), "");
    EXPECT_EQ(IsValidExchg0("SP", "", "", "", 0, 0, 0), 1);
    EXPECT_EQ(IsValidExchg0("sp", "", "", "", 0, 0, 0), 0);
    EXPECT_EQ(IsValidExchg0("599", "", "", "", 0, 0, 0), 0);
    EXPECT_STREQ(RunCommand0(0, "HIDEINFO"), "");
    EXPECT_STREQ(RunCommand0(0, nullptr), "");
    SetupSet0();  // recorded, not shown: returns at once natively
}

TEST(Abi, NullPointersReadAsEmptyTextsAndNullTimes) {
    TempFolder folder(TempFolder::Enter::kYes);
    const ExportTable exports = linkedExports();
    EXPECT_EQ(ResetStats0(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0.0, 0.0, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(AddData0(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 7000000, "CW", nullptr, nullptr, "SP",
                       "RJ", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       0, 0, 0, 0.0, 0.0, nullptr, nullptr, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(AddData0(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 7000000, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, 0, 0, 0, 0.0, 0.0, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(readFile("err.txt"), "TORV UBN file \r\nQSO:  7000" + std::string(16, ' ') + "   NO TEST MODE !!!\r\n");
    EXPECT_EQ(CheckCall0(nullptr, 0, 0, "CW", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, "PY", 0, 0, 0, 0.0, 0.0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(IsValidExchg0(nullptr, nullptr, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(RemoveData0(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, "CW", nullptr, nullptr, "SP",
                          "RJ", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, 0, 0, 0, 0.0, 0.0, nullptr, nullptr, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(checkCall(exports, "", "CW", "PY", "", ""), 2);
}

TEST(Abi, CheckCallLeavesTheWritableBuffersAlone) {
    TempFolder folder(TempFolder::Enter::kYes);
    const ExportTable exports = linkedExports();
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());
    addData(exports, HostContact{});
    char buffer27[16] = "untouched27";
    char buffer28[16] = "untouched28";
    EXPECT_EQ(CheckCall0("PY1AA", 0, 0, "CW", "", "", "", "", "", "", "", "", "", "PY", 0, 0, 0, 0.0, 0.0, "", "", "",
                         "", "RJ", "80m", "", buffer27, buffer28),
              0);
    EXPECT_STREQ(buffer27, "untouched27");
    EXPECT_STREQ(buffer28, "untouched28");
}

TEST(Abi, AnErrorFileThatCannotBeOpenedLosesOnlyItsLines) {
    TempFolder folder(TempFolder::Enter::kYes);
    const ExportTable exports = linkedExports();
    // A folder named err.txt cannot be opened as a file, even by root.
    std::filesystem::create_directory("err.txt");
    EXPECT_EQ(runScoringPass(exports), expectedScoringPassResults());
    EXPECT_TRUE(std::filesystem::is_directory("err.txt"));
}

// Every text the host passes is cut to kHostTextLimit characters: within
// the bound it arrives byte for byte, beyond it only its first characters.
struct CutCase {
    const char* name;
    size_t length;
};

const CutCase kCutCases[] = {
    {"shorter", kHostTextLimit - 1},     {"at_the_bound", kHostTextLimit}, {"one_past", kHostTextLimit + 1},
    {"sixty_four_kilobytes", 64 * 1024}, {"one_megabyte", 1 << 20},
};

class AbiTextCut : public ::testing::TestWithParam<CutCase> {};

// A text of the length: a recognisable start, then 8-bit bytes.
std::string longText(char first, size_t length) {
    std::string text(length, '\xE9');
    for (size_t i = 0; i < length && i < 8; ++i) {
        text[i] = static_cast<char>(first + i);
    }
    return text;
}

TEST_P(AbiTextCut, EveryTextIsCutAtTheBound) {
    TempFolder folder(TempFolder::Enter::kYes);
    const ExportTable exports = linkedExports();
    const size_t length = GetParam().length;
    const size_t kept = std::min(length, kHostTextLimit);
    const std::string contestant = longText('C', length);
    resetStats(exports, 0, contestant, passStart(), passEnd());
    HostContact big;
    big.ownCall = longText('O', length);
    big.call = longText('K', length);
    big.rstSent = longText('S', length);
    big.exchangeSent = longText('s', length);
    big.exchangeReceived = longText('x', length);
    big.band = "30m";
    EXPECT_EQ(addData(exports, big), 0);
    const std::string line = "QSO:  3525  CW  2015-09-12 0930  " + big.ownCall.substr(0, kept) + "  " +
                             big.rstSent.substr(0, kept) + "  " + big.exchangeSent.substr(0, kept) + "  " +
                             big.call.substr(0, kept) + "  599  " + big.exchangeReceived.substr(0, kept) +
                             "   NO CONTEST BAND !!!\r\n";
    EXPECT_EQ(readFile("err.txt"), "TORV UBN file \r\n" + line);

    big.band = "80m";
    EXPECT_EQ(addData(exports, big), 1);
    // Calls cut alike are the same call.
    EXPECT_EQ(checkCall(exports, big.call.substr(0, kept) + "tail", "CW", "PY", "RJ", "80m"),
              length >= kHostTextLimit ? 0 : 2);
    EXPECT_STREQ(RunCommand0(0, ("HIDEINFO" + std::string(length, ' ')).c_str()), "");
    EXPECT_NE(std::string(GetResult0(nullptr)).find("Contestant: " + contestant.substr(0, kept) + " \r\n"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Lengths, AbiTextCut, ::testing::ValuesIn(kCutCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// Heap bytes in use, as the C library counts them (mapped blocks included);
// 0 where another allocator (a sanitizer's) serves the program.
size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A contact whose texts the store keeps are all padded to the length (their
// ordinary start, then blanks), or left as they are (length 0). The mode and
// band stay as they are, so that the contact is stored.
HostContact paddedContact(size_t length) {
    HostContact contact;
    contact.auxText = "aux";
    for (std::string* text : {&contact.ownCall, &contact.call, &contact.rstSent, &contact.rstReceived,
                              &contact.exchangeSent, &contact.exchangeReceived, &contact.prefix, &contact.auxText}) {
        text->resize(std::max(text->size(), length), ' ');
    }
    return contact;
}

// Passes 100,000 contacts: distinct calls, six areas, two bands.
void passContactsLike(const ExportTable& exports, HostContact& contact) {
    const char* const kAreas[] = {"SP", "RJ", "MG", "RS", "BA", "PR"};
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());
    for (size_t i = 0; i < 100000; ++i) {
        const std::string call = "PY" + std::to_string(i);
        contact.call.replace(0, call.size(), call);  // in place: the padding stays
        contact.exchangeReceived.replace(0, 2, kAreas[i % 6]);
        contact.band = i % 2 == 0 ? "40m" : "20m";
        addData(exports, contact);
    }
}

TEST(Abi, HugeTextsTakeAtMostTwiceTheMemoryOfOrdinaryOnes) {
    TempFolder folder(TempFolder::Enter::kYes);
    const ExportTable exports = linkedExports();
    HostContact ordinary = paddedContact(0);
    HostContact huge = paddedContact(1 << 20);
    // Both passes are measured from the same empty store: the store keeps
    // its arrays' room across a reset, so the second pass reuses it.
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());
    const size_t empty = heapInUse();
    if (empty == 0) {
        GTEST_SKIP() << "the heap is not the C library's here (a sanitizer's allocator)";
    }
    passContactsLike(exports, ordinary);
    const size_t ordinaryBytes = heapInUse() - empty;
    passContactsLike(exports, huge);
    const size_t hugeBytes = heapInUse() - empty;
    RecordProperty("ordinary_bytes", std::to_string(ordinaryBytes));
    RecordProperty("huge_bytes", std::to_string(hugeBytes));
    std::cout << "100,000 contacts in the store: " << ordinaryBytes << " bytes with ordinary texts, " << hugeBytes
              << " bytes with 1 MB texts\n";
    EXPECT_LE(hugeBytes, 2 * ordinaryBytes);
}

}  // namespace
