// The operator's failure texts: the closed set of sentences that say why
// work on the instrument's files failed (the line, the transfer, saving,
// reading and converting a record, drawing it), each written once here.
//
// Every front end shows them as they are (the window's boxes and status
// line, gt7p-cli's standard error), so a front end that tells one failure
// from another compares against FailureText, never a copy of the sentence.
#pragma once

#include <string>

#include "base/error.h"

namespace gt7p {

enum class Failure {
  kCantCreateFile,      // "无法创建文件！": an output, a temporary or the transfer's file
  kWriteFailed,         // "写入文件失败！": a write that failed (WriteError)
  kIncompleteFile,      // "数据文件不完整！": shorter than its header declares
  kUnknownFormat,       // "无法识别的文件格式！"
  kNoTracesOrSamples,   // "道数或采样点数为零！"
  kFileNotFound,        // "找不到文件：", followed by the path
  kFolderNotFile,       // "是文件夹，不是文件：", followed by the path
  kNotRegularFile,      // "不是普通文件：", followed by the path (a device, a pipe)
  kOutOfMemory,         // "内存不足！"
  kConnectFailed,       // "连接失败": the port can't be opened
  kLinkAborted,         // "通讯已中止！": the exchange given up on request
  kCardVersionError,    // "读COMMEM卡版本号错误！": the card's handshake
  kVersionError,        // "读版本号错误！": the memory's handshake
  kNoDirectory,         // "无法提取目录信息！": a directory reply that can't be read
  kNoBufferPool,        // "无法创建缓冲池！": no cache file for the directory
  kReplyTooLong,        // "仪器发送的数据超出声明的长度！"
  kUserCancelled,       // "用户取消！": the operator closed the port's question
};

// The number of failures: Failure's values are 0 .. kFailureCount - 1.
inline constexpr int kFailureCount = static_cast<int>(Failure::kUserCancelled) + 1;

// The failure's sentence in code page 936.
const std::string& FailureText(Failure failure);

// Error with the failure's sentence.
Error FailureError(Failure failure);

}  // namespace gt7p
