#include "base/messages.h"

#include <array>

#include "base/cp936.h"

namespace gt7p {
namespace {

// In Failure's order.
constexpr std::array<const char*, kFailureCount> kSentences = {
    "无法创建文件！",
    "写入文件失败！",
    "数据文件不完整！",
    "无法识别的文件格式！",
    "道数或采样点数为零！",
    "找不到文件：",
    "是文件夹，不是文件：",
    "不是普通文件：",
    "内存不足！",
    "连接失败",
    "通讯已中止！",
    "读COMMEM卡版本号错误！",
    "读版本号错误！",
    "无法提取目录信息！",
    "无法创建缓冲池！",
    "仪器发送的数据超出声明的长度！",
    "用户取消！",
};

}  // namespace

const std::string& FailureText(Failure failure) {
  static const std::array<std::string, kFailureCount> texts = [] {
    std::array<std::string, kFailureCount> made;
    for (int i = 0; i < kFailureCount; ++i) made[i] = Utf8ToCp936(kSentences[i]);
    return made;
  }();
  return texts.at(static_cast<int>(failure));
}

Error FailureError(Failure failure) { return Error(FailureText(failure)); }

}  // namespace gt7p
