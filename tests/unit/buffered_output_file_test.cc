// The output files' shared buffering: which writes reach the system, and after a failure none.
#include "platform/buffered_output_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Keeps the length of every write that reaches the system; the write of `failing_write` fails.
class RecordingFile : public BufferedOutputFile {
 public:
  std::string FailureText() const override { return has_failed_ ? "failed" : ""; }
  std::vector<size_t> sent;
  size_t failing_write = SIZE_MAX;

 private:
  void WriteBytes(std::string_view bytes) override {
    has_failed_ = sent.size() == failing_write;
    sent.push_back(bytes.size());
  }
  void CloseFile() override {}
  bool HasFailed() const override { return has_failed_; }
  bool has_failed_ = false;
};

TEST(BufferedOutputFile, GathersSmallWritesAndSendsLargeOnesWhole) {
  constexpr size_t kFull = BufferedOutputFile::kBufferBytes;
  const struct {
    std::vector<size_t> writes;
    size_t failing_write;
    std::vector<size_t> sent;
    int status;
  } rows[] = {
      {{3, 4}, SIZE_MAX, {7}, 0},
      {{kFull - 1, 2}, SIZE_MAX, {kFull - 1, 2}, 0},
      {{5, kFull, 1}, SIZE_MAX, {5, kFull, 1}, 0},
      {{5, kFull, 1}, 0, {5}, -1},
      {{}, SIZE_MAX, {}, 0},
  };
  for (const auto& row : rows) {
    RecordingFile file;
    file.failing_write = row.failing_write;
    for (size_t length : row.writes) file.Write(std::string(length, 'x'));
    EXPECT_EQ(row.status, file.Finish());
    EXPECT_EQ(row.sent, file.sent);
  }
}

}  // namespace
