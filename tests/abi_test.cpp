// The plain-named exports of libStats.so, called as the host calls them, in
// a fresh current folder.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/report_pass.h"
#include "support/scoring_pass.h"
#include "support/temp_folder.h"

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

TEST(Abi, SixtyFourKilobyteTextsPassThrough) {
    TempFolder folder(TempFolder::Enter::kYes);
    const ExportTable exports = linkedExports();
    resetStats(exports, 0, std::string(64 * 1024, 'C'), passStart(), passEnd());
    HostContact big;
    big.call = std::string(64 * 1024, 'K') + "\x80\xFF";
    big.band = "30m";
    big.exchangeReceived = std::string(64 * 1024, 'x');
    EXPECT_EQ(addData(exports, big), 0);
    const std::string file = readFile("err.txt");
    EXPECT_NE(file.find(big.call + "  599  " + big.exchangeReceived + "   NO CONTEST BAND !!!\r\n"), std::string::npos);
    big.band = "80m";
    EXPECT_EQ(addData(exports, big), 1);
    EXPECT_EQ(checkCall(exports, big.call, "CW", "PY", "", "80m"), 0);
}

}  // namespace
