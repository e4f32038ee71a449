#include "records/field_table.h"

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "records/field_format.h"

namespace gt7p {

// Written in UTF-8 and converted to code page 936 once, on first use.
static const char kHeaderFieldTableUtf8[] =
    "0A,原始文件名称,1,1,0,22,16*.*6*;"
    "0H,存储地址,2,0,22,6,6*;"
    "0H,字节数量,3,1,28,6,6*;"
    "0H,编辑标志,4,0,34,2,2*◇0◇准备删除◇1◇正常;"
    "0B,探测时间,5,1,36,14,4*年*2*月*2*日*2*:*2*:*2*;"
    "0C,探测地点,6,1,50,36,36*;"
    "0H,测线编号,7,0,86,4,4*;"
    "0H,测点编号,8,0,90,4,4*;"
    "0H,触发方式,9,0,94,2,2*◇0◇内◇1◇外◇2◇先断◇3◇先短;"
    "0H,触发电压,10,0,96,4,2*.*2*（≤5V）;"
    "0H,探测介质,11,1,100,2,2*◇0◇煤◇1◇土◇2◇岩;"
    "0H,探测层数,12,1,102,2,2*（1—5）;"
    "0H,最小厚度h1,13,0,104,6,4*.*2*m;"
    "0H,最大厚度h2,14,0,110,6,4*.*2*m;"
    "0H,最小速度v1,15,0,116,6,2*.*4*m/ms;"
    "0H,最大速度v2,16,0,122,6,2*.*4*m/ms;"
    "0H,已知速度V0,17,0,128,6,2*.*4*m/ms;"
    "0H,最大源检距,18,0,134,6,4*.*2*m;"
    "0H,步距,19,0,140,4,2*.*2*m;"
    "0H,道数,20,1,144,4,4*;"
    "0H,采样点数,21,1,148,4,4*;"
    "0H,超前采样点数,22,1,152,4,4*;"
    "0H,采样间隔,23,1,156,6,4*.*2*μs;"
    "0H,采样延时,24,0,162,8,8*μs;"
    "0H,系统延时,25,0,170,4,2*.*2*μs;"
    "0H,探测方法,26,1,174,2,1**1*◇00◇用户探测◇10◇单点测厚（低阻尼）◇11◇单点测厚（高阻尼）◇20◇双点探测◇30◇单边折射探测◇31◇双边相遇折射击剖面探测◇32◇围岩松动圈探测◇40◇反射探测（低阻尼）◇41◇反射探测（高阻尼）;"
    "0H,解析方法,27,0,176,2,2*◇0◇全自动解析◇1◇半自动解析◇2◇手动解析◇3◇采样结果屏;"
    "0H,初至系数K,28,0,178,4,2*.*2*;"
    "0H,幅谱阀值Av,29,0,182,4,2*.*2*;"
    "0H,判拐系数C,30,0,186,4,2*.*2*;"
    "0H,深度波长比e,31,0,190,4,2*.*2*;"
    "0H,相干阀值Kv,32,0,194,4,2*.*2*;"
    "0H,FFT点数,33,0,198,4,4*;"
    "0H,插值点数,34,0,202,2,2*;"
    "0H,频段起点,35,0,204,4,4*;"
    "0H,频段终点,36,0,208,4,4*;"
    "0H,解析标识,37,0,212,2,1*-*1*（解析层-出错号）;"
    "0H,频段起点f1,38,0,214,6,4*.*2*;"
    "0H,频段终点f2,39,0,220,6,4*.*2*;"
    "0H,第一层厚度,40,0,226,6,4*.*2*m;"
    "0H,第一层速度,41,0,232,6,2*.*4*m/ms;"
    "0H,第一层倾角,42,0,238,6,4*.*2*°;"
    "0H,第二层厚度,43,0,244,6,4*.*2*m;"
    "0H,第二层速度,44,0,250,6,2*.*4*m/ms;"
    "0H,第二层倾角,45,0,256,6,4*.*2*°;"
    "0H,第三层厚度,46,0,262,6,4*.*2*m;"
    "0H,第三层速度,47,0,268,6,2*.*4*m/ms;"
    "0H,第三层倾角,48,0,274,6,4*.*2*°;"
    "0H,第四层厚度,49,0,280,6,4*.*2*m;"
    "0H,第四层速度,50,0,286,6,2*.*4*m/ms;"
    "0H,第四层倾角,51,0,292,6,4*.*2*°;"
    "0H,第五层厚度,52,0,298,6,4*.*2*m;"
    "0H,第五层速度,53,0,304,6,2*.*4*m/ms;"
    "0H,第五层倾角,54,0,310,6,4*.*2*°;"
    "1H,源检距,55,0,0,6,4*.*2*m;"
    "1H,相对高程,56,0,6,4,4*m;"
    "1H,道号,57,0,10,4,4*（1-100）;"
    "1H,低截频率fL,58,0,14,6,4*.*2*（1-4000HZ）;"
    "1H,高截频率fH,59,0,20,6,4*.*2*（1-4000HZ）;"
    "1H,前放增益,60,0,26,2,2*dB;"
    "1H,浮点增益类型,61,0,28,2,2*（0-3）;"
    "1H,浮点增益起点,62,0,30,4,4*;"
    "1H,波形最大绝对值,63,0,34,4,4*;"
    "1H,叠加次数,64,0,38,2,2*;"
    "1H,第零层解析点t0,65,0,40,4,4*（1-8192）;"
    "1H,第一层解析点t1,66,0,44,4,4*（1-8192）;"
    "1H,第二层解析点t2,67,0,48,4,4*（1-8192）;"
    "1H,第三层解析点t3,68,0,52,4,4*（1-8192）;"
    "1H,第四层解析点t4,69,0,56,4,4*（1-8192）;"
    "1H,第五层解析点t5,70,0,60,4,4*（1-8192）;";

const std::string& HeaderFieldTable() {
  static const std::string table = Utf8ToCp936(kHeaderFieldTableUtf8);
  return table;
}

static std::vector<std::string> Entries(const std::string& part) {
  std::vector<std::string> entries = SplitText(part, ';');
  if (!entries.empty() && entries.back().empty()) entries.pop_back();
  return entries;
}

std::vector<std::string> HeaderGroupZeroEntries() {
  const std::string& table = HeaderFieldTable();
  return Entries(table.substr(0, table.find(";1")));
}

std::vector<std::string> HeaderGroupOneEntries() {
  const std::string& table = HeaderFieldTable();
  size_t boundary = table.find(";1");
  if (boundary == std::string::npos) return {};
  return Entries(table.substr(boundary + 1));
}

FieldSpec ParseFieldSpec(const std::string& entry) {
  std::vector<std::string> columns = SplitText(entry.empty() ? entry : entry.substr(1), ',');
  columns.resize(7);
  FieldSpec fieldSpec;
  fieldSpec.kind = columns[0];
  fieldSpec.name = columns[1];
  fieldSpec.index = columns[2];
  fieldSpec.shown = columns[3];
  fieldSpec.offset = StrToIntDef(columns[4], -1);
  fieldSpec.length = StrToIntDef(columns[5], -1);
  if (fieldSpec.offset == -1 || fieldSpec.length == -1) throw Error();
  fieldSpec.templ = columns[6];
  return fieldSpec;
}

static std::vector<FieldSpec> ParseAll(const std::vector<std::string>& entries) {
  std::vector<FieldSpec> fields;
  fields.reserve(entries.size());
  for (const std::string& entry : entries) fields.push_back(ParseFieldSpec(entry));
  return fields;
}

const std::vector<FieldSpec>& HeaderGroupZeroFields() {
  static const std::vector<FieldSpec> fields = ParseAll(HeaderGroupZeroEntries());
  return fields;
}

const std::vector<FieldSpec>& HeaderGroupOneFields() {
  static const std::vector<FieldSpec> fields = ParseAll(HeaderGroupOneEntries());
  return fields;
}

std::string FieldText(const std::string& record, const FieldSpec& fieldSpec) {
  std::string chars;
  if (fieldSpec.offset >= 0 && static_cast<size_t>(fieldSpec.offset) < record.size())
    chars = record.substr(static_cast<size_t>(fieldSpec.offset), static_cast<size_t>(fieldSpec.length < 0 ? 0 : fieldSpec.length));
  return FormatFieldValue(chars, fieldSpec.kind, fieldSpec.templ);
}

}  // namespace gt7p
