// The gt7p-cli commands. Each takes the words after its name and returns
// the exit status; a usage error is thrown as UsageError.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace gt7p {
namespace cli {

int RunConvert(const std::vector<std::string>& words);
int RunInfo(const std::vector<std::string>& words);
int RunSample(const std::vector<std::string>& words);
int RunPorts(const std::vector<std::string>& words);
int RunList(const std::vector<std::string>& words);
int RunGet(const std::vector<std::string>& words);
int RunSimulate(const std::vector<std::string>& words);
int RunExport(const std::vector<std::string>& words);
int RunPicks(const std::vector<std::string>& words);
int RunPlot(const std::vector<std::string>& words);
int RunInterpret(const std::vector<std::string>& words);
int RunReport(const std::vector<std::string>& words);
// picks --format sgt
int RunTomographyPicks(const std::vector<std::string>& words);

}  // namespace cli
}  // namespace gt7p
