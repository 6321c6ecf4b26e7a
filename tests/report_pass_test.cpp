// Whole report passes through the module object, with the portable settings
// file: reset with export (the header dialog confirmed, edited or
// cancelled), the log, the result. The wine suite runs the same passes
// through Stats.dll and its real dialog against the same golden files.
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "plugin/module.h"
#include "settings/ini_settings.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/report_pass.h"
#include "support/temp_folder.h"

using torv::plugin::headlessPorts;
using torv::plugin::PlatformPorts;
using torv::ports::HeaderFields;
using torv::ports::MessageIcon;
using torv::ports::RecordingUi;

namespace {

class ReportPass : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingUi* ui = nullptr;
    ScriptedHeaderDialog* dialog = nullptr;
    std::unique_ptr<CTestApp> app;

    void SetUp() override {
        std::filesystem::create_directory(folder.path() / "Plugins");
        writeFile(settingsPath(), kReportPassInitialSettings);
        PlatformPorts ports = headlessPorts(std::make_unique<torv::settings::IniSettings>(settingsPath()));
        auto ownedUi = std::make_unique<RecordingUi>();
        auto ownedDialog = std::make_unique<ScriptedHeaderDialog>();
        ui = ownedUi.get();
        dialog = ownedDialog.get();
        ports.ui = std::move(ownedUi);
        ports.headerDialog = std::move(ownedDialog);
        app = std::make_unique<CTestApp>(std::move(ports), folder.path().string());
    }

    std::string settingsPath() const { return (folder.path() / "Plugins" / "TORV.ini").string(); }

    // The pass with its log, up to the result.
    void pass() {
        app->resetStats(1, kReportPassCall, passStart(), passEnd());
        for (const HostContact& contact : passContacts()) {
            app->addData(toContactFields(contact));
        }
        for (const HostContact& contact : passRemovals()) {
            app->removeData(toContactFields(contact));
        }
    }

    // The pass; returns the summary, checks the export was reported.
    std::string run() {
        pass();
        int status = 7;
        const std::string summary = app->result(&status);
        EXPECT_EQ(status, -1);
        const auto shown = ui->shown();
        EXPECT_EQ(shown.size(), 1u);
        if (!shown.empty()) {
            EXPECT_EQ(shown[0].text, std::string("File produced: ") + kReportPassCabrilloFile);
            EXPECT_EQ(shown[0].caption, std::optional<std::string>("Output"));
            EXPECT_EQ(shown[0].icon, MessageIcon::kInformation);
        }
        return summary;
    }

    std::string cabrillo() const { return readFile(folder.file(kReportPassCabrilloFile)); }
};

TEST_F(ReportPass, ConfirmedUnchanged) {
    EXPECT_TRUE(matchesGolden(run(), "golden/report_pass.summary.txt"));
    EXPECT_TRUE(matchesGolden(readFile(settingsPath()), "golden/report_pass.TORV.ini"));
    EXPECT_TRUE(matchesGolden(cabrillo(), "golden/report_pass.cbr"));
    EXPECT_TRUE(matchesGolden(readFile(folder.file("err.txt")), "golden/scoring_pass.err.txt"));
}

TEST_F(ReportPass, Edited) {
    dialog->edit = [](HeaderFields& fields) {
        for (const HeaderEdit& edit : reportPassEdits()) {
            fields.*edit.field = edit.text;
        }
    };
    EXPECT_TRUE(matchesGolden(run(), "golden/report_pass.summary.txt"));
    EXPECT_TRUE(matchesGolden(readFile(settingsPath()), "golden/report_pass_edited.TORV.ini"));
    EXPECT_TRUE(matchesGolden(cabrillo(), "golden/report_pass_edited.cbr"));
}

// Cancel means "do not export": the pass scores as usual, but every result
// until the next rescoring writes no file, shows nothing and leaves the
// status alone; the settings file keeps its header keys.
TEST_F(ReportPass, CancelledExportsNothingUntilTheNextRescoring) {
    dialog->confirm = false;
    dialog->edit = [](HeaderFields& fields) { fields.name = "not stored"; };
    pass();
    for (int call = 0; call < 2; ++call) {
        int status = 7;
        EXPECT_TRUE(matchesGolden(app->result(&status), "golden/report_pass.summary.txt"));
        EXPECT_EQ(status, 7);
    }
    EXPECT_TRUE(ui->shown().empty());
    EXPECT_FALSE(fileExists(folder.file(kReportPassCabrilloFile)));
    EXPECT_TRUE(matchesGolden(readFile(settingsPath()), "golden/report_pass_cancelled.TORV.ini"));

    // The next export pass, confirmed, exports again.
    dialog->confirm = true;
    dialog->edit = nullptr;
    EXPECT_TRUE(matchesGolden(run(), "golden/report_pass.summary.txt"));
    EXPECT_TRUE(matchesGolden(cabrillo(), "golden/report_pass.cbr"));
}

TEST_F(ReportPass, ARescoringWithoutExportAfterACancelLeavesTheStatusAlone) {
    dialog->confirm = false;
    pass();
    app->resetStats(0, kReportPassCall, passStart(), passEnd());
    int status = 3;
    app->result(&status);
    EXPECT_EQ(status, 3);
    EXPECT_TRUE(ui->shown().empty());
    EXPECT_EQ(dialog->shown.size(), 1u);
}

TEST_F(ReportPass, EveryResultRewritesTheFileWhileTheExportFlagStays) {
    run();
    std::filesystem::remove(folder.file(kReportPassCabrilloFile));
    int status = 0;
    app->result(&status);
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(fileExists(folder.file(kReportPassCabrilloFile)));
    EXPECT_EQ(ui->shown().size(), 2u);

    // A rescoring without export ends that, and leaves the status alone.
    app->resetStats(0, kReportPassCall, passStart(), passEnd());
    status = 42;
    app->result(&status);
    EXPECT_EQ(status, 42);
    EXPECT_EQ(ui->shown().size(), 2u);
}

}  // namespace
