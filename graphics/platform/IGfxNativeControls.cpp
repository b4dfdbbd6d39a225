#include "graphics/platform/IGfxNativeControls.h"

#include <cstdio>
#include <cstdlib>

#include "framework/IGEditorDelegate.h"
#include "graphics/platform/CoreTextFont.h"
#include "graphics/platform/IGfxMac.h"
#include "graphics/platform/IGfxView_vTolvane3_au.h"

namespace plugkit::gfx {

// Menus -----------------------------------------------------------------------------

bool IGfxMenuRcvr_vTolvane3_au::performAction(const std::string& selector, NSObject* sender)
{
  if (selector != "onMenuSelection:")
    return false;
  onMenuSelection(static_cast<NSMenuItem*>(sender));
  return true;
}

IGfxMenu_vTolvane3_au::IGfxMenu_vTolvane3_au(IPopupMenu* pMenu, NSObject* receiver) : mIPopupMenu(pMenu)
{
  setTitle("");
  setAutoenablesItems(false);
  for (int i = 0; i < pMenu->NItems(); ++i)
  {
    const IPopupMenu::Item* item = pMenu->GetItem(i);
    char number[16] = "";
    switch (pMenu->GetPrefix())
    {
      case 1: std::snprintf(number, sizeof number, "%1d: ", i + 1); break;
      case 2: std::snprintf(number, sizeof number, "%02d: ", i + 1); break;
      case 3: std::snprintf(number, sizeof number, "%03d: ", i + 1); break;
      default: break;
    }
    const std::string title = std::string(number) + item->GetText();
    NSMenuItem* native = nullptr;
    if (item->GetIsSeparator())
    {
      native = NSMenuItem::newSeparatorItem();
      addItem(native);
      native->release();
      continue;
    }
    if (IPopupMenu* sub = item->GetSubmenu())
    {
      native = new NSMenuItem(title, "", "");
      auto* subMenu = new IGfxMenu_vTolvane3_au(sub, receiver);
      native->setSubmenu(subMenu);
      subMenu->release();
    }
    else
    {
      native = new NSMenuItem(title, "onMenuSelection:", "");
      native->setTarget(receiver);
    }
    native->indentationLevel = item->GetIsTitle() ? 1 : 0;
    native->enabled = item->GetEnabled();
    native->state = item->GetChecked() ? NSControlStateValueOn : NSControlStateValueOff;
    addItem(native);
    native->release();
  }
}

IPopupMenu* IGfxView_vTolvane3_au::createPopupMenu(IPopupMenu& menu, NSRect r)
{
  auto* receiver = new IGfxMenuRcvr_vTolvane3_au(r);
  receiver->autorelease();
  auto* native = new IGfxMenu_vTolvane3_au(&menu, receiver);
  native->autorelease();
  native->popUpMenuPositioningItem(nullptr, NSPoint{r.origin.x, r.origin.y + r.size.height + 4}, this);

  NSMenuItem* chosen = receiver->menuItem();
  auto* level = chosen ? dynamic_cast<IGfxMenu_vTolvane3_au*>(chosen->menu()) : nullptr;
  const long index = level ? level->indexOfItem(chosen) : -1;
  if (!level || index < 0)
    return nullptr;
  level->iPopupMenu()->SetChosenItemIdx(static_cast<int>(index));
  return level->iPopupMenu();
}

// Text field ------------------------------------------------------------------------

bool IGfxTextField_vTolvane3_au::becomeFirstResponder()
{
  const bool became = NSTextField::becomeFirstResponder();
  NSText* editor = currentEditor();
  if (became && editor && NSText::respondsToSetInsertionPointColor())
    for (int i = 0; i < 4; ++i)
      editor->insertionPointColor[i] = textColor[i];
  return became;
}

NSRect IGfxTextFieldCell_vTolvane3_au::drawingRectForBounds(NSRect bounds)
{
  NSRect rect = NSTextFieldCell::drawingRectForBounds(bounds);
  if (!mIsEditingOrSelecting)
  {
    const double d = rect.size.height - cellSize().height;
    rect.size.height -= d;
    rect.origin.y += d / 2;
  }
  return rect;
}

void IGfxTextFieldCell_vTolvane3_au::selectWithFrame(NSRect frame, NSView* view, NSText* editor, NSObject* delegate,
  long start, long length)
{
  const NSRect centred = drawingRectForBounds(frame);
  mIsEditingOrSelecting = true;
  NSTextFieldCell::selectWithFrame(centred, view, editor, delegate, start, length);
  mIsEditingOrSelecting = false;
}

void IGfxTextFieldCell_vTolvane3_au::editWithFrame(NSRect frame, NSView* view, NSText* editor, NSObject* delegate,
  NSEvent* event)
{
  const NSRect centred = drawingRectForBounds(frame);
  mIsEditingOrSelecting = true;
  NSTextFieldCell::editWithFrame(centred, view, editor, delegate, event);
  mIsEditingOrSelecting = false;
}

IGfxFormatter_vTolvane3_au::~IGfxFormatter_vTolvane3_au()
{
  if (filterCharacterSet)
    filterCharacterSet->release();
}

void IGfxFormatter_vTolvane3_au::setAcceptableCharacterSet(NSCharacterSet* set)
{
  NSRetainInto(filterCharacterSet, set);
}

bool IGfxFormatter_vTolvane3_au::isPartialStringValid(const std::string& partial, std::string*, std::string*)
{
  const std::u16string units = NSStringUTF16(partial);
  if (filterCharacterSet)
    for (char16_t unit : units)
      if (!filterCharacterSet->characterIsMember(unit))
        return false;
  if (maxLength != 0 && units.size() > static_cast<size_t>(maxLength))
    return false;
  if (maxValue != 0 && std::atoi(partial.c_str()) > maxValue)
    return false;
  return true;
}

CFStringRef IGfxFormatter_vTolvane3_au::stringForObjectValue(CFTypeRef object)
{
  return object && CFGetTypeID(object) == CFStringGetTypeID() ? static_cast<CFStringRef>(object) : nullptr;
}

bool IGfxFormatter_vTolvane3_au::getObjectValue(CFTypeRef* object, CFStringRef string, CFStringRef*)
{
  if (object && string)
    *object = CFStringCreateCopy(nullptr, string);
  return true;
}

namespace {

// The characters a value of the parameter's type can be typed with; none
// for a type without a text form.
const char* AcceptedCharacters(plugkit::IParam::ValueType type)
{
  switch (type)
  {
    case plugkit::IParam::kTypeBool:
    case plugkit::IParam::kTypeInt:
    case plugkit::IParam::kTypeEnum: return "0123456789-+";
    case plugkit::IParam::kTypeDouble: return "0123456789.-+kK";
    default: return "";
  }
}

} // namespace

void IGfxView_vTolvane3_au::createTextEntry(int paramIdx, const IText& text, const char* initial, int maxLength,
  NSRect r)
{
  if (mTextFieldView || !mGraphics)
    return;
  auto* field = new IGfxTextField_vTolvane3_au(r);
  if (text.mVAlign == kMiddle)
  {
    auto* cell = new IGfxTextFieldCell_vTolvane3_au("textfield");
    cell->editable = true;
    cell->drawsBackground = true;
    field->setCell(cell);
    cell->release();
  }

  // A font id that was never cached has no descriptor: the system font
  // stands in at the text's size rather than the field having none.
  const float drawScale = mGraphics->GetDrawScale();
  NSFont* font = nullptr;
  if (const CoreTextFontDescriptor* cached = GetCoreTextFontDescriptor(text))
    font = NSFont::newFontWithDescriptor(cached->mDescriptor, text.mSize * (drawScale * cached->mEmRatio));
  if (!font)
    font = NSFont::newSystemFontOfSize(text.mSize * drawScale);
  field->setFont(font);
  font->release();

  switch (text.mAlign)
  {
    case kNear: field->alignment = NSTextAlignmentLeft; break;
    case kCenter: field->alignment = NSTextAlignmentCenter; break;
    case kFar: field->alignment = NSTextAlignmentRight; break;
    default: break;
  }

  IGEditorDelegate* delegate = mGraphics->GetDelegate();
  if (paramIdx >= 0 && delegate && paramIdx < delegate->NParams())
  {
    auto* set = new NSCharacterSet;
    set->addCharactersInString(AcceptedCharacters(delegate->GetParam(paramIdx)->Type()));
    auto* formatter = new IGfxFormatter_vTolvane3_au;
    formatter->setAcceptableCharacterSet(set);
    formatter->setMaximumLength(maxLength);
    field->setFormatter(formatter);
    formatter->release();
    set->release();
  }

  field->cell()->lineBreakMode = NSLineBreakByTruncatingTail;
  field->allowsEditingTextAttributes = false;
  const IColor& fg = text.mTextEntryFGColor;
  const IColor& bg = text.mTextEntryBGColor;
  const double fgc[4] = {fg.R / 255.0, fg.G / 255.0, fg.B / 255.0, fg.A / 255.0};
  const double bgc[4] = {bg.R / 255.0, bg.G / 255.0, bg.B / 255.0, bg.A / 255.0};
  std::copy(fgc, fgc + 4, field->textColor);
  std::copy(bgc, bgc + 4, field->backgroundColor);
  field->setStringValue(initial ? initial : "");
  field->bordered = false;
  field->focusRingType = NSFocusRingTypeNone;
  field->setDelegate(this);

  mTextFieldView = field;
  addSubview(field);
  if (NSWindow* win = window())
  {
    win->makeKeyAndOrderFront();
    win->makeFirstResponder(field);
  }
}

void IGfxView_vTolvane3_au::controlTextDidEndEditing(NSTextField* field)
{
  if (field != mTextFieldView)
    return;
  const std::string text = field->stringValue();
  if (mGraphics)
  {
    mGraphics->SetControlValueAfterTextEdit(text.c_str());
    mGraphics->SetAllControlsDirty();
  }
  endUserInput(false);
}

void IGfxView_vTolvane3_au::endUserInput(bool withoutCommit)
{
  NSTextField* field = std::exchange(mTextFieldView, nullptr);
  if (!field)
    return;
  field->setDelegate(nullptr);
  field->removeFromSuperview();
  if (NSWindow* win = window())
    win->makeFirstResponder(this);
  field->release();
  // The caller waits for an answer that will not come now.
  if (withoutCommit && mGraphics)
    mGraphics->OnTextEntryEndedWithoutCommit();
}

// Colour panel ----------------------------------------------------------------------

bool IGfxView_vTolvane3_au::promptForColor(const IColor& color, IColorPickerHandlerFunc func)
{
  NSColorPanel* panel = NSColorPanel::sharedColorPanel();
  if (!panel)
    return false;
  mColorPickerFunc = std::move(func);
  panel->setTarget(this);
  panel->setAction("onColorPicked:");
  panel->setShowsAlpha(true);
  const NSColor start(color.R / 255.0, color.G / 255.0, color.B / 255.0, color.A / 255.0);
  panel->setColor(start);
  panel->orderFront();
  return true;
}

void IGfxView_vTolvane3_au::onColorPicked(NSColorPanel* panel)
{
  if (!mColorPickerFunc || !panel)
    return;
  NSColor* c = panel->newColor();
  const IColor picked(static_cast<int>(c->alpha * 255), static_cast<int>(c->red * 255),
    static_cast<int>(c->green * 255), static_cast<int>(c->blue * 255));
  c->release();
  mColorPickerFunc(picked);
}

} // namespace plugkit::gfx
