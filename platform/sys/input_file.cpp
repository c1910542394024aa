// The texts of the input-file problems, shared by both systems.
#include "platform/sys/input_file.h"

namespace vexaro::sys {

const char* FileProblemText(FileProblem problem) {
  switch (problem) {
    case FileProblem::None: return "";
    case FileProblem::NotFound: return "not found";
    case FileProblem::IsFolder: return "is a folder";
    case FileProblem::PermissionDenied: return "permission denied";
    case FileProblem::NotRegular: return "not a regular file";
    case FileProblem::ReadFailed: return "cannot be read";
  }
  return "cannot be read";
}

}  // namespace vexaro::sys
