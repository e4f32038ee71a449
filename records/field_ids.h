// Names of the header-field table's entries (their index, column 2) for the
// code that reads a field by what it means. Offsets, lengths and templates
// stay in the table (TableField, PlainFieldValue in record_reader.h).
#pragma once

namespace gt7p {

enum FieldId : int {
  // File header (group 0).
  kFieldFileName = 1,        // "原始文件名称"
  kFieldSurveyTime = 5,      // "探测时间"
  kFieldPlace = 6,           // "探测地点"
  kFieldLine = 7,            // "测线编号"
  kFieldPoint = 8,           // "测点编号"
  kFieldChannels = 20,       // "道数"
  kFieldSamples = 21,        // "采样点数"
  kFieldPreTrigger = 22,     // "超前采样点数"
  kFieldInterval = 23,       // "采样间隔"
  kFieldDelay = 24,          // "采样延时"
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

// The table's position of a group-1 field among the group-1 entries (for
// RecordHeader::channelHeld).
constexpr int kFirstChannelFieldId = kFieldDistance;

}  // namespace gt7p
