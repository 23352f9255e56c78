// A file written in parts (an export), or standard output for "-": the system's calls under the
// shared buffering.
#include "platform/posix/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/buffered_output_file.h"
#include "platform/posix/fd_write.h"

namespace {

class PosixOutputFile : public BufferedOutputFile {
 public:
  PosixOutputFile(int fd, bool is_owned) : fd_(fd), is_owned_(is_owned) {}
  ~PosixOutputFile() override {
    if (is_owned_ && fd_ >= 0) close(fd_);
  }

  std::string FailureText() const override { return error_ ? std::strerror(error_) : ""; }

 private:
  void WriteBytes(std::string_view bytes) override {
    errno = 0;
    if (WriteAllBytes(fd_, bytes) != bytes.size()) error_ = errno != 0 ? errno : EIO;
  }
  void CloseFile() override {
    if (is_owned_ && fd_ >= 0 && close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
  }
  bool HasFailed() const override { return error_ != 0; }

  int fd_;
  const bool is_owned_;
  int error_ = 0;
};

}  // namespace

std::unique_ptr<OutputFile> OpenPosixOutputFile(const std::string& native, int& error) {
  if (native == "-") return std::make_unique<PosixOutputFile>(STDOUT_FILENO, false);
  const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  return std::make_unique<PosixOutputFile>(fd, true);
}
