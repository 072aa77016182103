#pragma once
// Runs the tool's command line inside the test process, with standard output
// and standard error captured.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace testsupport {

struct Outcome {
  int status;
  std::string out, err;
};

inline Outcome CallCommandLine(std::vector<std::string> args) {
  args.insert(args.begin(), "zoetrix");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int status = RunCommandLine(static_cast<int>(argv.size()), argv.data());
  Outcome r{status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
  return r;
}

}  // namespace testsupport
