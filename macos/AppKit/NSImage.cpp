#include "AppKit/NSImage.h"

#include <map>

namespace {
struct PDFRegistry
{
  std::map<std::string, NSSize> files;
  int reads = 0;
};
PDFRegistry& PDFs()
{
  static PDFRegistry registry;
  return registry;
}
} // namespace

NSPDFImageRep* NSPDFImageRep::newWithContentsOfFile(const std::string& path)
{
  ++PDFs().reads;
  auto it = PDFs().files.find(path);
  return it == PDFs().files.end() ? nullptr : new NSPDFImageRep(it->second);
}

void NSBitmapImageRep::drawWithShadow(const NSPDFImageRep&, const NSShadowRecord& shadow)
{
  mShadow = shadow;
  mDrawn = true;
}

NSImage::~NSImage()
{
  for (NSBitmapImageRep* rep : mReps)
    rep->release();
}

void NSImage::addRepresentation(NSBitmapImageRep* rep)
{
  if (!rep)
    return;
  rep->retain();
  mReps.push_back(rep);
}

namespace standin {
void RegisterPDF(const std::string& path, NSSize size)
{
  PDFs().files[path] = size;
}
void ForgetPDFs()
{
  PDFs().files.clear();
  PDFs().reads = 0;
}
int PDFReadCount()
{
  return PDFs().reads;
}
} // namespace standin
