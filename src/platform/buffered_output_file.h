// The buffering that every system's output file shares: many small writes gathered into few
// large ones, each system giving only its calls to write and close.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

class BufferedOutputFile : public OutputFile {
 public:
  // Large writes are few writes: an export of a million entries is some hundred megabytes.
  static constexpr size_t kBufferBytes = 1 << 16;

  BufferedOutputFile() { buffer_.reserve(kBufferBytes); }

  void Write(std::string_view bytes) final;
  int Finish() final;

 protected:
  // Writes the whole of `bytes`, or keeps why it could not (then HasFailed). Never called once
  // HasFailed: the first failure is the one told.
  virtual void WriteBytes(std::string_view bytes) = 0;
  // Closes the file when the program opened it, keeping why it could not unless a failure is
  // kept already.
  virtual void CloseFile() = 0;
  virtual bool HasFailed() const = 0;

 private:
  void Send(std::string_view bytes);
  void Flush();

  std::string buffer_;
};
