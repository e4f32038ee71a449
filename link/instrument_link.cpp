#include "link/instrument_link.h"

#include <exception>
#include <filesystem>

#include "base/cp936.h"
#include "base/error.h"
#include "base/local_folders.h"
#include "base/messages.h"
#include "base/text.h"
#include "link/comm_thread.h"
#include "link/instrument_ui.h"
#include "link/serial_port.h"

namespace gt7p {

InstrumentLink::InstrumentLink() : port_(new SerialPort) {
  cacheFolders_.push_back(ProgramFolder());
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (!ec) cacheFolders_.push_back(temp);
}

InstrumentLink::~InstrumentLink() { CloseCommPort(); }

bool InstrumentLink::OpenCommPort(InstrumentUi& ui, const std::string& portName) {
  static const std::string kConnecting = Utf8ToCp936("正在连接端口 ");
  ui.SetStatusText(kConnecting + portName + " ...");
  if (!port_->Open(portName)) {
    ui.SetStatusText(FailureText(Failure::kConnectFailed));
    return false;
  }
  if (!port_->Configure()) {
    CloseCommPort();
    return false;
  }
  try {
    if (port_->ReadLineStatus().errors) port_->Purge();
    ui.SetStatusText("");
  } catch (const std::exception&) {
    CloseCommPort();
    ui.SetStatusText("");
    return false;
  }
  return true;
}

bool InstrumentLink::IsOpen() const { return port_->IsOpen(); }

void InstrumentLink::CloseCommPort() {
  port_->Close();
  if (receiveEnd_ && !receiveEnd_->IsSet()) receiveEnd_->Set();
}

void InstrumentLink::Abort() { port_->Interrupt(); }

bool InstrumentLink::AbortRequested() const { return port_->Interrupted(); }

void InstrumentLink::SendCommand(InstrumentUi& ui, const std::string& commandText, int32_t chunkSize,
                                 int32_t timeoutSeconds, ReplyFile* target, const ReplyEnd& replyEnd) {
  if (AbortRequested()) throw Aborted(FailureText(Failure::kLinkAborted));
  replyText_.clear();
  commandBuffer_.resize(commandText.size());
  for (size_t i = 0; i < commandText.size(); ++i) {
    int digit = HexDigitValue(commandText[i]);
    commandBuffer_[i] = static_cast<char>(digit < 0 ? 0 : digit);
  }
  if (receiveEnd_ && !receiveEnd_->IsSet()) receiveEnd_->Set();
  const int64_t silenceMs = replyEnd.silenceMs > 0
                                ? static_cast<int64_t>(replyEnd.silenceMs) * secondMs_ / 1000
                                : static_cast<int64_t>(timeoutSeconds) * secondMs_;
  if (replyEnd.discardStale) port_->DiscardInput();
  std::shared_ptr<EndSignal> end = TCommThread::Start(*port_, silenceMs, chunkSize, replyEnd, target, &replyText_);
  receiveEnd_ = end;
  port_->Write(commandBuffer_.data(), commandBuffer_.size());
  try {
    ui.WaitForEnd(end);
  } catch (...) {
    end->Wait();  // the thread still holds the port and the reply
    throw;
  }
  end->Wait();
  if (AbortRequested()) throw Aborted(FailureText(Failure::kLinkAborted));
}

}  // namespace gt7p
