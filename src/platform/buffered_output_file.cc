// The buffering that every system's output file shares.
#include "platform/buffered_output_file.h"

void BufferedOutputFile::Write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBufferBytes) Flush();
  // A part as large as the buffer goes straight on, once what came before it is sent.
  if (bytes.size() >= kBufferBytes) {
    Send(bytes);
  } else {
    buffer_.append(bytes);
  }
}

int BufferedOutputFile::Finish() {
  Flush();
  CloseFile();
  return HasFailed() ? -1 : 0;
}

void BufferedOutputFile::Send(std::string_view bytes) {
  if (!HasFailed() && !bytes.empty()) WriteBytes(bytes);
}

void BufferedOutputFile::Flush() {
  Send(buffer_);
  buffer_.clear();
}
