#include "AppKit/NSTextField.h"

#include <cmath>

std::u16string NSStringUTF16(const std::string& utf8)
{
  std::u16string out;
  for (size_t i = 0; i < utf8.size();)
  {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k)
    {
      if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) >> 6) != 2)
        ok = false;
      else
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    if (!ok)
    {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    i += static_cast<size_t>(extra) + 1;
    if (cp >= 0x10000)
    {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
    else
      out.push_back(static_cast<char16_t>(cp));
  }
  return out;
}

void NSCharacterSet::addCharactersInString(const std::string& utf8)
{
  mUnits += NSStringUTF16(utf8);
}

NSTextFieldCell::~NSTextFieldCell() = default;

NSSize NSTextFieldCell::cellSize() const
{
  const NSFont* font = controlView ? controlView->font() : nullptr;
  const double line = font ? font->lineHeight() : 12.0 * 1.2;
  return NSSize{controlView ? controlView->frame().size.width : 0.0, std::ceil(line)};
}

void NSTextFieldCell::selectWithFrame(NSRect frame, NSView*, NSText* editor, NSObject*, long, long)
{
  if (editor)
    editor->frame = frame;
}

void NSTextFieldCell::editWithFrame(NSRect frame, NSView*, NSText* editor, NSObject*, NSEvent*)
{
  if (editor)
    editor->frame = frame;
}

NSTextField::NSTextField(NSRect frame) : NSView(frame), mCell(new NSTextFieldCell), mEditor(new NSText)
{
  mCell->controlView = this;
}

NSTextField::~NSTextField()
{
  mCell->controlView = nullptr;
  mCell->release();
  if (mFont)
    mFont->release();
  if (mFormatter)
    mFormatter->release();
  mEditor->release();
}

void NSTextField::setCell(NSTextFieldCell* cell)
{
  if (!cell)
    return;
  cell->retain();
  mCell->controlView = nullptr;
  mCell->release();
  mCell = cell;
  mCell->controlView = this;
}

void NSTextField::setFont(NSFont* font)
{
  NSRetainInto(mFont, font);
}

void NSTextField::setFormatter(NSFormatter* formatter)
{
  NSRetainInto(mFormatter, formatter);
}

void NSTextField::setStringValue(const std::string& text)
{
  mText = text;
  if (mEditing)
    mEditor->string = text;
}

bool NSTextField::becomeFirstResponder()
{
  mEditor->string = mText;
  mEditing = true;
  mCell->selectWithFrame(bounds(), this, mEditor, this, 0, static_cast<long>(mText.size()));
  return true;
}

bool NSTextField::resignFirstResponder() { return EndEditing(); }

bool NSTextField::EndEditing()
{
  if (!mEditing)
    return true;
  std::string text = mEditor->string;
  if (mFormatter)
  {
    CFStringRef typed = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
    CFTypeRef value = nullptr;
    const bool accepted = typed && mFormatter->getObjectValue(&value, typed, nullptr);
    if (typed)
      CFRelease(typed);
    if (!accepted)
    {
      if (value)
        CFRelease(value);
      ++mRefused;
      return false;
    }
    CFStringRef shown = mFormatter->stringForObjectValue(value);
    const char* utf8 = shown ? CFStringGetCStringPtr(shown, kCFStringEncodingUTF8) : nullptr;
    text = utf8 ? utf8 : "";
    if (value)
      CFRelease(value);
  }
  mText = text;
  mEditing = false;
  retain(); // the delegate may take the field down
  if (mDelegate)
    mDelegate->controlTextDidEndEditing(this);
  release();
  return true;
}

void NSTextField::keyDown(NSEvent* event)
{
  if (!mEditing)
    return NSView::keyDown(event);
  const std::string& typed = event->characters;
  if (typed == "\r" || typed == "\n" || typed == "\x03")
  {
    EndEditing();
    return;
  }
  if (typed == "\x7f" || typed == "\b")
  {
    std::string& s = mEditor->string;
    while (!s.empty() && (static_cast<unsigned char>(s.back()) >> 6) == 2)
      s.pop_back();
    if (!s.empty())
      s.pop_back();
    return;
  }
  if (typed.empty())
    return;
  const std::string proposed = mEditor->string + typed;
  if (mFormatter && !mFormatter->isPartialStringValid(proposed, nullptr, nullptr))
  {
    ++mRefused;
    return;
  }
  mEditor->string = proposed;
}
