// Charting the folder "r" of a temporary tree, and the expected texts in code page 932.
#include "chart_expect.h"

#include <stdexcept>

#include "platform/posix/iconv.h"

RunResult ChartR(const TempTree& tree, const std::vector<std::string>& options,
                 const std::vector<std::string>& env) {
  std::vector<std::string> arguments{"r"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  return RunProgram(arguments, RunSettings{tree.Path(), env});
}

std::string Cp932(std::string_view utf8) {
  static Iconv to_cp932("CP932", "UTF-8");
  if (!to_cp932.IsOpen()) throw std::runtime_error("no CP932 converter");
  const Iconv::ReplacementRule give_up = [](std::string_view) { return Iconv::Replacement{}; };
  std::string out(utf8.size() * 2 + 4, '\0');
  size_t length = 0;
  if (!to_cp932.Convert(utf8, out, give_up, length)) throw std::runtime_error("text not in CP932");
  out.resize(length);
  return out;
}

std::string Cp932Lines(const std::vector<std::string>& utf8_lines) {
  std::string bytes;
  for (const std::string& line : utf8_lines) bytes += Cp932(line) + "\r\n";
  return bytes;
}
