// A window stand-in for the benchmarks: it shows nothing and waits by
// blocking.
#pragma once

#include <memory>
#include <string>

#include "link/link.h"
#include "workflow/workflow.h"

namespace gt7p {
namespace bench {

class QuietUi : public ListingUi {
 public:
  CommSettings ChooseCommSettings(LinkSettings&) override { return CommSettings(); }
  void SetStatusText(const std::string&) override {}
  void ShowList(const DirectoryList&) override {}
  void FitColumns() override {}
  void ShowTargetIndicator(bool) override {}
  void WaitForEnd(const std::shared_ptr<EndSignal>& end) override { end->Wait(); }
};

}  // namespace bench
}  // namespace gt7p
