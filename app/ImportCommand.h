#pragma once
// zoetrix --import TEXT_FILE [--separator LINE | --block HEIGHT] [--rate N]
//                            [--name NAME] [--size WxH] [--colors XY]
// zoetrix --import PICTURE|CLIP|FOLDER [MORE...] [--symbols SET] [--invert]
//                  [--dither HOW] [--from S] [--to S] [--rate N] [--name NAME] ...
// Makes a project in Project/ from the frames of a text file, or from
// pictures and clips drawn in characters.

// The usage text of --import, also part of --help.
extern const char* const kImportUsage;

// True when the arguments ask for --import.
bool IsImportCommand(int argc, char** argv);

// Runs --import; returns the process exit status (2 for bad arguments).
int RunImportCommand(int argc, char** argv);
