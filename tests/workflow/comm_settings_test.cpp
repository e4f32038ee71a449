// The settings texts and the settings dialog's rules, without the dialog.
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/messages.h"
#include "base/text.h"
#include "records/field_table.h"
#include "tests/support/files.h"
#include "tests/support/link_test_support.h"
#include "workflow/comm_settings.h"

namespace gt7p {
namespace {

using test::G;

TEST(ColumnChoice, DefaultColumnsOneLinePerFileHeaderField) {
  const std::string columns = DefaultColumns();
  const std::vector<std::string> lines = SplitText(columns, "\r\n");
  ASSERT_EQ(lines.size(), 54u);
  EXPECT_EQ(lines[0], G("1=1原始文件名称"));
  EXPECT_EQ(lines[1], G("2=0存储地址"));
  EXPECT_EQ(lines[53], G("54=0第五层倾角"));
  std::vector<int> shown;
  for (size_t i = 0; i < lines.size(); ++i)
    if (ColumnLineShown(lines[i])) shown.push_back(static_cast<int>(i) + 1);
  EXPECT_EQ(shown, (std::vector<int>{1, 3, 5, 6, 11, 12, 20, 21, 22, 23, 26}));
}

TEST(ColumnChoice, TheDialogReadsByPositionAndRenumbers) {
  const std::vector<ColumnLine> lines =
      ReadColumnChoice(G("7=1原始◇文件名称\r2=0存储地址\n3=x字节数量\r\n=1\r\n1道数\r\n4=\r\na=b=1c\r\n"));
  const std::vector<std::pair<bool, const char*>> want = {{true, "原始文件名称"}, {false, "存储地址"}, {false, "字节数量"},
                                                          {true, ""},           {true, "道数"},      {false, ""},
                                                          {false, "=1c"}};
  ASSERT_EQ(lines.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(lines[i].shown, want[i].first) << i;
    EXPECT_EQ(lines[i].caption, G(want[i].second)) << i;
  }
  EXPECT_EQ(ColumnChoiceText(lines), G("1=1原始文件名称\r\n2=0存储地址\r\n3=0字节数量\r\n4=1\r\n5=1道数\r\n6=0\r\n7=0=1c"));
  EXPECT_TRUE(ReadColumnChoice("").empty());
  EXPECT_EQ(ColumnChoiceText({}), "");
  // The exchange's reading differs: "=1" anywhere.
  EXPECT_TRUE(ColumnLineShown("a=b=1c"));
  EXPECT_FALSE(ColumnLineShown("1=0x=0"));
}

TEST(CommSettingsText, ComposedAndRead) {
  const std::string columns = G("1=1原始文件名称\r\n2=0存储地址\r\n3=1字,节");
  const CommSettings read = ParseCommSettings("COM3,1,5," + columns);
  EXPECT_EQ(read.portName, "COM3");
  EXPECT_EQ(read.commTarget, 1);
  EXPECT_EQ(read.receiveDelay, 5);
  EXPECT_EQ(read.columnChoice, G("1=1原始文件名称\r\n2=0存储地址\r\n3=1字"));  // a comma ends it
  EXPECT_EQ(read.shown, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(CommSettingsText(read), "COM3,1,5," + read.columnChoice);
  const CommSettings empty = ParseCommSettings("/dev/ttyS0,0,3,");
  EXPECT_EQ(empty.columnChoice, "");
  EXPECT_TRUE(empty.shown.empty());
  EXPECT_EQ(ParseCommSettings(",0,3").portName, "");  // no column text at all
}

TEST(CommSettingsText, TargetOrDelayThatIsNoNumberFails) {
  for (const char* answer : {"/dev/x,a,3,", "/dev/x,0,-1,", "/dev/x,0", "/dev/x", " ,1 ,3,"})
    EXPECT_EQ(test::FailureOf([&] { ParseCommSettings(answer); }), "") << answer;
}

TEST(CommSettingsText, ForTheTerminal) {
  std::vector<bool> flags(54);
  flags[0] = flags[2] = true;
  const CommSettings s = CommSettingsFor("COM3", 1, 7, flags);
  const std::string start = G("COM3,1,7,1=1原始文件名称\r\n2=0存储地址\r\n3=1字节数量\r\n4=0");
  EXPECT_EQ(CommSettingsText(s).substr(0, start.size()), start);
  EXPECT_EQ(ParseCommSettings(CommSettingsText(s)).shown, s.shown);
  EXPECT_EQ(s.shown.size(), 54u);
}

TEST(ChooseCommSettings, DefaultsOnceThenTheDialog) {
  LinkSettings settings;
  std::vector<std::string> asked;
  const SettingsDialog dialog = [&](LineSettings& shown, const std::string& defaults) {
    asked = {shown.portName, std::to_string(shown.commTarget), std::to_string(shown.receiveDelay),
             shown.columnChoice, defaults};
    return std::string();
  };
  EXPECT_EQ(test::FailureOf([&] { ChooseCommSettings(settings, dialog); }), FailureText(Failure::kUserCancelled));
  // Built before the dialog, kept after the cancel.
  EXPECT_EQ(settings.defaultColumns, DefaultColumns());
  EXPECT_EQ(settings.columnChoice, DefaultColumns());
  EXPECT_EQ(asked, (std::vector<std::string>{"", "0", "3", DefaultColumns(), DefaultColumns()}));
  settings.columnChoice = "1=1x";
  settings.commTarget = 1;
  const CommSettings chosen = ChooseCommSettings(settings, [&](LineSettings& shown, auto&&) {
    return "COM1,1,4," + shown.columnChoice;
  });
  EXPECT_EQ(chosen.columnChoice, "1=1x");
  EXPECT_EQ(chosen.receiveDelay, 4);
  EXPECT_EQ(settings.receiveDelay, 3);  // stored by the exchange, once the listing succeeded
}

// The line's timing is one of the settings the dialog edits: what it leaves
// there is the answer's; the window's own settings change only once the
// listing succeeded.
TEST(ChooseCommSettings, TheDialogSetsTheTiming) {
  LinkSettings settings;
  for (const bool silence : {false, true}) {
    bool shownSilence = !silence;
    const CommSettings chosen = ChooseCommSettings(settings, [&](LineSettings& shown, auto&&) {
      shownSilence = shown.fullSilence;
      shown.fullSilence = !shown.fullSilence;
      return "COM1,0,3," + shown.columnChoice;
    });
    EXPECT_EQ(shownSilence, silence);
    EXPECT_EQ(chosen.fullSilence, !silence);
    EXPECT_EQ(settings.fullSilence, silence);
    settings.fullSilence = !silence;
  }
}

TEST(SettingDialogRules, TargetAndDelayEntries) {
  const std::vector<std::pair<const char*, int>> targets = {{"0", 0}, {"1", 1}, {"3", 1},  {"-2", 0},
                                                            {"x", 0}, {"", 0},  {"-1", -1}, {"-3", -1}};
  for (const auto& [text, index] : targets) EXPECT_EQ(TargetIndex(text), index) << text;
  const std::vector<std::pair<const char*, int>> delays = {{"3", 0}, {"5", 2}, {"10", 7}, {"11", 0}, {"05", 0}, {"", 0}};
  for (const auto& [text, index] : delays) EXPECT_EQ(DelayIndex(text), index) << text;
  EXPECT_EQ(TargetEntries(), (std::vector<std::string>{G("仪器"), G("存储卡")}));
  EXPECT_EQ(DelayEntries().front(), "3");
  EXPECT_EQ(DelayEntries().back(), "10");
}

TEST(SettingDialogRules, PortEntryMatch) {
  const std::vector<std::string> ports = {"COM1  (\\device\\serial0)", "COM3  (\\device\\serial2)",
                                          G("COM5  (\\device\\vcp0) USB转串口设备")};
  struct Case {
    std::vector<std::string> entries;
    const char* name;
    int selected;
  };
  const Case cases[] = {{{"COM10  (a)", "COM1  (b)"}, "COM1", 1},
                        {{"COM1  (b)", "COM10  (a)"}, "COM1", 0},
                        {ports, "", 0},
                        {ports, "com3", 1},
                        {ports, "COM7", 0},
                        {{"COM3  (a)", "com3  (b)"}, "COM3", 1},  // the last match wins
                        {{}, "COM1", -1}};
  for (const Case& c : cases) EXPECT_EQ(ChoosePortEntry(c.entries, c.name).selected, c.selected) << c.name;
  EXPECT_EQ(ChoosePortEntry(ports, "").dropDownWidth, static_cast<int>(6 * (ports[2].size() + 2)));
  EXPECT_EQ(ChoosePortEntry({"COM1  (a)"}, "").dropDownWidth, 6 * 12);
  EXPECT_EQ(PortOfEntry("/dev/ttyUSB0  (ftdi_sio) x"), "/dev/ttyUSB0");
  EXPECT_EQ(PortOfEntry("COM1"), "COM1");
}

TEST(SettingDialogRules, NamedPortsComeFirstWithoutRepeats) {
  const std::string named = NamedPortEntry("/dev/ttyUSB0");
  EXPECT_EQ(named, G("/dev/ttyUSB0  (命令行指定)"));
  const std::vector<std::string> machine = {"/dev/ttyS0  (serial8250)", G("/dev/ttyUSB0  (ftdi_sio) USB转串口设备"),
                                            "/dev/ttyUSB01  (ftdi_sio)"};
  EXPECT_EQ(OfferedPorts({named, "/dev/pts/3  (sim)"}, machine),
            (std::vector<std::string>{named, "/dev/pts/3  (sim)", "/dev/ttyS0  (serial8250)", "/dev/ttyUSB01  (ftdi_sio)"}));
  EXPECT_EQ(OfferedPorts({}, machine), machine);
  // The named port is chosen when the settings name it.
  EXPECT_EQ(ChoosePortEntry(OfferedPorts({named}, machine), "/dev/ttyUSB0").selected, 0);
}

}  // namespace
}  // namespace gt7p
