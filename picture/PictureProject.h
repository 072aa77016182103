#pragma once
// A picture import written straight into a new project: each frame goes to
// disk as it is drawn, so a long clip costs the memory of a few pictures,
// never the clip's frames.
#include <string>
#include <vector>

#include "document/Animation.h"
#include "picture/PictureImport.h"
#include "platform/Clock.h"
#include "platform/JobProgress.h"
#include "project/ProjectStream.h"

namespace picture {

// The sink that appends each frame to the stream, a hold as that many
// copies of its one text; it stops (false) when the stream cannot write or
// the progress was cancelled, seen at least every few thousand copies of a
// long hold.
FrameSink ProjectFrames(output::ProjectStream& stream, platform::JobProgress* progress = nullptr);

// The files' frames, after those of `animation` and with its properties,
// written as Project/<stamp>.ini under programFolder, claimed as
// output::WriteNewProject claims it. On success *path is the project's path.
// Refused or cancelled (the import's error or cancelled flag, a failed
// write in error), nothing is left: no project, no claim, no temporary.
PictureImportResult WritePictureProject(const std::vector<std::string>& files,
                                        const PictureImportOptions& options,
                                        const document::Animation& animation,
                                        const std::string& programFolder,
                                        const platform::LocalTime& now, std::string* path,
                                        platform::JobProgress* progress = nullptr);

}  // namespace picture
