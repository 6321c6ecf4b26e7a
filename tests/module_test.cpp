#include <algorithm>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "plugin/module.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/temp_folder.h"

using torv::abi::kDateTimeValid;
using torv::engine::ContactFields;
using torv::engine::ContactStore;
using torv::engine::ScoreEntry;
using torv::plugin::answerSayingFailures;
using torv::plugin::PlatformPorts;
using torv::ports::MessageIcon;
using torv::ports::RecordingUi;

namespace {

// A module object built on fakes, as a test builds a fresh engine.
struct TestModule {
    TempFolder folder;
    MemorySettings* settings;
    RecordingUi* ui;
    ScriptedHeaderDialog* dialog;
    RecordingAssistant* assistant;
    std::optional<std::string> hostVersion;
    std::vector<std::string> debugOutput;
    std::unique_ptr<CTestApp> app;

    TestModule() {
        PlatformPorts ports;
        auto ownedSettings = std::make_unique<MemorySettings>();
        auto ownedUi = std::make_unique<RecordingUi>();
        auto ownedDialog = std::make_unique<ScriptedHeaderDialog>();
        auto ownedAssistant = std::make_unique<RecordingAssistant>();
        settings = ownedSettings.get();
        ui = ownedUi.get();
        dialog = ownedDialog.get();
        assistant = ownedAssistant.get();
        ports.settings = std::move(ownedSettings);
        ports.ui = std::move(ownedUi);
        ports.headerDialog = std::move(ownedDialog);
        ports.assistant = std::move(ownedAssistant);
        ports.hostVersion = [this](const std::string&) { return hostVersion; };
        ports.debugOutput = [this](const std::string& text) { debugOutput.push_back(text); };
        app = std::make_unique<CTestApp>(std::move(ports), folder.path().string());
    }

    int reset(int exportFlag, const std::string& call = "PY2ZZ") {
        return app->resetStats(exportFlag, call, {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
    }
};

TEST(Module, SetNamesAndCounts) {
    TestModule m;
    EXPECT_STREQ(m.app->setName(0), "TORV (C)");
    EXPECT_STREQ(m.app->setName(1), "");
    EXPECT_STREQ(m.app->setName(-1), "");
    // The texts stay valid for the library's life.
    const char* name = m.app->setName(0);
    m.app->setName(5);
    EXPECT_STREQ(name, "TORV (C)");
}

TEST(Module, SetupShowsOneMessageWithoutCaption) {
    TestModule m;
    m.app->setupSet();
    const auto shown = m.ui->shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "No additional setup for this contest");
    EXPECT_FALSE(shown[0].caption.has_value());
}

TEST(Module, RunCommandStartsAndStopsOnlyOnExactCommands) {
    TestModule m;
    for (const char* ignored : {"showinfo", "SHOWINFO ", "", "HideInfo", "SHOW"}) {
        EXPECT_STREQ(m.app->runCommand(ignored), "");
    }
    EXPECT_TRUE(m.assistant->calls.empty());
    EXPECT_STREQ(m.app->runCommand("SHOWINFO"), "");
    EXPECT_STREQ(m.app->runCommand("HIDEINFO"), "");
    EXPECT_EQ(m.assistant->calls, std::vector<std::string>({"start", "stop"}));
}

TEST(Module, CheckCallArmsTheTickBeforeAnswering) {
    TestModule m;
    m.reset(0);
    m.assistant->calls.clear();
    EXPECT_EQ(m.app->checkCall("PY3CC", "CW", "PY", "RJ", "80m"), 2);
    EXPECT_EQ(m.assistant->calls, std::vector<std::string>({"arm 330"}));
}

TEST(Module, ResetWithExportConfirmsTheHeaderAndOpensNoAssistant) {
    TestModule m;
    EXPECT_EQ(m.reset(1, " PY2/ZZ "), 1);
    EXPECT_EQ(m.app->report().header.callsign, " PY2/ZZ ");
    EXPECT_EQ(m.dialog->shown.size(), 1u);
    EXPECT_EQ(m.app->report().fileBaseName, "PY2_ZZ");
    EXPECT_EQ(m.settings->values["Start"], "0");
    EXPECT_TRUE(m.assistant->calls.empty());
    EXPECT_EQ(readFile(m.folder.file("err.txt")), "TORV UBN file \r\n");
}

TEST(Module, ConsecutiveRescoringsAlternateStart) {
    TestModule m;
    m.reset(0);
    EXPECT_EQ(m.settings->values["Start"], "1");
    m.assistant->running = false;
    m.reset(0);
    EXPECT_EQ(m.settings->values["Start"], "0");
    m.reset(0);
    EXPECT_EQ(m.settings->values["Start"], "1");
    EXPECT_EQ(m.assistant->calls, std::vector<std::string>({"start", "start"}));
    EXPECT_TRUE(m.dialog->shown.empty());  // no export, no header dialog
}

ContactFields contact(const std::string& call, const std::string& band, const std::string& exchange) {
    ContactFields c;
    c.call = call;
    c.band = band;
    c.mode = "CW";
    c.exchangeSent = "SP";
    c.exchangeReceived = exchange;
    c.prefix = "PY";
    c.frequency = 7025000;
    c.qsoTime = {42259.5, kDateTimeValid};
    return c;
}

TEST(Module, ExportOfAnEmptyLogWritesTheHeaderAndSaysSo) {
    TestModule m;
    m.reset(1, "PY2ZZ");
    int status = 0;
    m.app->result(&status);
    EXPECT_EQ(status, -1);
    const std::string file = readFile(m.folder.file("PY2ZZ.cbr"));
    EXPECT_NE(file.find("SOAPBOX: \r\nEND-OF-LOG:\r\n"), std::string::npos) << visible(file);
    const auto shown = m.ui->shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "File produced: PY2ZZ.cbr");
    EXPECT_EQ(shown[0].caption, std::optional<std::string>("Output"));
    EXPECT_EQ(shown[0].icon, MessageIcon::kInformation);
    EXPECT_TRUE(shown[0].ownedByActiveWindow);
}

TEST(Module, ExportNamesTheHostVersionAndTheClaimedScore) {
    TestModule m;
    m.hostVersion = "2.20";
    m.reset(1, "PY2ZZ");
    m.app->addData(contact("PY1AA", "40m", "YL"));
    m.app->addData(contact("PY1AB", "40m", "RJ"));
    int status = 0;
    m.app->result(&status);
    const std::string file = readFile(m.folder.file("PY2ZZ.cbr"));
    EXPECT_NE(file.find("\r\nCLAIMED-SCORE: 8\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nCREATED-BY: Pelk 2.20\r\n"), std::string::npos);
}

TEST(Module, ResultRecordsTheClaimedScoreEveryTimeAndPublishesTheWorkedAreas) {
    TestModule m;
    m.reset(0);
    m.app->addData(contact("PY1AA", "40m", "RJ"));
    m.app->addData(contact("PY1AB", "80m", "SP"));
    int status = 9;
    const char* first = m.app->result(&status);
    EXPECT_EQ(status, 9);
    EXPECT_EQ(m.settings->values["Claimed"], "8");
    EXPECT_NE(std::string(first).find("Score: 4*2 = 8"), std::string::npos);
    const auto areas = m.app->engine().withStore([](const ContactStore& s) { return s.workedAreas(); });
    EXPECT_EQ(areas, std::vector<std::string>({"SP", "RJ"}));  // 80m sorts first

    // A removal leaves the list alone until the next summary.
    ContactFields removed = contact("PY1AB", "80m", "SP");
    m.app->removeData(removed);
    EXPECT_EQ(m.app->engine().withStore([](const ContactStore& s) { return s.workedAreas(); }), areas);
    m.app->result(&status);
    EXPECT_EQ(m.app->engine().withStore([](const ContactStore& s) { return s.workedAreas(); }),
              std::vector<std::string>({"RJ"}));
    EXPECT_EQ(m.settings->values["Claimed"], "2");
    EXPECT_EQ(std::count(m.settings->writes.begin(), m.settings->writes.end(), "Claimed=8"), 1);
    EXPECT_TRUE(m.ui->shown().empty());
}

TEST(Module, StopsTheAssistantWhenItGoes) {
    TestModule m;
    const auto log = m.assistant->log;
    m.app->runCommand("SHOWINFO");
    m.app.reset();
    EXPECT_EQ(*log, std::vector<std::string>({"start", "stop"}));
}

// Everything the store shows of itself, for comparing before and after.
std::string describe(const ContactStore& store) {
    std::ostringstream text;
    store.forEachContact([&](const CInfo& c) {
        text << c.call << '|' << c.band << '|' << c.mode << '|' << c.area << '|' << c.dupe << '\n';
    });
    for (const ScoreEntry& entry : store.scoreEntries()) {
        text << entry.band << ',' << entry.area << ',' << entry.points << ',' << entry.counted << ';';
    }
    text << "\nbands";
    for (const std::string& band : store.bandList()) {
        text << ' ' << band;
    }
    text << "\nids " << store.bandIdCount() << ' ' << store.areaIdCount();
    for (const char* call : {"PY1AA", "PY2BB", "PY3CC"}) {
        for (const char* band : {"80m", "40m"}) {
            text << ' ' << store.twinCount(call, band, "CW") << store.hasArea(band, "SP") << store.hasArea(band, "RJ");
        }
    }
    return text.str();
}

// An export whose store change fails part way, an allocation failing at
// each of the change's steps in turn.
struct FailedChangeCase {
    const char* name;
    const char* exportName;
    bool remove;  // RemoveData0 of PY1AA on 80 m, else AddData0 of PY3CC on 40 m in RJ
    int answerWhenDone;
};

const FailedChangeCase kFailedChangeCases[] = {
    {"AddData0", "AddData0", false, 1},
    {"RemoveData0", "RemoveData0", true, 1},
};

class ModuleFailedChange : public ::testing::TestWithParam<FailedChangeCase> {};

TEST_P(ModuleFailedChange, IsSaidLeavesTheStoreAsItWasAndTheNextCallWorks) {
    const FailedChangeCase& c = GetParam();
    TestModule m;
    m.reset(0);
    m.app->addData(contact("PY1AA", "80m", "SP"));
    m.app->addData(contact("PY2BB", "80m", "SP"));
    const std::string errorFile = m.folder.file("err.txt");
    const std::string said = std::string("internal error in ") + c.exportName + ": std::bad_alloc";
    auto call = [&] {
        return answerSayingFailures([&] { return m.app.get(); }, c.exportName, 0,
                                    [&] {
                                        return c.remove ? m.app->removeData(contact("PY1AA", "80m", "SP"))
                                                        : m.app->addData(contact("PY3CC", "40m", "RJ"));
                                    });
    };
    int steps = 0;
    for (int failing = 0;; ++failing) {
        int probed = 0;
        m.app->engine().withStore([&](ContactStore& store) {
            store.setAllocationProbe([&] {
                if (probed++ == failing) {
                    throw std::bad_alloc();
                }
            });
        });
        const std::string before = m.app->engine().withStore([](const ContactStore& store) { return describe(store); });
        const std::string fileBefore = readFile(errorFile);
        const int answer = call();
        if (probed <= failing) {  // no step failed: the call went through
            EXPECT_EQ(answer, c.answerWhenDone);
            EXPECT_NE(m.app->engine().withStore([](const ContactStore& store) { return describe(store); }), before);
            break;
        }
        ++steps;
        EXPECT_EQ(answer, 0) << "step " << failing;
        EXPECT_EQ(m.app->engine().withStore([](const ContactStore& store) { return describe(store); }), before)
            << "step " << failing;
        EXPECT_EQ(readFile(errorFile), fileBefore + said + "\r\n") << "step " << failing;
        ASSERT_FALSE(m.debugOutput.empty());
        EXPECT_EQ(m.debugOutput.back(), said);
    }
    EXPECT_GE(steps, c.remove ? 2 : 8) << "the change has fewer steps that may fail than expected";
}

INSTANTIATE_TEST_SUITE_P(Exports, ModuleFailedChange, ::testing::ValuesIn(kFailedChangeCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(Module, AFailureWithoutAModuleIsSaidInTheCurrentFolder) {
    TempFolder folder(TempFolder::Enter::kYes);
    EXPECT_EQ(answerSayingFailures([]() -> CTestApp* { return nullptr; }, "GetResult0", "fallback",
                                   []() -> const char* { throw std::runtime_error("no module"); }),
              std::string("fallback"));
    EXPECT_EQ(readFile("err.txt"), "internal error in GetResult0: no module\r\n");
}

}  // namespace
