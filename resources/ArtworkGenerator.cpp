// Draws the pictures of the editor into a folder, at 1x and 2x:
//   artwork_generator <output folder> <regular font .ttf> <bold font .ttf> [picture]
// All of them, or only the one named (so that each picture can be the
// output of its own build rule). Exits non-zero with a message when a font
// cannot be read, the picture is not in the table or a file cannot be
// written.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "resources/ArtworkTable.h"
#include "resources/Pictures.h"

using namespace tolvane3::artwork;

int main(int argc, char** argv)
{
  if (argc != 4 && argc != 5)
  {
    std::fprintf(stderr, "usage: %s <output folder> <regular font> <bold font> [picture]\n", argv[0]);
    return 2;
  }
  const char* only = argc == 5 ? argv[4] : nullptr;
  if (only && std::none_of(kPictures.begin(), kPictures.end(),
                [only](const Picture& p) { return std::strcmp(p.name, only) == 0; }))
  {
    std::fprintf(stderr, "artwork: no picture named %s\n", only);
    return 1;
  }
  const std::string folder = argv[1];
  Fonts fonts;
  if (!fonts.regular.Load(argv[2]) || !fonts.bold.Load(argv[3]))
  {
    std::fprintf(stderr, "artwork: cannot read the fonts %s and %s\n", argv[2], argv[3]);
    return 1;
  }
  for (const Picture& picture : kPictures)
    for (int scale : {1, 2})
    {
      if (only && std::strcmp(picture.name, only) != 0)
        continue;
      Canvas canvas(picture.frameWidth, picture.frameHeight * picture.frames, scale);
      if (!DrawPicture(picture, canvas, fonts))
      {
        std::fprintf(stderr, "artwork: no drawing for %s\n", picture.name);
        return 1;
      }
      const std::string path = folder + "/" + picture.name + (scale == 2 ? "@2x" : "") + ".png";
      if (!canvas.WritePng(path))
      {
        std::fprintf(stderr, "artwork: cannot write %s\n", path.c_str());
        return 1;
      }
    }
  return 0;
}
