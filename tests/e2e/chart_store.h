// The expected charts of the option-combination fixture, kept compact: each distinct line once,
// each distinct chart as a list of line numbers, each combination's key with its chart's number,
// all as one text compressed by the xz program.
//
// The text, after "#" comment lines: "lines N" and N lines (bytes as the program wrote them,
// sorted); "charts M" and M lines of line numbers from 0, a run of consecutive numbers written
// "a-b"; "combinations K" and K lines "chart key". A chart is its lines joined by CR LF, so one
// that ends in CR LF ends in the empty line.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ChartStore {
 public:
  // Keeps `chart` under `key`. False when a line holds a line feed of its own, which the text
  // cannot keep.
  bool Add(const std::string& key, std::string_view chart);
  // The chart kept under `key`; false when there is none.
  bool Find(const std::string& key, std::string& chart) const;
  size_t Size() const { return keys_.size(); }

  // Writes the store to `path` through "xz" after `comment` ("#" lines), replacing the file only
  // once it is whole.
  bool Write(const std::string& path, std::string_view comment, std::string& error) const;
  // Reads the store from `path` through "xz -d"; on failure says why in `error`.
  bool Read(const std::string& path, std::string& error);

 private:
  uint32_t NumberOf(std::string_view line);
  bool Parse(std::string_view text, std::string& error);

  std::vector<std::string> lines_;
  std::unordered_map<std::string, uint32_t> line_numbers_;  // filled while adding
  std::vector<std::vector<uint32_t>> charts_;
  std::map<std::vector<uint32_t>, uint32_t> chart_numbers_;  // filled while adding
  std::map<std::string, uint32_t> keys_;
};
