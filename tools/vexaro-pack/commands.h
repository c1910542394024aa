// The two commands of vexaro-pack. Each returns the process exit code:
// 0 done, 1 refused (bad input or invalid package), 2 wrong usage.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vexaro::package {

int BuildCommand(const std::vector<std::string>& args);
int InspectCommand(const std::vector<std::string>& args);

// Each command's usage, for its --help and for the program's own.
void PrintBuildUsage(std::FILE* to);
void PrintInspectUsage(std::FILE* to);

}  // namespace vexaro::package
