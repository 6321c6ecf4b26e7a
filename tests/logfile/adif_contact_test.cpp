// From ADIF records to the host's contact fields: frequency, date, mode,
// exchanges, own call, country prefix; and the errors that stop a replay.
#include "logfile/adif_contact.h"

#include <gtest/gtest.h>

#include "engine/date_time.h"
#include "support/test_names.h"

using torv::calendar::oleDateFromCalendar;
using torv::logfile::AdifError;
using torv::logfile::AdifRecord;
using torv::logfile::bandOfFrequency;
using torv::logfile::callPrefix;
using torv::logfile::contactFromRecord;
using torv::logfile::contactsFromAdif;
using torv::logfile::FieldError;
using torv::logfile::LogContact;
using torv::logfile::parseAdifDateTime;
using torv::logfile::parseFrequencyMHz;
using torv::logfile::prefixOfDxcc;

namespace {

// A record from "NAME=value" pairs, as a file would give it.
AdifRecord record(std::vector<std::pair<std::string, std::string>> fields) {
    AdifRecord result;
    result.number = 1;
    for (auto& [name, value] : fields) {
        result.fields.push_back({name, value});
    }
    return result;
}

AdifRecord minimal(std::vector<std::pair<std::string, std::string>> more = {}) {
    std::vector<std::pair<std::string, std::string>> fields = {
        {"CALL", "PY1AA"}, {"QSO_DATE", "20150912"}, {"TIME_ON", "0930"}};
    fields.insert(fields.end(), more.begin(), more.end());
    return record(fields);
}

struct FrequencyCase {
    const char* text;
    bool valid;
    uint32_t hertz;
};

class FrequencyText : public ::testing::TestWithParam<FrequencyCase> {};

TEST_P(FrequencyText, InHertz) {
    const FrequencyCase& c = GetParam();
    uint32_t hertz = 12345;
    EXPECT_EQ(parseFrequencyMHz(c.text, hertz), c.valid);
    EXPECT_EQ(hertz, c.valid ? c.hertz : 12345u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrequencyText,
    ::testing::Values(FrequencyCase{"7.025", true, 7025000}, FrequencyCase{"14.0259999", true, 14026000},
                      FrequencyCase{"14.0259994", true, 14025999}, FrequencyCase{"14.0259995", true, 14026000},
                      FrequencyCase{"28.5", true, 28500000}, FrequencyCase{"3.525000", true, 3525000},
                      FrequencyCase{"21.0000001", true, 21000000}, FrequencyCase{"7", true, 7000000},
                      FrequencyCase{"7.", true, 7000000}, FrequencyCase{".5", true, 500000},
                      FrequencyCase{" 7.025 ", true, 7025000}, FrequencyCase{"0007.025", true, 7025000},
                      FrequencyCase{"4294.967295", true, 4294967295u}, FrequencyCase{"4294.9672955", false, 0},
                      FrequencyCase{"4295", false, 0}, FrequencyCase{"10000", false, 0},
                      FrequencyCase{"7,025", false, 0}, FrequencyCase{"", false, 0}, FrequencyCase{".", false, 0},
                      FrequencyCase{"-7.025", false, 0}, FrequencyCase{"7.0.25", false, 0},
                      FrequencyCase{"1e3", false, 0}, FrequencyCase{"7 025", false, 0}),
    [](const ::testing::TestParamInfo<FrequencyCase>& testCase) {
        return testName(std::string(testCase.param.text) + "_" + std::to_string(testCase.index));
    });

TEST(AdifDateTime, MakesTheOleDate) {
    double date = 0;
    ASSERT_TRUE(parseAdifDateTime("20150912", "0930", date));
    EXPECT_EQ(date, oleDateFromCalendar(2015, 9, 12, 9, 30, 0));
    ASSERT_TRUE(parseAdifDateTime("20150913", "235959", date));
    EXPECT_EQ(date, oleDateFromCalendar(2015, 9, 13, 23, 59, 59));
    ASSERT_TRUE(parseAdifDateTime("20160229", "0000", date));
}

TEST(AdifDateTime, RefusesImpossibleValues) {
    double date = 0;
    for (const char* bad :
         {"2015091", "201509120", "2015-912", "20151301", "20150931", "20150229", "18991231", "20150900", "2015091a"}) {
        EXPECT_FALSE(parseAdifDateTime(bad, "0000", date)) << bad;
    }
    for (const char* bad : {"2400", "0960", "093", "09300", "093060", "9:30", ""}) {
        EXPECT_FALSE(parseAdifDateTime("20150912", bad, date)) << bad;
    }
}

TEST(Band, OfFrequency) {
    EXPECT_EQ(bandOfFrequency(1830000), "160m");
    EXPECT_EQ(bandOfFrequency(3525000), "80m");
    EXPECT_EQ(bandOfFrequency(7000000), "40m");
    EXPECT_EQ(bandOfFrequency(10116000), "30m");
    EXPECT_EQ(bandOfFrequency(14350000), "20m");
    EXPECT_EQ(bandOfFrequency(18080000), "17m");
    EXPECT_EQ(bandOfFrequency(21025000), "15m");
    EXPECT_EQ(bandOfFrequency(24900000), "12m");
    EXPECT_EQ(bandOfFrequency(28500000), "10m");
    EXPECT_EQ(bandOfFrequency(50100000), "6m");
    EXPECT_EQ(bandOfFrequency(0), "");
    EXPECT_EQ(bandOfFrequency(14350001), "");
}

struct PrefixCase {
    const char* call;
    const char* prefix;
};

class CallPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(CallPrefix, Resolves) {
    EXPECT_EQ(callPrefix(GetParam().call), GetParam().prefix);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CallPrefix,
    ::testing::Values(
        PrefixCase{"PY2ZZ", "PY"}, PrefixCase{"PP5AB", "PY"}, PrefixCase{"PU2ABC", "PY"}, PrefixCase{"PT7XY", "PY"},
        PrefixCase{"ZV8AA", "PY"}, PrefixCase{"ZZ1AB", "PY"}, PrefixCase{"ZY9ZZ", "PY"}, PrefixCase{"PY5TORV", "PY"},
        PrefixCase{"py2zz", "PY"}, PrefixCase{"PY0FX", "PY0F"}, PrefixCase{"PY0SK", "PY0S"},
        PrefixCase{"ZY0TQ", "PY0T"}, PrefixCase{"PY0ZZ", "PY"}, PrefixCase{"PY0F", "PY0F"}, PrefixCase{"PO2AA", "PO2"},
        PrefixCase{"PZ1AA", "PZ1"}, PrefixCase{"ZU1AA", "ZU1"}, PrefixCase{"ZS6AA", "ZS6"}, PrefixCase{"DL1ABC", "DL1"},
        PrefixCase{"K1ABC", "K1"}, PrefixCase{"9A1AA", "9A1"}, PrefixCase{"3DA0XX", "3DA0"},
        PrefixCase{"LU1ABC", "LU1"}, PrefixCase{"DL", "DL"}, PrefixCase{"PY2ZZ/P", "PY"}, PrefixCase{"PY2ZZ/QRP", "PY"},
        PrefixCase{"DL/PY2ZZ", "DL"}, PrefixCase{"PY2ZZ/DL", "DL"}, PrefixCase{"PY0F/PY2ZZ", "PY0F"},
        PrefixCase{"PY2ZZ/PY0S", "PY0S"}, PrefixCase{"K1ABC/4", "K4"}, PrefixCase{"K1ABC/4/P", "K4"},
        PrefixCase{"PY2ZZ/1", "PY"}, PrefixCase{"CX/DL1ABC/M", "CX"}, PrefixCase{"", ""}, PrefixCase{"/", ""},
        PrefixCase{"K1ABC/4/P/QRP/M", "K4"}, PrefixCase{"DL//PY2ZZ/P/P/P/A", "DL"}, PrefixCase{"A/B/C/D/E/PY2ZZ", "A"}),
    [](const ::testing::TestParamInfo<PrefixCase>& testCase) {
        return testName(std::string(testCase.param.call) + "_" + std::to_string(testCase.index));
    });

TEST(Dxcc, SpecialEntities) {
    EXPECT_EQ(prefixOfDxcc(108), "PY");
    EXPECT_EQ(prefixOfDxcc(56), "PY0F");
    EXPECT_EQ(prefixOfDxcc(253), "PY0S");
    EXPECT_EQ(prefixOfDxcc(273), "PY0T");
    EXPECT_EQ(prefixOfDxcc(230), "");
}

TEST(ContactFromRecord, EveryField) {
    const LogContact c = contactFromRecord(record({{"CALL", "PY1AA"},
                                                   {"QSO_DATE", "20150912"},
                                                   {"TIME_ON", "093015"},
                                                   {"FREQ", "14.0259999"},
                                                   {"BAND", "20M"},
                                                   {"MODE", "cw"},
                                                   {"RST_SENT", "599"},
                                                   {"RST_RCVD", "579"},
                                                   {"STX_STRING", "SP"},
                                                   {"SRX_STRING", " rj "},
                                                   {"STATION_CALLSIGN", "PY2ZZ"},
                                                   {"OPERATOR", "PY2YY"},
                                                   {"DXCC", "108"},
                                                   {"COMMENT", "ignored"}}),
                                           "PY9XX");
    EXPECT_EQ(c.call, "PY1AA");
    EXPECT_EQ(c.oleDate, oleDateFromCalendar(2015, 9, 12, 9, 30, 15));
    EXPECT_EQ(c.frequency, 14026000u);
    EXPECT_EQ(c.band, "20m");
    EXPECT_EQ(c.mode, "CW");
    EXPECT_EQ(c.rstSent, "599");
    EXPECT_EQ(c.rstReceived, "579");
    EXPECT_EQ(c.exchangeSent, "SP");
    EXPECT_EQ(c.exchangeReceived, " rj ") << "exchanges pass as written";
    EXPECT_EQ(c.ownCall, "PY2ZZ");
    EXPECT_EQ(c.prefix, "PY");
    EXPECT_EQ(c.record, 1u);
}

TEST(ContactFromRecord, Defaults) {
    const LogContact c = contactFromRecord(minimal(), "PY9XX");
    EXPECT_EQ(c.frequency, 0u);
    EXPECT_EQ(c.band, "");
    EXPECT_EQ(c.mode, "");
    EXPECT_EQ(c.exchangeSent, "");
    EXPECT_EQ(c.exchangeReceived, "");
    EXPECT_EQ(c.ownCall, "PY9XX") << "the contest call of the reset";
    EXPECT_EQ(c.prefix, "PY");
}

TEST(ContactFromRecord, OperatorWhenNoStationCall) {
    EXPECT_EQ(contactFromRecord(minimal({{"OPERATOR", "PY2YY"}}), "").ownCall, "PY2YY");
}

TEST(ContactFromRecord, BandFromFrequencyWhenNoBand) {
    EXPECT_EQ(contactFromRecord(minimal({{"FREQ", "7.025"}}), "").band, "40m");
    EXPECT_EQ(contactFromRecord(minimal({{"FREQ", "7.025"}, {"BAND", "80M"}}), "").band, "80m")
        << "the band field wins";
}

TEST(ContactFromRecord, ModesAndSubmodes) {
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "SSB"}}), "").mode, "SSB");
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "USB"}}), "").mode, "SSB") << "ADIF 1 style";
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "lsb"}}), "").mode, "SSB") << "ADIF 1 style";
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "SSB"}, {"SUBMODE", "DIGITALVOICE"}}), "").mode, "SSB");
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "SSB"}, {"SUBMODE", "LSB"}}), "").mode, "SSB");
    EXPECT_EQ(contactFromRecord(minimal({{"SUBMODE", "usb"}}), "").mode, "SSB");
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "rtty"}}), "").mode, "RTTY");
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "FT8"}}), "").mode, "FT8");
    EXPECT_EQ(contactFromRecord(minimal({{"MODE", "MFSK"}, {"SUBMODE", "FT4"}}), "").mode, "MFSK");
}

TEST(ContactFromRecord, StatesWhenNoExchangeStrings) {
    const LogContact states = contactFromRecord(minimal({{"STATE", "RJ"}, {"MY_STATE", "SP"}}), "");
    EXPECT_EQ(states.exchangeReceived, "RJ");
    EXPECT_EQ(states.exchangeSent, "SP");
    const LogContact strings =
        contactFromRecord(minimal({{"STATE", "RJ"}, {"MY_STATE", "SP"}, {"SRX_STRING", ""}, {"STX_STRING", "YL"}}), "");
    EXPECT_EQ(strings.exchangeReceived, "") << "an empty exchange string is still the exchange";
    EXPECT_EQ(strings.exchangeSent, "YL");
}

TEST(ContactFromRecord, PrefixFromDxccThenCall) {
    EXPECT_EQ(contactFromRecord(minimal({{"CALL", "PY0FX"}, {"DXCC", "56"}}), "").prefix, "PY0F");
    EXPECT_EQ(contactFromRecord(minimal({{"CALL", "PY0SK"}, {"DXCC", "253"}}), "").prefix, "PY0S");
    EXPECT_EQ(contactFromRecord(minimal({{"CALL", "PY0TQ"}, {"DXCC", "273"}}), "").prefix, "PY0T");
    EXPECT_EQ(contactFromRecord(minimal({{"CALL", "PY0TQ"}}), "").prefix, "PY0T");
    EXPECT_EQ(contactFromRecord(minimal({{"CALL", "DL1ABC"}, {"DXCC", "230"}}), "").prefix, "DL1");
    EXPECT_EQ(contactFromRecord(minimal({{"CALL", "DL1ABC"}, {"DXCC", ""}}), "").prefix, "DL1");
}

struct WarningCase {
    const char* description;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string band;
    uint32_t frequency;
    std::vector<std::string> warnings;
};

class ContactWarnings : public ::testing::TestWithParam<WarningCase> {};

TEST_P(ContactWarnings, AreReportedAndTheContactKept) {
    std::vector<std::string> warnings;
    const LogContact c = contactFromRecord(minimal(GetParam().fields), "", &warnings);
    EXPECT_EQ(c.band, GetParam().band);
    EXPECT_EQ(c.frequency, GetParam().frequency);
    EXPECT_EQ(warnings, GetParam().warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ContactWarnings,
    ::testing::Values(
        WarningCase{"band and frequency agree", {{"BAND", "40m"}, {"FREQ", "7.025"}}, "40m", 7025000, {}},
        WarningCase{"no frequency: the band of BAND and frequency 0, no warning", {{"BAND", "20M"}}, "20m", 0, {}},
        WarningCase{"a band that disagrees with the frequency is kept",
                    {{"BAND", "80m"}, {"FREQ", "7.025"}},
                    "80m",
                    7025000,
                    {"BAND \"80m\" disagrees with FREQ \"7.025\": the band is kept"}},
        WarningCase{"neither band nor frequency", {}, "", 0, {"neither BAND nor FREQ: the contact has no band"}},
        WarningCase{
            "a frequency in no band", {{"FREQ", "8.000"}}, "", 8000000, {"FREQ \"8.000\" is in no amateur band"}}),
    [](const ::testing::TestParamInfo<WarningCase>& testCase) { return testName(testCase.param.description); });

struct BadRecord {
    const char* description;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string message;
};

class ContactFromBadRecord : public ::testing::TestWithParam<BadRecord> {};

TEST_P(ContactFromBadRecord, IsRefused) {
    try {
        contactFromRecord(record(GetParam().fields), "");
        FAIL() << "no error";
    } catch (const FieldError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ContactFromBadRecord,
    ::testing::Values(
        BadRecord{"no call", {{"QSO_DATE", "20150912"}, {"TIME_ON", "0930"}}, "no CALL"},
        BadRecord{"empty call", {{"CALL", " "}, {"QSO_DATE", "20150912"}, {"TIME_ON", "0930"}}, "CALL is empty"},
        BadRecord{"no date", {{"CALL", "PY1AA"}, {"TIME_ON", "0930"}}, "no QSO_DATE"},
        BadRecord{"no time", {{"CALL", "PY1AA"}, {"QSO_DATE", "20150912"}}, "no TIME_ON"},
        BadRecord{"bad date",
                  {{"CALL", "PY1AA"}, {"QSO_DATE", "20150931"}, {"TIME_ON", "0930"}},
                  "QSO_DATE \"20150931\" is not a date (YYYYMMDD)"},
        BadRecord{"bad time",
                  {{"CALL", "PY1AA"}, {"QSO_DATE", "20150912"}, {"TIME_ON", "2460"}},
                  "TIME_ON \"2460\" is not a time of day (HHMM or HHMMSS)"},
        BadRecord{"bad frequency",
                  {{"CALL", "PY1AA"}, {"QSO_DATE", "20150912"}, {"TIME_ON", "0930"}, {"FREQ", "7,025"}},
                  "FREQ \"7,025\" is not a frequency in MHz"},
        BadRecord{"bad dxcc",
                  {{"CALL", "PY1AA"}, {"QSO_DATE", "20150912"}, {"TIME_ON", "0930"}, {"DXCC", "PY"}},
                  "DXCC \"PY\" is not an entity number"}),
    [](const ::testing::TestParamInfo<BadRecord>& testCase) { return testName(testCase.param.description); });

TEST(ContactsFromAdif, MapsEveryRecordInOrder) {
    const auto contacts = contactsFromAdif(
        "log<EOH>\r\n"
        "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>0930<FREQ:5>3.525<MODE:2>CW<SRX_STRING:2>RJ<EOR>\r\n"
        "<call:6>PY0FXX<qso_date:8>20150912<time_on:6>093100<freq:6>14.250<mode:3>SSB<submode:3>USB<EOR>\r\n",
        "PY2ZZ");
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].call, "PY1AA");
    EXPECT_EQ(contacts[0].band, "80m");
    EXPECT_EQ(contacts[0].exchangeReceived, "RJ");
    EXPECT_EQ(contacts[1].call, "PY0FXX");
    EXPECT_EQ(contacts[1].prefix, "PY0F");
    EXPECT_EQ(contacts[1].mode, "SSB");
    EXPECT_EQ(contacts[1].frequency, 14250000u);
    EXPECT_EQ(contacts[1].ownCall, "PY2ZZ");
}

TEST(ContactsFromAdif, ABadRecordIsNamedWithItsNumberAndOffset) {
    const std::string good = "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>0930<EOR>\n";
    const std::string text = good + good + "<CALL:5>PY3CC<QSO_DATE:8>20150912<TIME_ON:4>0930<FREQ:4>abcd<EOR>\n";
    try {
        contactsFromAdif(text, "");
        FAIL() << "no error";
    } catch (const AdifError& error) {
        EXPECT_EQ(error.recordNumber(), 3u);
        EXPECT_EQ(error.line(), 3u);
        EXPECT_EQ(error.byteOffset(), 2 * good.size());
        EXPECT_EQ(std::string(error.what()), "line 3, record 3: FREQ \"abcd\" is not a frequency in MHz");
    }
}

TEST(ContactsFromAdif, ARecordWithoutCallIsNamed) {
    const std::string first = "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>0930<EOR>";
    try {
        contactsFromAdif(first + "<BAND:3>40m<EOR>", "");
        FAIL() << "no error";
    } catch (const AdifError& error) {
        EXPECT_EQ(std::string(error.what()), "line 1, record 2: no CALL");
        EXPECT_EQ(error.byteOffset(), first.size());
    }
}

}  // namespace
