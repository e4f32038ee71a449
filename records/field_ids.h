// Names for the record identities that code picks out by number: the
// header-field table's entries (their index, column 2) and the output
// layouts' entries (their index, column 3) that carry a rule. Offsets,
// lengths, kinds and templates stay in the tables (TableField and
// PlainFieldValue in record_reader.h, LayoutEntry in layouts.h); a unit
// test checks that each name below names the field it says, and that each
// named layout entry carries its field.
#pragma once

namespace gt7p {

enum FieldId : int {
  // File header (group 0).
  kFieldFileName = 1,        // "原始文件名称"
  kFieldSurveyTime = 5,      // "探测时间"
  kFieldPlace = 6,           // "探测地点"
  kFieldLine = 7,            // "测线编号"
  kFieldPoint = 8,           // "测点编号"
  kFieldTriggerVoltage = 10, // "触发电压"
  kFieldChannels = 20,       // "道数"
  kFieldSamples = 21,        // "采样点数"
  kFieldPreTrigger = 22,     // "超前采样点数"
  kFieldInterval = 23,       // "采样间隔"
  kFieldDelay = 24,          // "采样延时"
  kFieldSystemDelay = 25,    // "系统延时"
  kFieldMethod = 26,         // "探测方法"
  // Channel header (group 1).
  kFieldDistance = 55,       // "源检距"
  kFieldElevation = 56,      // "相对高程"
  kFieldChannelNumber = 57,  // "道号"
  kFieldLowCut = 58,         // "低截频率fL"
  kFieldHighCut = 59,        // "高截频率fH"
  kFieldPreampGain = 60,     // "前放增益"
  kFieldStack = 64,          // "叠加次数"
  kFieldPointT0 = 65,        // "第零层解析点t0"; t1..t5 follow
};

// The first group-1 field: a field's place among the group-1 entries is
// its id less this one (RecordHeader::channelHeld).
constexpr int kFirstChannelFieldId = kFieldDistance;

// The instrument's analysis point of layer k (t0..t5).
constexpr int AnalysisPointField(int layer) { return kFieldPointT0 + layer; }

// Entries of both output layouts (the same numbers in each) that the
// conversion and the reader treat by their number.
enum LayoutEntryId : int {
  kEntryMagic = 1,           // the format's first 8 bytes, fixed
  kEntryPreTrigger = 22,     // kFieldPreTrigger, remembered for the delay
  kEntryTriggerVoltage = 23, // kFieldTriggerVoltage, in tenths of a volt
  kEntrySamples = 37,        // kFieldSamples, the sample count per channel
  kEntryChannels = 39,       // kFieldChannels, the channel count
  kEntryInterval = 45,       // kFieldInterval, in ms as a float
  kEntryDelay = 46,          // kFieldDelay, in ms, less the pre-trigger part
  kEntrySystemDelay = 47,    // kFieldSystemDelay, in ms
};

}  // namespace gt7p
