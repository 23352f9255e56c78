// Writing the front end's fixed texts: the converter is the platform's, never a table of ours.
#include "front/fixed_texts.h"

#include <string>

#include "platform/platform.h"

void WriteFixedLine(Platform& platform, std::string_view utf8, std::string_view tail) {
  std::string line = platform.FromUtf8(utf8);
  line.append(tail);
  line.append("\r\n");
  platform.WriteLine(line);
}

void WriteFixedErrorLine(Platform& platform, std::string_view utf8) {
  platform.WriteErrorLine(platform.FromUtf8(utf8) + "\r\n");
}
