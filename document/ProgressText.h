#pragma once
// How far a long job has come, in words for the user: the progress window
// and the command line's progress line say the same.
#include <string>

#include "platform/JobProgress.h"

namespace document {

// "生成 GIF：第 120 帧，共 1000 帧  每秒 480 帧  还需 2 秒" (UTF-8); parts that
// cannot be told yet are left out.
std::string ProgressText(const platform::JobProgress::Reading& reading);

}  // namespace document
