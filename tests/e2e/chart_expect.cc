// Charting the folder "r" of a temporary tree, and the expected lines in code page 932.
#include "chart_expect.h"

#include "fake_platform.h"

RunResult ChartR(const TempTree& tree, const std::vector<std::string>& options,
                 const std::vector<std::string>& env) {
  std::vector<std::string> arguments{"r"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  return RunProgram(arguments, RunSettings{tree.Path(), env});
}

std::string Cp932Lines(const std::vector<std::string>& utf8_lines) {
  std::string bytes;
  for (const std::string& line : utf8_lines) bytes += Cp932(line) + "\r\n";
  return bytes;
}
