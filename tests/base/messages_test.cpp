// The operator's failure sentences: every failure has its own sentence,
// byte for byte as the operator has always read it.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"

namespace gt7p {
namespace {

struct Sentence {
  Failure failure;
  const char* utf8;
};

// Written out here, not taken from the catalogue: a changed sentence fails.
const Sentence kSentences[] = {
    {Failure::kCantCreateFile, "无法创建文件！"},
    {Failure::kWriteFailed, "写入文件失败！"},
    {Failure::kIncompleteFile, "数据文件不完整！"},
    {Failure::kUnknownFormat, "无法识别的文件格式！"},
    {Failure::kNoTracesOrSamples, "道数或采样点数为零！"},
    {Failure::kFileNotFound, "找不到文件："},
    {Failure::kFolderNotFile, "是文件夹，不是文件："},
    {Failure::kNotRegularFile, "不是普通文件："},
    {Failure::kOutOfMemory, "内存不足！"},
    {Failure::kConnectFailed, "连接失败"},
    {Failure::kLinkAborted, "通讯已中止！"},
    {Failure::kCardVersionError, "读COMMEM卡版本号错误！"},
    {Failure::kVersionError, "读版本号错误！"},
    {Failure::kNoDirectory, "无法提取目录信息！"},
    {Failure::kNoBufferPool, "无法创建缓冲池！"},
    {Failure::kReplyTooLong, "仪器发送的数据超出声明的长度！"},
    {Failure::kUserCancelled, "用户取消！"},
};

// Every failure is in the table once, so a failure added to the catalogue
// without its sentence here fails; each text is its sentence in code page
// 936, and no two failures read alike (a front end tells them apart by
// their text).
TEST(Failures, EachHasItsOwnSentence) {
  ASSERT_EQ(std::size(kSentences), static_cast<size_t>(kFailureCount));
  std::set<int> named;
  std::set<std::string> texts;
  for (const Sentence& s : kSentences) {
    SCOPED_TRACE(s.utf8);
    EXPECT_TRUE(named.insert(static_cast<int>(s.failure)).second);
    EXPECT_EQ(FailureText(s.failure), Utf8ToCp936(s.utf8));
    EXPECT_EQ(Cp936ToUtf8(FailureText(s.failure)), s.utf8);
    EXPECT_TRUE(texts.insert(FailureText(s.failure)).second);
  }
  EXPECT_EQ(*named.begin(), 0);
  EXPECT_EQ(*named.rbegin(), kFailureCount - 1);
}

// The code page's own bytes, not what a converter makes of them.
TEST(Failures, TextsAreCodePage936Bytes) {
  EXPECT_EQ(FailureText(Failure::kCantCreateFile), "\xCE\xDE\xB7\xA8\xB4\xB4\xBD\xA8\xCE\xC4\xBC\xFE\xA3\xA1");
  EXPECT_EQ(FailureText(Failure::kOutOfMemory), "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3\xA3\xA1");
}

TEST(Failures, ErrorCarriesTheSentence) {
  try {
    throw FailureError(Failure::kIncompleteFile);
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.message()), FailureText(Failure::kIncompleteFile));
    return;
  }
  FAIL() << "no Error";
}

}  // namespace
}  // namespace gt7p
