#pragma once

// Images as the cursor code needs them: a PDF representation read from a
// file (the stand-in knows only the PDFs a test registers, by path, with
// their point size), bitmap contexts that record their pixel size and the
// shadow drawn with, without rasterising, and an image holding
// representations of a point size.

#include <string>
#include <vector>

#include "Foundation/NSGeometry.h"
#include "Foundation/NSObject.h"

class NSPDFImageRep : public NSObject
{
public:
  // Null when no PDF is registered at the path.
  static NSPDFImageRep* newWithContentsOfFile(const std::string& path);
  NSSize size() const { return mSize; }

private:
  explicit NSPDFImageRep(NSSize size) : mSize(size) {}
  NSSize mSize;
};

struct NSShadowRecord
{
  double offsetX = 0, offsetY = 0, blur = 0;
  double color[4] = {0, 0, 0, 0};
};

// A bitmap context of a pixel size into which a representation was drawn
// with a shadow.
class NSBitmapImageRep : public NSObject
{
public:
  NSBitmapImageRep(int pixelsWide, int pixelsHigh) : mWidth(pixelsWide), mHeight(pixelsHigh) {}
  int pixelsWide() const { return mWidth; }
  int pixelsHigh() const { return mHeight; }
  // Records the drawing.
  void drawWithShadow(const NSPDFImageRep& source, const NSShadowRecord& shadow);
  const NSShadowRecord& shadow() const { return mShadow; }
  bool drawn() const { return mDrawn; }
  NSSize size; // the point size it represents

private:
  int mWidth, mHeight;
  NSShadowRecord mShadow;
  bool mDrawn = false;
};

class NSImage : public NSObject
{
public:
  explicit NSImage(NSSize size) : mSize(size) {}
  ~NSImage() override;
  NSSize size() const { return mSize; }
  // Retained.
  void addRepresentation(NSBitmapImageRep* rep);
  const std::vector<NSBitmapImageRep*>& representations() const { return mReps; }

private:
  NSSize mSize;
  std::vector<NSBitmapImageRep*> mReps;
};

namespace standin {
// Makes a PDF of that point size readable at the path.
void RegisterPDF(const std::string& path, NSSize size);
void ForgetPDFs();
// How many times a PDF file was asked for, found or not.
int PDFReadCount();
} // namespace standin
