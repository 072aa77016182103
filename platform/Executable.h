#pragma once
// Whether a file is a whole program this machine can run.
#include <string>

namespace platform {

// True when path is an ELF executable for this machine whose header is
// intact and whose program and section header tables, and every segment the
// loader reads, lie inside the file. A compiler that ran out of disk space
// (tcc does not check its writes) leaves a file that fails this.
bool IsWholeExecutable(const std::string& path);

}  // namespace platform
