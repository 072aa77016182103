#pragma once
// The tool's settings: data/Settings.ini in the work folder. The window
// reads the file once when it starts and keeps the values here; the
// settings commands write the file and this copy together, so the refresh
// and the settings dialog read the copy and never the disk.
#include <string>

namespace document {

class Settings {
 public:
  // The settings file of a work folder (which ends in a separator).
  static std::string PathIn(const std::string& workFolder);

  // The settings in the work folder's file. A missing or unreadable file,
  // section or key gives the default.
  static Settings Read(const std::string& workFolder);

  // The preview mode: NewFrame in section Frame, 1 by default. Only 1 makes
  // the preview show the frame before the last after each refresh; any
  // other value leaves the preview alone.
  int PreviewMode() const { return m_previewMode; }
  bool PreviewFollows() const { return m_previewMode == 1; }

  // Writes the preview mode into the work folder's file ("1" or "0", every
  // other line kept) and, once it is written, takes it. False, with the
  // setting as it was, when the file cannot be written.
  bool SavePreviewFollows(const std::string& workFolder, bool follows);

  // The drawing canvas, section Canvas: typing inserts (Insert=1) or
  // overwrites (the default); the frames drawn faintly behind (Onion=1 by
  // default; OnionFrames 1 to 3 each way, 1 by default; OnionAfter=1 adds
  // the frames after, 0 by default).
  struct CanvasChoices {
    bool insert = false;
    bool onion = true;
    int onionFrames = 1;
    bool onionAfter = false;
    bool operator==(const CanvasChoices&) const = default;
  };
  const CanvasChoices& Canvas() const { return m_canvas; }
  // Writes the choices that differ from the ones held and takes them; false
  // (the choices as they were) when the file cannot be written.
  bool SaveCanvas(const std::string& workFolder, const CanvasChoices& choices);

  // A picture to trace, shown faintly behind the canvas, remembered per
  // project file name (section Trace, the name as key): its path, whether
  // it shows, its opacity in percent, its scale in percent and its offset
  // in cells.
  struct TraceChoice {
    std::string path;
    bool shown = true;
    int opacity = 35;
    int scale = 100;
    int dx = 0;
    int dy = 0;
    bool operator==(const TraceChoice&) const = default;
  };
  // Read from the file each time (a choice for another project may have
  // been saved by another window).
  static TraceChoice TraceFor(const std::string& workFolder, const std::string& project);
  static bool SaveTrace(const std::string& workFolder, const std::string& project,
                        const TraceChoice& choice);

 private:
  int m_previewMode = 1;
  CanvasChoices m_canvas;
};

}  // namespace document
