// What the window and gt7p-cli show and keep around a transfer: the
// settings taken back from the store, the progress texts, auto-detection's
// entry and the order of the ports it tries.
#include <gtest/gtest.h>

#include <functional>

#include "base/text.h"
#include "records/field_table.h"
#include "tests/support/files.h"
#include "tests/support/link_test_support.h"
#include "workflow/comm_settings.h"
#include "workflow/port_detect.h"
#include "workflow/stored_settings.h"
#include "workflow/transfer_progress.h"

namespace gt7p {
namespace {

using test::G;

StoredSettings Sound() {
  LinkSettings settings;
  settings.portName = "COM5";
  settings.commTarget = 1;
  settings.receiveDelay = 7;
  settings.columnChoice = test::Columns({1, 3, 20});
  settings.fullSilence = true;
  settings.autoDetectPort = true;
  return StoreLinkSettings(settings);
}

TEST(StoredSettings, SoundValuesComeBack) {
  const LinkSettings back = RestoreLinkSettings(Sound());
  EXPECT_EQ(back.portName, "COM5");
  EXPECT_EQ(back.commTarget, 1);
  EXPECT_EQ(back.receiveDelay, 7);
  EXPECT_EQ(back.columnChoice, test::Columns({1, 3, 20}));
  EXPECT_TRUE(back.fullSilence);
  EXPECT_TRUE(back.autoDetectPort);
  EXPECT_EQ(back.defaultColumns, "");  // built by the first listing, as ever
  // The dialog's own column choice, as it comes back from a listing.
  StoredSettings defaults = Sound();
  defaults.columns = DefaultColumns();
  EXPECT_EQ(RestoreLinkSettings(defaults).columnChoice, DefaultColumns());
}

// Each damaged or foreign value falls back on its own to the initial state.
TEST(StoredSettings, DamagedOrForeignValuesFallBackOneByOne) {
  const LinkSettings initial;
  std::string shortChoice = DefaultColumns();
  shortChoice.resize(shortChoice.rfind("\r\n"));  // a table of another version: one field fewer
  std::string renamed = DefaultColumns();
  renamed.replace(renamed.find(G("道数")), G("道数").size(), G("通道"));
  const std::vector<std::pair<const char*, std::function<void(StoredSettings&)>>> damages = {
      {"port with a blank", [](StoredSettings& s) { s.port = "COM5 (x)"; }},
      {"port with a comma", [](StoredSettings& s) { s.port = "COM5,1"; }},
      {"port with a line break", [](StoredSettings& s) { s.port = "COM5\n"; }},
      {"port too long", [](StoredSettings& s) { s.port = std::string(256, 'C'); }},
      {"target 2", [](StoredSettings& s) { s.target = "2"; }},
      {"target text", [](StoredSettings& s) { s.target = "card"; }},
      {"delay 11", [](StoredSettings& s) { s.delay = "11"; }},
      {"delay 05", [](StoredSettings& s) { s.delay = "05"; }},
      {"columns of another table", [&](StoredSettings& s) { s.columns = shortChoice; }},
      {"a renamed column", [&](StoredSettings& s) { s.columns = renamed; }},
      {"a flag that is no flag", [](StoredSettings& s) { s.columns = ReplaceAll(s.columns, "3=1", "3=x"); }},
      {"LF for CR LF", [](StoredSettings& s) { s.columns = ReplaceAll(s.columns, "\r\n", "\n"); }},
      {"switches", [](StoredSettings& s) { s.fullSilence = s.autoDetect = "true"; }},
  };
  for (const auto& [what, damage] : damages) {
    StoredSettings stored = Sound();
    damage(stored);
    const LinkSettings back = RestoreLinkSettings(stored), sound = RestoreLinkSettings(Sound());
    // The damaged value is the initial one, every other is as stored.
    const bool port = stored.port != Sound().port, target = stored.target != Sound().target,
               delay = stored.delay != Sound().delay, columns = stored.columns != Sound().columns,
               flags = stored.fullSilence != Sound().fullSilence;
    EXPECT_EQ(back.portName, port ? initial.portName : sound.portName) << what;
    EXPECT_EQ(back.commTarget, target ? initial.commTarget : sound.commTarget) << what;
    EXPECT_EQ(back.receiveDelay, delay ? initial.receiveDelay : sound.receiveDelay) << what;
    EXPECT_EQ(back.columnChoice, columns ? initial.columnChoice : sound.columnChoice) << what;
    EXPECT_EQ(back.fullSilence, flags ? initial.fullSilence : sound.fullSilence) << what;
  }
  // Nothing stored at all: the initial state.
  const LinkSettings none = RestoreLinkSettings(StoredSettings());
  EXPECT_EQ(none.portName, "");
  EXPECT_EQ(none.receiveDelay, 3);
  EXPECT_FALSE(none.autoDetectPort);
}

TEST(TransferProgress, ShareRateAndTimeLeft) {
  TransferProgress p;
  EXPECT_EQ(StatusBarProgressText(p), G("已收 0 字符"));
  p.Update(200, 0, 0.1);  // the header not in yet
  EXPECT_EQ(p.Percent(), -1);
  EXPECT_EQ(TimeLeftText(p), "");
  p.Update(19200, 192000, 10.0);
  EXPECT_EQ(p.Percent(), 10);
  EXPECT_DOUBLE_EQ(p.Rate(), 1920);
  EXPECT_DOUBLE_EQ(p.SecondsLeft(), 90);
  EXPECT_EQ(StatusBarProgressText(p), G("已收 19200/192000 字符  剩余 1 分 30 秒"));
  EXPECT_EQ(TerminalProgressLine("ZS0001.DAT", p), G("ZS0001.DAT   10%  18.8/187.5 KB  1.9 KB/s  剩余 1 分 30 秒"));
  p.Update(192000, 192000, 100.0);
  p.Update(192000, 192000, 100.3);  // the quiet after the last character does not slow the rate
  EXPECT_DOUBLE_EQ(p.Rate(), 1920);
  EXPECT_EQ(p.Percent(), 100);
  EXPECT_EQ(StatusBarProgressText(p), G("已收 192000/192000 字符  剩余 0 秒"));
  p.Update(196096, 192000, 102);  // characters past the declared length
  EXPECT_EQ(p.Percent(), 100);
}

TEST(AutoDetectRules, EntryAndOrderOfPorts) {
  const std::vector<std::string> machine = {"COM1  (\\device\\serial0)", "COM3  (\\device\\serial2)"};
  const std::vector<std::string> offered = WithAutoDetectEntry(machine);
  ASSERT_EQ(offered.size(), 3u);
  EXPECT_EQ(offered.back(), G("自动检测  (逐个试探串口)"));
  EXPECT_EQ(PortOfEntry(offered.back()), AutoDetectPortName());
  EXPECT_EQ(ChoosePortEntry(offered, AutoDetectPortName()).selected, 2);
  EXPECT_EQ(ChoosePortEntry(offered, "").selected, 0);  // a first start: the first port, as before
  EXPECT_TRUE(WithAutoDetectEntry({}).empty());  // no port at all: the dialog says so, as before
  EXPECT_EQ(DetectionCandidates({"COM3", "/dev/pts/4", "COM3"}, offered),
            (std::vector<std::string>{"COM3", "/dev/pts/4", "COM1"}));
}

// A port found by auto-detection comes back to the dialog as "自动检测".
TEST(AutoDetectRules, TheDialogOffersItAgain) {
  LinkSettings settings;
  settings.portName = "COM3";
  settings.autoDetectPort = true;
  settings.fullSilence = true;
  std::string asked;
  const CommSettings chosen =
      ChooseCommSettings(settings, [&](LineSettings& shown, auto&&) {
        asked = shown.portName;
        return "COM3,0,3," + shown.columnChoice;
      });
  EXPECT_EQ(asked, AutoDetectPortName());
  EXPECT_TRUE(chosen.fullSilence);  // carried where the dialog has no check box
}

}  // namespace
}  // namespace gt7p
