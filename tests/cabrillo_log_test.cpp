#include <filesystem>

#include <gtest/gtest.h>

#include "reports/cabrillo_log.h"
#include "reports/host_version.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "support/test_names.h"

using torv::abi::kDateTimeInvalid;
using torv::abi::kDateTimeNull;
using torv::abi::kDateTimeValid;
using torv::calendar::oleDateFromCalendar;
using torv::ports::HeaderFields;
using torv::reports::cabrilloFileBaseName;
using torv::reports::CabrilloOutcome;
using torv::reports::cabrilloQsoLine;
using torv::reports::CCabrilloLog;
using torv::reports::formatHostVersion;
using torv::reports::replaceAll;

namespace {

CInfo contact(const std::string& call, uint32_t kHz, const std::string& mode) {
    CInfo c;
    c.call = call;
    c.frequencyKHz = kHz;
    c.mode = mode;
    c.rstSent = "599";
    c.rstReceived = "579";
    c.exchangeSent = "SP";
    c.exchangeReceived = "RJ";
    c.area = "RJ";
    c.time = {oleDateFromCalendar(2015, 9, 12, 9, 30), kDateTimeValid};
    return c;
}

struct QsoCase {
    const char* name;
    CInfo contact;
    const char* line;
};

std::vector<QsoCase> qsoCases() {
    CInfo longSent = contact("PY1AA", 7025, "CW");
    longSent.exchangeSent = "SP12345";
    CInfo invalid = contact("PY1AA", 7025, "CW");
    invalid.time.status = kDateTimeInvalid;
    CInfo null = contact("PY1AA", 7025, "CW");
    null.time.status = kDateTimeNull;
    CInfo breaks = contact("PY1\r\nAA", 7025, "CW");
    breaks.exchangeReceived = "R\nJ";
    breaks.rstSent = "5\r9";
    CInfo lowerExchange = contact("PY1AA", 28500, "SSB");
    lowerExchange.exchangeReceived = " sp ";
    return {
        {"40 m CW five-letter call", contact("PY1AA", 7025, "CW"),
         "QSO:  7025 CW 2015-09-12 0930 PY2ZZ         599 SP     PY1AA         579 RJ\r\n"},
        {"20 m fills the frequency column", contact("PY1AA", 14025, "SSB"),
         "QSO: 14025 PH 2015-09-12 0930 PY2ZZ         599 SP     PY1AA         579 RJ\r\n"},
        {"other modes", contact("PY1AA", 3525, "RTTY"),
         "QSO:  3525 ?? 2015-09-12 0930 PY2ZZ         599 SP     PY1AA         579 RJ\r\n"},
        {"seven-character sent exchange pushes the line", longSent,
         "QSO:  7025 CW 2015-09-12 0930 PY2ZZ         599 SP12345 PY1AA         579 RJ\r\n"},
        {"long call is not cut", contact("PY1ABCDEFGHIJKLM", 7025, "CW"),
         "QSO:  7025 CW 2015-09-12 0930 PY2ZZ         599 SP     PY1ABCDEFGHIJKLM 579 RJ\r\n"},
        {"invalid time", invalid, "QSO:  7025 CW Invalid DateTime PY2ZZ         599 SP     PY1AA         579 RJ\r\n"},
        {"null time", null, "QSO:  7025 CW  PY2ZZ         599 SP     PY1AA         579 RJ\r\n"},
        {"line breaks become blanks", breaks,
         "QSO:  7025 CW 2015-09-12 0930 PY2ZZ         5 9 SP     PY1  AA       579 R J\r\n"},
        {"received exchange as logged", lowerExchange,
         "QSO: 28500 PH 2015-09-12 0930 PY2ZZ         599 SP     PY1AA         579  sp \r\n"},
    };
}

TEST(CabrilloQsoLine, FormatsEachColumn) {
    for (const QsoCase& c : qsoCases()) {
        EXPECT_EQ(visible(cabrilloQsoLine(c.contact, "PY2ZZ")), visible(c.line)) << c.name;
    }
}

CCabrilloLog filledLog() {
    CCabrilloLog log;
    log.header.callsign = "PY2ZZ";
    log.header.category = "SINGLE-OP A";
    log.header.band = "ALL";
    log.header.transmitter = "ONE";
    log.header.operators = "PY2ZZ\r\nOPERATORS: PY2YY";
    log.header.location = "SP";
    log.header.club = "Club";
    log.header.name = "Name";
    log.header.address = "Street 1";
    log.header.city = "Sao Paulo";
    log.header.postalCode = "01000";
    log.header.country = "Brazil";
    log.header.email = "py2zz@example.org";
    log.header.soapbox = "first\r\nSOAPBOX: second";
    log.fileBaseName = "PY2ZZ";
    log.claimedScore = 1234;
    return log;
}

TEST(CabrilloFile, HeaderFieldsInOrder) {
    CCabrilloLog log = filledLog();
    log.AddQsoLine(contact("PY1AA", 7025, "CW"));
    EXPECT_EQ(log.CabrilloText(std::string("2.20")),
              "START-OF-LOG: 3.0\r\n"
              "CONTEST: TORV\r\n"
              "CALLSIGN: PY2ZZ\r\n"
              "CATEGORY-OPERATOR: SINGLE-OP A\r\n"
              "CATEGORY-BAND: ALL\r\n"
              "OPERATORS: PY2ZZ\r\n"
              "OPERATORS: PY2YY\r\n"
              "LOCATION: SP\r\n"
              "CLAIMED-SCORE: 1234\r\n"
              "CLUB: Club\r\n"
              "CREATED-BY: Pelk 2.20\r\n"
              "NAME: Name\r\n"
              "ADDRESS: Street 1\r\n"
              "ADDRESS-CITY: Sao Paulo\r\n"
              "ADDRESS-POSTALCODE: 01000\r\n"
              "ADDRESS-COUNTRY: Brazil\r\n"
              "E-MAIL: py2zz@example.org\r\n"
              "SOAPBOX: first\r\n"
              "SOAPBOX: second\r\n"
              "QSO:  7025 CW 2015-09-12 0930 PY2ZZ         599 SP     PY1AA         579 RJ\r\n"
              "END-OF-LOG:\r\n");
}

TEST(CabrilloFile, EmptyLogAndEmptyFields) {
    CCabrilloLog log;
    log.claimedScore = -5;
    EXPECT_EQ(log.CabrilloText(std::nullopt),
              "START-OF-LOG: 3.0\r\nCONTEST: TORV\r\nCALLSIGN: \r\nCATEGORY-OPERATOR: \r\nCATEGORY-BAND: \r\n"
              "OPERATORS: \r\nLOCATION: \r\nCLAIMED-SCORE: -5\r\nCLUB: \r\nCREATED-BY: Pelk \r\nNAME: \r\n"
              "ADDRESS: \r\nADDRESS-CITY: \r\nADDRESS-POSTALCODE: \r\nADDRESS-COUNTRY: \r\nE-MAIL: \r\n"
              "SOAPBOX: \r\nEND-OF-LOG:\r\n");
}

TEST(CabrilloFile, OnlyMultiOpWritesTheTransmitter) {
    for (const char* category : {"MULTI-OP", "MULTI-OP ", "multi-op", "SINGLE-OP A"}) {
        CCabrilloLog log = filledLog();
        log.header.category = category;
        log.header.transmitter = "TWO";
        const std::string text = log.CabrilloText(std::nullopt);
        const bool multi = std::string(category) == "MULTI-OP";
        EXPECT_EQ(text.find("CATEGORY-TRANSMITTER: TWO\r\n") != std::string::npos, multi) << category;
        EXPECT_EQ(text.find("CATEGORY-BAND: ALL\r\n") != std::string::npos, !multi) << category;
    }
}

TEST(CabrilloFile, LineBreaksInOneLineHeaderFieldsBecomeBlanks) {
    CCabrilloLog log = filledLog();
    log.header.name = "Jo\r\nSilva";
    log.header.address = "Rua\n1";
    log.header.callsign = "PY2\rZZ";
    const std::string text = log.CabrilloText(std::nullopt);
    EXPECT_NE(text.find("\r\nNAME: Jo  Silva\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nADDRESS: Rua 1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nCALLSIGN: PY2 ZZ\r\n"), std::string::npos);
}

TEST(CabrilloFile, WritesTheFileAndSaysSo) {
    TempFolder folder;
    CCabrilloLog log = filledLog();
    const CabrilloOutcome outcome = log.WriteCabrillo(folder.path().string(), std::nullopt);
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.message, "File produced: PY2ZZ.cbr");
    EXPECT_EQ(readFile(folder.file("PY2ZZ.cbr")), log.CabrilloText(std::nullopt));
    // A second export rewrites the whole file.
    log.header.soapbox.clear();
    log.WriteCabrillo(folder.path().string(), std::nullopt);
    EXPECT_EQ(readFile(folder.file("PY2ZZ.cbr")), log.CabrilloText(std::nullopt));
}

TEST(CabrilloFile, AFileThatCannotBeWrittenIsReportedAsSuch) {
    TempFolder folder;
    CCabrilloLog log = filledLog();
    std::filesystem::create_directory(folder.file("PY2ZZ.cbr"));  // not even root can open this as a file
    const CabrilloOutcome outcome = log.WriteCabrillo(folder.path().string(), std::nullopt);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message, "File could not be written: PY2ZZ.cbr");
    const CabrilloOutcome missing = log.WriteCabrillo(folder.file("no-such-folder"), std::nullopt);
    EXPECT_FALSE(missing.written);
}

TEST(HostVersion, MajorTwoShowsTwoNumbers) {
    EXPECT_EQ(formatHostVersion((2u << 16) | 20u, (7u << 16) | 9u), "2.20");
    EXPECT_EQ(formatHostVersion((3u << 16) | 1u, (5u << 16) | 0u), "3.1.5");
    EXPECT_EQ(formatHostVersion(0, 0), "0.0.0");
    EXPECT_EQ(formatHostVersion(0xFFFFFFFFu, 0xFFFFFFFFu), "65535.65535.65535");
}

TEST(ReplaceAll, LeftToRightWithoutOverlapOrRescanning) {
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAll("ab", "a", "aa"), "aab");
    EXPECT_EQ(replaceAll("<CR><CR>", "<CR>", "\r\nX: "), "\r\nX: \r\nX: ");
    EXPECT_EQ(replaceAll("<C<CR>R>", "<CR>", ""), "<CR>");
    EXPECT_EQ(replaceAll("same", "m", "m"), "same");
    EXPECT_EQ(replaceAll("text", "", "x"), "text");
    EXPECT_EQ(replaceAll("", "a", "b"), "");
}

TEST(CabrilloFileBaseName, ReplacesSlashesAndTrims) {
    EXPECT_EQ(cabrilloFileBaseName("PY2ZZ/P"), "PY2ZZ_P");
    EXPECT_EQ(cabrilloFileBaseName("ZW\\2/A"), "ZW_2_A");
    EXPECT_EQ(cabrilloFileBaseName("  py2zz \t"), "py2zz");
    EXPECT_EQ(cabrilloFileBaseName("   "), "TLKC");
    EXPECT_EQ(cabrilloFileBaseName(""), "TLKC");
}

// The header dialog's logic around the dialog itself.
class EditHeaderTest : public ::testing::Test {
protected:
    MemorySettings settings;
    ScriptedHeaderDialog dialog;
    CCabrilloLog log;
};

TEST_F(EditHeaderTest, NoSettingsFileShowsTheDefaults) {
    EXPECT_TRUE(log.EditHeader("PY2ZZ", settings, dialog));
    ASSERT_EQ(dialog.shown.size(), 1u);
    const HeaderFields& shown = dialog.shown[0];
    EXPECT_EQ(shown.callsign, "PY2ZZ");
    EXPECT_EQ(shown.operators, "PY2ZZ");
    EXPECT_EQ(shown.contest, "TORV");
    EXPECT_EQ(shown.category, "SINGLE-OP A");
    EXPECT_EQ(shown.band, "ALL");
    EXPECT_EQ(shown.transmitter, "ONE");
    for (const std::string* empty :
         {&shown.claimed, &shown.club, &shown.email, &shown.name, &shown.soapbox, &shown.address, &shown.power,
          &shown.location, &shown.city, &shown.postalCode, &shown.country}) {
        EXPECT_EQ(*empty, "");
    }
    EXPECT_EQ(settings.reads, std::vector<std::string>({"Operators", "Name", "Address", "Address-City",
                                                        "Address-PostalCode", "Address-Country", "Claimed", "Band",
                                                        "Power", "Loc", "Email", "Club", "SoapBox"}));
}

TEST_F(EditHeaderTest, OkStoresTheEditedFieldsInOrder) {
    settings.values = {{"Band", "40M"}, {"Claimed", "1234"}, {"Name", "Old"}};
    dialog.edit = [](HeaderFields& f) {
        f.callsign = "PY2ZZ/P";
        f.name = "Jo Silva";
        f.band = "40M";
        f.category = "MULTI-OP";
        f.transmitter = "TWO";
        f.claimed = "999999";  // shown only
        f.power = "HIGH";
        f.location = "SP";
    };
    EXPECT_TRUE(log.EditHeader("PY2ZZ", settings, dialog));
    EXPECT_EQ(dialog.shown[0].band, "ALL");
    EXPECT_EQ(dialog.shown[0].claimed, "1234");
    EXPECT_EQ(dialog.shown[0].name, "Old");
    EXPECT_EQ(settings.writes,
              std::vector<std::string>({"Band=40M", "Power=HIGH", "Operators=PY2ZZ", "Name=Jo Silva", "Address=",
                                        "Address-City=", "Address-PostalCode=", "Address-Country=", "Category=MULTI-OP",
                                        "Contest=TORV", "Email=", "Club=", "SoapBox=", "Loc=SP"}));
    EXPECT_EQ(log.header.callsign, "PY2ZZ/P");
    EXPECT_EQ(log.header.claimed, "1234");
    EXPECT_EQ(log.fileBaseName, "PY2ZZ") << "from the given call, not the dialog";
    EXPECT_EQ(log.header.transmitter, "TWO");
}

TEST_F(EditHeaderTest, TwoLineSoapboxIsStoredEscapedAndWrittenTagged) {
    dialog.edit = [](HeaderFields& f) { f.soapbox = "first\r\nsecond"; };
    log.EditHeader("PY2ZZ", settings, dialog);
    EXPECT_EQ(settings.values["SoapBox"], "first<CR><LF>second");
    EXPECT_EQ(log.header.soapbox, "first\r\nSOAPBOX: second");

    // The next opening shows two lines again; OK unchanged keeps everything.
    ScriptedHeaderDialog again;
    CCabrilloLog next;
    next.EditHeader("PY2ZZ", settings, again);
    EXPECT_EQ(again.shown[0].soapbox, "first\r\nsecond");
    EXPECT_EQ(settings.values["SoapBox"], "first<CR><LF>second");
    EXPECT_EQ(next.header.soapbox, "first\r\nSOAPBOX: second");
}

TEST_F(EditHeaderTest, OperatorsOnTwoLinesKeepTheirTokensAsText) {
    dialog.edit = [](HeaderFields& f) { f.operators = "PY2ZZ\r\nPY2YY"; };  // Ctrl+Return
    log.EditHeader("PY2ZZ", settings, dialog);
    EXPECT_EQ(settings.values["Operators"], "PY2ZZ<CR><LF>PY2YY");
    EXPECT_EQ(log.header.operators, "PY2ZZ\r\nOPERATORS: PY2YY");

    ScriptedHeaderDialog again;
    CCabrilloLog next;
    next.EditHeader("PY2ZZ", settings, again);
    EXPECT_EQ(again.shown[0].operators, "PY2ZZ<CR><LF>PY2YY") << "shown as typed text";
    EXPECT_EQ(settings.values["Operators"], "PY2ZZ<CR><LF>PY2YY");
    EXPECT_EQ(next.header.operators, "PY2ZZ\r\nOPERATORS: PY2YY");
}

TEST_F(EditHeaderTest, CancelStoresNothingButKeepsTheFileWellFormed) {
    settings.values = {{"Operators", "PY2ZZ<CR><LF>PY2YY"}, {"SoapBox", "a<CR><LF>b"}, {"Name", "Jo"}};
    dialog.confirm = false;
    dialog.edit = [](HeaderFields& f) { f.name = "ignored"; };
    EXPECT_FALSE(log.EditHeader("PY2ZZ/QRP", settings, dialog));
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(log.header.name, "Jo");
    EXPECT_EQ(log.header.callsign, "PY2ZZ/QRP");
    EXPECT_EQ(log.fileBaseName, "PY2ZZ_QRP");
    EXPECT_EQ(log.header.operators, "PY2ZZ\r\nOPERATORS: PY2YY");
    EXPECT_EQ(log.header.soapbox, "a\r\nSOAPBOX: b");
}

TEST_F(EditHeaderTest, ValuesAreReadAsTheirFirst99Characters) {
    settings.values["Club"] = std::string(120, 'c');
    settings.values["SoapBox"] = std::string(97, 's') + "<CR>";  // the token is cut in the middle
    log.EditHeader("PY2ZZ", settings, dialog);
    EXPECT_EQ(dialog.shown[0].club, std::string(99, 'c'));
    EXPECT_EQ(dialog.shown[0].soapbox, std::string(97, 's') + "<C");
    EXPECT_EQ(log.header.soapbox, std::string(97, 's') + "<C");
}

TEST_F(EditHeaderTest, BlankCallSignGivesTheDefaultFileName) {
    log.EditHeader("   ", settings, dialog);
    EXPECT_EQ(log.fileBaseName, "TLKC");
    EXPECT_EQ(log.header.callsign, "   ");
}

}  // namespace
