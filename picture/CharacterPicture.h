#pragma once
// One picture in character cells: the picture is fitted into the canvas
// keeping its proportions (a cell is twice as tall as it is wide), centred,
// and each cell gets the character whose shape, drawn in ink on blank,
// comes nearest to that part of the picture. The choice of characters, the dithering that stands
// for tones between the two colours, and the drawing itself are libchafa's.
//
// The text is GBK with CR LF between lines, as a frame holds it. Blank cells
// at the end of a line and blank lines at the end are left out. The block
// and line sets use only characters GBK holds; each of those is one
// double-byte character two cells wide, so they are fitted on a grid of
// two-cell places, and an odd last column stays blank.
#include <cstdint>
#include <memory>
#include <string>

#include "document/Screen.h"

namespace picture {

enum class Symbols {
  Ascii,   // printable ASCII characters, one per cell
  Blocks,  // block elements and solid shapes (█ ▄ ▌ ▓ ■ ◢ ...), two cells each
  Lines,   // box-drawing lines (─ │ ┌ ╋ ╱ ...), two cells each
};

enum class Dither {
  None,       // each cell in the two colours as they come: outlines and silhouettes
  Ordered,    // a fixed pattern for tones: steady from frame to frame
  Diffusion,  // error diffusion: finer tones, but a pattern that moves in a clip
};

struct CharacterOptions {
  int width = 80;   // canvas, in cells
  int height = 25;  // canvas, in lines
  Symbols symbols = Symbols::Ascii;
  Dither dither = Dither::Ordered;
  // The colours the frame is shown in. When the characters' colour is the
  // brighter one (white on black), the picture's light parts get characters
  // and its dark parts stay blank; when it is the darker one, the other way
  // round. The pair counts as black and white, so every tone of the
  // picture lies between them.
  document::ConsoleColors colors;
  // The other way round: a negative.
  bool invert = false;
};

// Where a picture of a given size lands on the canvas.
struct Placement {
  int left = 0, top = 0;  // first cell and line used
  int places = 0;         // characters across (cells / 2 for the two-cell sets)
  int rows = 0;           // lines used
  int cellsPerPlace = 1;  // 1 for ASCII, 2 for the two-cell sets
  // The pixel size the picture is best handed over in: every character
  // place is drawn from 8 x 8 samples.
  int SampleWidth() const { return places * 8; }
  int SampleHeight() const { return rows * 8; }
};

// The placement of a width x height picture (both at least 1) on the canvas
// of the options: as large as fits, proportions kept, centred (rounded
// towards the top left). Never less than one place and one line.
Placement PlacePicture(int width, int height, const CharacterOptions& options);

// RGBA pixels, 8 bits a channel, not premultiplied; stride in bytes.
struct RgbaView {
  const std::uint8_t* pixels = nullptr;
  int width = 0, height = 0, stride = 0;
};

// Draws pictures with one set of options; keeps libchafa's canvas between
// pictures of the same placement, so a clip sets it up once.
class CharacterConverter {
 public:
  explicit CharacterConverter(const CharacterOptions& options);
  ~CharacterConverter();
  CharacterConverter(const CharacterConverter&) = delete;
  CharacterConverter& operator=(const CharacterConverter&) = delete;

  const CharacterOptions& Options() const { return m_options; }

  // The frame text of `pixels` drawn at `placement` (from PlacePicture for
  // the picture's own size); pixels of any size are scaled to fit the
  // placement, the sample size costing least.
  std::string Draw(const RgbaView& pixels, const Placement& placement);

  // The same, placed by the pixels' own size.
  std::string Draw(const RgbaView& pixels);

 private:
  struct Chafa;
  CharacterOptions m_options;
  std::unique_ptr<Chafa> m_chafa;
};

}  // namespace picture
