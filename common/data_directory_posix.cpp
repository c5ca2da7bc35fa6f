#include "common/data_directory.h"

namespace tavrel {

std::string DataDirectory(const std::string& programDirectory) { return programDirectory; }

}  // namespace tavrel
