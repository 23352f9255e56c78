// The program's entry point: hands the arguments, as code page 932 texts with their native
// forms, to the run driver.
#include <vector>

#include "front/run_driver.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  EndRunWhenMemoryRunsOut();
  std::unique_ptr<Platform> platform = NewSystemPlatform();
  std::vector<PathText> arguments = platform->ReadArguments(argc, argv);
  return RunQuovrel(*platform, arguments);
}
