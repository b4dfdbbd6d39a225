#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// stb_image_write's functions stay private to this file, so no second copy
// of them reaches the program's symbol table.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "tests/support/TempHome.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/MouseEvents.h"
#include "tests/support/gfx/ProbeControl.h"

namespace {

using namespace gfxtest;
using Dlg = FakeEditorDelegate;

class Recording : public testing::Test
{
protected:
  Recording() { g = dlg.Open(); }
  Dlg dlg;
  RecordingGfx* g = nullptr;
};

TEST_F(Recording, OpeningTellsTheDelegateAsThePlatformDoes)
{
  EXPECT_TRUE(dlg.IsUIReady());
  EXPECT_EQ(dlg.layouts, 1);
  EXPECT_TRUE(g->WindowIsOpen());
  dlg.nextContextReady = false;
  dlg.CloseWindow();
  EXPECT_EQ(dlg.GetGraphicsContext(), nullptr);
  g = dlg.Open();
  EXPECT_FALSE(dlg.IsUIReady());
  EXPECT_EQ(dlg.GetUI(), nullptr);
}

TEST_F(Recording, TextMeasuresHalfItsSizePerCodePointAndFollowsTheAlignment)
{
  struct Case { const char* str; EAlign h; EVAlign v; float angle; IRECT want; };
  const IRECT bounds(0, 0, 100, 50);
  const Case cases[] = {
    {"abcd", kNear, kTop, 0, IRECT(0, 0, 20, 10)},
    {"h\xC3\xA9", kCenter, kMiddle, 0, IRECT(45, 20, 55, 30)}, // two code points, three bytes
    {"abcd", kFar, kBottom, 0, IRECT(80, 40, 100, 50)},
    {"abcd", kNear, kTop, 90, IRECT(0, 0, 10, 20)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.str);
    IRECT r = bounds;
    const float w = g->DoMeasureText(IText(10.f, kColorBlack, nullptr, c.h, c.v, c.angle), c.str, r);
    EXPECT_NEAR(r.L, c.want.L, 1e-4);
    EXPECT_NEAR(r.T, c.want.T, 1e-4);
    EXPECT_NEAR(r.R, c.want.R, 1e-4);
    EXPECT_NEAR(r.B, c.want.B, 1e-4);
    EXPECT_NEAR(w, c.want.W(), 1e-4);
  }
}

TEST_F(Recording, PointsAreAlsoReadInEditorCoordinatesAndLoggingCanBeOff)
{
  IMatrix m;
  m.Translate(10, 20).Scale(2, 2);
  g->PathTransformSetMatrix(m);
  g->SetClipRegion(IRECT(0, 0, 5, 5));
  g->PathLineTo(1, 2);
  const GfxCall line = g->CallsNamed("PathLineTo").at(0);
  EXPECT_EQ(line.args, (std::vector<float>{1, 2}));
  EXPECT_EQ(line.editorPts, (std::vector<float>{12, 24}));
  EXPECT_EQ(line.clip, IRECT(0, 0, 5, 5));
  Journal journal;
  ProbeControl probe(journal, "p", IRECT(0, 0, 9, 9));
  probe.Draw(*g);
  EXPECT_EQ(journal, Journal{"p Draw 0 0 5 5"}) << "a probe journals the clip it is drawn in";

  g->logging = false;
  const size_t n = g->calls.size();
  g->PathMoveTo(3, 3);
  g->PathFill(kColorRed, IFillOptions(), nullptr);
  EXPECT_EQ(g->calls.size(), n);
}

TEST_F(Recording, TheCursorAndThePromptsAnswerFromTheScript)
{
  g->HideMouseCursor(true, true);
  g->HideMouseCursor(true, false);
  EXPECT_EQ(g->cursorHides, 1) << "a repeated hide changes nothing";
  EXPECT_TRUE(g->cursorLocked);
  g->HideMouseCursor(false, true);
  g->HideMouseCursor(false, true);
  EXPECT_EQ(g->cursorShows, 1);

  PK_String text;
  EXPECT_FALSE(g->GetTextFromClipboard(text));
  EXPECT_TRUE(g->SetTextInClipboard("0.5"));
  EXPECT_TRUE(g->GetTextFromClipboard(text));
  EXPECT_STREQ(text.Get(), "0.5");
  g->script.clipboardRefusesWrites = true;
  EXPECT_FALSE(g->SetTextInClipboard("x"));

  IPopupMenu menu("", 0, false, {"a", "b", "c"});
  int answered = -2;
  menu.SetFunction([&](IPopupMenu* m) { answered = m->GetChosenItemIdx(); });
  bool async = true;
  EXPECT_EQ(g->CreatePlatformPopupMenu(menu, IRECT(), async), nullptr) << "dismissed";
  EXPECT_FALSE(async);
  g->script.menuChoice = 2;
  EXPECT_EQ(g->CreatePlatformPopupMenu(menu, IRECT(), async), &menu);
  EXPECT_EQ(answered, 2);
  g->script.menuAsync = true;
  g->script.menuChoice = 1;
  EXPECT_EQ(g->CreatePlatformPopupMenu(menu, IRECT(), async), nullptr);
  EXPECT_TRUE(async);
  EXPECT_EQ(answered, 2);
  EXPECT_TRUE(g->AnswerPendingMenu());
  EXPECT_EQ(answered, 1);
  EXPECT_FALSE(g->AnswerPendingMenu());

  g->script.messageBoxAnswer = kNO;
  IGfx& base = *g; // the defaults of the arguments are the interface's
  EXPECT_EQ(base.ShowMessageBox("Sure?", "Tolvane3", kMB_YESNO), kNO);
  EXPECT_EQ(g->messageBoxes, std::vector<std::string>{"Tolvane3: Sure?"});
  IColor color;
  EXPECT_FALSE(base.PromptForColor(color));
  g->script.promptColor = kColorOrange;
  EXPECT_TRUE(base.PromptForColor(color));
  EXPECT_EQ(color, kColorOrange);
}

TEST_F(Recording, ImagesAreDecodedFromFilesAndMemoryAndLayersCanBeFlipped)
{
  testsupport::TempFolder dir;
  const unsigned char pixels[] = {255, 0, 0, 255, 0, 0, 255, 128};
  const std::string path = dir.Join("two.png");
  ASSERT_NE(stbi_write_png(path.c_str(), 1, 2, 4, pixels, 4), 0);

  std::unique_ptr<APIBitmap> fromFile(g->LoadAPIBitmap(path.c_str(), 2, kAbsolutePath, "png"));
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(g->diskLoads, 1);
  const auto& rgba = static_cast<MemoryBitmap&>(*fromFile).rgba;
  EXPECT_EQ(std::vector<unsigned char>(rgba.begin(), rgba.end()), std::vector<unsigned char>(pixels, pixels + 8));
  EXPECT_EQ(IBitmap(fromFile.get(), 1, false).H(), 1) << "two pixels at scale 2";
  EXPECT_EQ(g->LoadAPIBitmap((path + ".missing").c_str(), 1, kAbsolutePath, "png"), nullptr);
  EXPECT_EQ(g->LoadAPIBitmap(path.c_str(), 1, kNotFound, "png"), nullptr);
  EXPECT_EQ(g->diskLoads, 2);
  const char junk[] = "not an image";
  EXPECT_EQ(g->LoadAPIBitmap("junk", junk, sizeof junk, 1), nullptr);

  auto layer = std::make_unique<ILayer>(std::unique_ptr<APIBitmap>(g->CreateAPIBitmap(1, 2, 1.f, 1.0, true)),
    IRECT(0, 0, 1, 2), nullptr, IRECT());
  IRawBitmapData data;
  data.Resize(8);
  std::copy(pixels, pixels + 8, data.Get());
  g->SetLayerBitmapData(layer, data);
  g->flipped = true;
  IRawBitmapData read;
  g->GetLayerBitmapData(layer, read);
  ASSERT_EQ(read.GetSize(), 8);
  EXPECT_EQ(read.Get()[0], 0) << "the bottom row comes first";
  EXPECT_EQ(read.Get()[7], 255);
}

TEST_F(Recording, FontsAreFoundWhenTheirFileIs)
{
  testsupport::TempFolder dir;
  const std::string path = dir.Join("font.ttf");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("font bytes", f);
  std::fclose(f);
  auto font = g->LoadPlatformFont("Roboto", path.c_str());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->GetSize(), 10);
  EXPECT_TRUE(g->LoadAPIFont("Roboto", font.get()));
  EXPECT_EQ(g->LoadPlatformFont("Missing", (path + "x").c_str()), nullptr);
  EXPECT_FALSE(g->LoadAPIFont("Missing", nullptr));
}

TEST(MouseActions, RecordsAreBuiltAsTheViewBuildsThem)
{
  struct Case { const char* name; Button button; HeldKeys keys; bool pressL, pressR, releaseL; };
  const Case cases[] = {
    {"left", Button::kLeft, {}, true, false, false},
    {"command-click", Button::kLeft, {false, false, false, true}, true, true, false},
    {"right", Button::kRight, {true, false, false, false}, false, true, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    MouseAction action(c.button, c.keys);
    const IMouseInfo press = action.Press(10, 10)[0];
    const IMouseInfo drag = action.Drag(13, 6)[0];
    const IMouseInfo release = action.Release(13, 6)[0];
    EXPECT_EQ(press.ms.L, c.pressL);
    EXPECT_EQ(drag.ms.L, c.pressL);
    EXPECT_EQ(press.ms.R, c.pressR);
    EXPECT_EQ(release.ms.L, c.releaseL);
    EXPECT_EQ(press.ms.S, c.keys.shift);
    EXPECT_EQ(drag.dX, 3.f);
    EXPECT_EQ(drag.dY, -4.f);
    EXPECT_EQ(release.dX, 0.f);
  }
}

} // namespace
