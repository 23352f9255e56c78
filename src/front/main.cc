// The program's entry point: hands the arguments, as code page 932 texts, to the run driver.
#include <string>
#include <vector>

#include "front/run_driver.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  std::unique_ptr<Platform> platform = NewSystemPlatform();
  std::vector<std::string> arguments = platform->ReadArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return RunQuovrel(*platform, static_cast<int>(arguments.size()), pointers.data());
}
