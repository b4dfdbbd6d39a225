// The drawn text entry: the edit engine's configuration and callbacks, the
// drawing, the caret, the mouse, the key filter, the clipboard and the
// commit and cancel roads.
#include "graphics/controls/ITextEntryControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/IParam.h"
#include "graphics/IGfx.h"
#include "graphics/UTF16Text.h"

namespace {

// Key codes as the engine receives them: a character's code point, or a
// virtual key with the top bit set; modifiers in the bits below it.
constexpr uint32_t kNonText = 0x80000000u;
constexpr uint32_t kShiftBit = 0x40000000u;
constexpr uint32_t kCommandBit = 0x20000000u;
constexpr uint32_t kOptionBit = 0x10000000u;

// A code is text when it is no virtual key and no Command shortcut, and fits
// one UTF-16 unit; Shift and Option only change which character it is.
int KeyToText(uint32_t key)
{
  if (key & (kNonText | kCommandBit))
    return -1;
  const uint32_t c = key & ~(kShiftBit | kOptionBit);
  return c <= 0xFFFF ? static_cast<int>(c) : -1;
}

} // namespace

#define STB_TEXTEDIT_KEYTYPE uint32_t
#define STB_TEXTEDIT_STRING plugkit::gfx::ITextEntryControl
#define STB_TEXTEDIT_STRINGLEN(obj) (obj)->GetLength()
#define STB_TEXTEDIT_LAYOUTROW(r, obj, n) (obj)->LayoutRow((r), (n))
#define STB_TEXTEDIT_GETWIDTH(obj, n, i) (obj)->GetCharWidth((n), (i))
#define STB_TEXTEDIT_KEYTOTEXT(k) KeyToText(k)
#define STB_TEXTEDIT_GETCHAR(obj, i) (obj)->GetChar(i)
#define STB_TEXTEDIT_NEWLINE U'\n'
#define STB_TEXTEDIT_IS_SPACE(ch) ((ch) == U' ' || (ch) == U'\t')
#define STB_TEXTEDIT_DELETECHARS(obj, i, n) (obj)->DeleteChars((i), (n))
#define STB_TEXTEDIT_INSERTCHARS(obj, i, c, n) (obj)->InsertChars((i), (c), (n))
#define STB_TEXTEDIT_K_SHIFT kShiftBit
#define STB_TEXTEDIT_K_BACKSPACE 0x80000008u
#define STB_TEXTEDIT_K_PGUP 0x80000021u
#define STB_TEXTEDIT_K_PGDOWN 0x80000022u
#define STB_TEXTEDIT_K_LINEEND 0x80000023u
#define STB_TEXTEDIT_K_LINESTART 0x80000024u
#define STB_TEXTEDIT_K_LEFT 0x80000025u
#define STB_TEXTEDIT_K_UP 0x80000026u
#define STB_TEXTEDIT_K_RIGHT 0x80000027u
#define STB_TEXTEDIT_K_DOWN 0x80000028u
#define STB_TEXTEDIT_K_DELETE 0x8000002Eu
#define STB_TEXTEDIT_K_TEXTSTART (STB_TEXTEDIT_K_LINESTART | kCommandBit)
#define STB_TEXTEDIT_K_TEXTEND (STB_TEXTEDIT_K_LINEEND | kCommandBit)
#define STB_TEXTEDIT_K_WORDLEFT (STB_TEXTEDIT_K_LEFT | kOptionBit)
#define STB_TEXTEDIT_K_WORDRIGHT (STB_TEXTEDIT_K_RIGHT | kOptionBit)
#define STB_TEXTEDIT_K_UNDO (0x7Au | kCommandBit)
#define STB_TEXTEDIT_K_REDO (0x7Au | kCommandBit | kShiftBit)
#define STB_TEXTEDIT_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb/stb_textedit.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace plugkit::gfx {

namespace {

constexpr int kBlinkMs = 1000;
constexpr float kBandWeight = 0.2f;

enum EVirtualKey : int32_t
{
  kVKBackspace = 8,
  kVKTab = 9,
  kVKReturn = 13,
  kVKEscape = 27,
  kVKSpace = 32,
  kVKPageUp = 33,
  kVKDown = 40,
  kVKDelete = 46,
  kVK0 = 48,
  kVK9 = 57,
  kVKNumPad0 = 96,
  kVKNumPad9 = 105
};

enum EContextItem : int32_t { kCut = 0, kCopy = 1, kPaste = 2 };

} // namespace

ITextEntryControl::ITextEntryControl()
  : IControl(IRECT(), -1), mContextMenu("", 0, false, {"Cut", "Copy", "Paste"})
{
  stb_textedit_initialize_state(&mEditState, 1);
  SetActionFunction([](IControl* pCaller) {
    auto* self = static_cast<ITextEntryControl*>(pCaller);
    self->mDrawCursor = true;
    self->SetAnimation(
      [](IControl* c) {
        auto* entry = static_cast<ITextEntryControl*>(c);
        const double p = entry->GetAnimationProgress();
        if (p > 0.5 && entry->mDrawCursor)
        {
          entry->mDrawCursor = false;
          entry->SetDirty(false);
        }
        if (p > 1.0)
          entry->OnEndAnimation();
      },
      kBlinkMs);
  });
  mContextMenu.SetFunction([this](IPopupMenu* pMenu) { OnContextMenuChoice(pMenu->GetChosenItemIdx()); });
}

// The engine's view of the text --------------------------------------------

int ITextEntryControl::GetLength() const
{
  int n = 0;
  for (size_t u = 0; u < mEditString.size(); u += UTF16CharUnits(mEditString, u))
    ++n;
  return n;
}

size_t ITextEntryControl::UnitOffset(int charIdx) const
{
  size_t u = 0;
  for (int i = 0; i < charIdx && u < mEditString.size(); ++i)
    u += UTF16CharUnits(mEditString, u);
  return u;
}

char32_t ITextEntryControl::GetChar(int idx) const
{
  return idx >= 0 ? UTF16CharAt(mEditString, UnitOffset(idx)) : U'\0';
}

float ITextEntryControl::MeasureChar(char32_t c, char32_t previous) const
{
  if (!GetUI())
    return 0.f;
  IRECT bounds;
  std::string alone;
  AppendUTF8(alone, c);
  if (previous == U'\0')
    return GetUI()->MeasureText(mText, alone.c_str(), bounds);
  std::string before, pair;
  AppendUTF8(before, previous);
  pair = before + alone;
  return GetUI()->MeasureText(mText, pair.c_str(), bounds) - GetUI()->MeasureText(mText, before.c_str(), bounds);
}

void ITextEntryControl::FillCharWidths()
{
  const int n = GetLength();
  if (mCharWidths.Resize(n) == nullptr && n > 0)
    return; // out of memory: every width reads as 0
  float* widths = mCharWidths.Get();
  char32_t previous = U'\0';
  size_t u = 0;
  for (int i = 0; i < n && i < mCharWidths.GetSize(); ++i, u += UTF16CharUnits(mEditString, u))
  {
    const char32_t c = UTF16CharAt(mEditString, u);
    widths[i] = MeasureChar(c, previous);
    previous = c;
  }
}

float ITextEntryControl::GetCharWidth(int startIdx, int charIdx)
{
  if (mCharWidths.GetSize() == 0)
    FillCharWidths();
  const int i = startIdx + charIdx;
  return i >= 0 && i < mCharWidths.GetSize() ? mCharWidths.Get()[i] : 0.f;
}

float ITextEntryControl::WidthBefore(int n)
{
  float w = 0.f;
  for (int i = 0; i < n; ++i)
    w += GetCharWidth(0, i);
  return w;
}

void ITextEntryControl::LayoutRow(StbTexteditRow* pRow, int startIdx)
{
  const float width = WidthBefore(GetLength());
  const float size = mText.mSize;
  pRow->num_chars = GetLength();
  pRow->baseline_y_delta = 1.25f;
  switch (mText.mAlign)
  {
    case kNear: pRow->x0 = mBounds.L; break;
    case kCenter: pRow->x0 = mBounds.MW() - width / 2.f; break;
    case kFar: pRow->x0 = mBounds.R - width; break;
  }
  pRow->x1 = pRow->x0 + width;
  switch (mText.mVAlign)
  {
    case kTop: pRow->ymin = 0.f; break;
    case kMiddle: pRow->ymin = mBounds.H() / 2.f - size / 2.f; break;
    case kBottom: pRow->ymin = mBounds.H() - size; break;
  }
  pRow->ymax = pRow->ymin + size;
}

bool ITextEntryControl::DeleteChars(int pos, int n)
{
  pos = std::clamp(pos, 0, GetLength());
  n = std::clamp(n, 0, GetLength() - pos);
  const size_t from = UnitOffset(pos);
  mEditString.erase(from, UnitOffset(pos + n) - from);
  TextChanged();
  return true;
}

bool ITextEntryControl::InsertChars(int pos, const char32_t* text, int n)
{
  if (!text || n <= 0)
    return true;
  std::u16string units;
  for (int i = 0; i < n; ++i)
    AppendUTF16(units, text[i]);
  mEditString.insert(UnitOffset(std::clamp(pos, 0, GetLength())), units);
  TextChanged();
  return true;
}

void ITextEntryControl::TextChanged()
{
  SetStr(GetUTF8().c_str());
  FillCharWidths();
}

std::string ITextEntryControl::GetUTF8() const
{
  return UTF16ToUTF8(mEditString.data(), mEditString.size());
}

void ITextEntryControl::SetStr(const char* str)
{
  mCharWidths.Resize(0);
  mEditString = UTF8ToUTF16(str);
  ++mTextVersion;
}

template <class Step>
bool ITextEntryControl::Edit(Step step)
{
  const STB_TexteditState before = mEditState;
  const uint32_t version = mTextVersion;
  step();
  const bool changed = version != mTextVersion || before.cursor != mEditState.cursor ||
                       before.select_start != mEditState.select_start || before.select_end != mEditState.select_end;
  if (changed)
    SetDirty(false);
  return changed;
}

// Opening and closing ------------------------------------------------------

void ITextEntryControl::CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
  const char* str)
{
  SetTargetAndDrawRECTs(bounds);
  mText = text;
  mText.mFGColor = text.mTextEntryFGColor;
  SetStr(str);
  // Each entry edits a new text: undo records of an earlier one would point
  // into text that is gone.
  stb_textedit_initialize_state(&mEditState, 1);
  Edit([this] {
    mEditState.select_start = 0;
    mEditState.select_end = GetLength();
  });
  mEditState.cursor = 0;
  FillCharWidths();
  // An entry hidden when the editor lost the focus is shown again.
  mHidden = false;
  SetDirty(true);
  mEditing = true;
}

void ITextEntryControl::CommitEdit()
{
  mEditing = false;
  if (GetUI())
    GetUI()->SetControlValueAfterTextEdit(GetUTF8().c_str());
  SetTargetAndDrawRECTs(IRECT());
  if (GetUI())
    GetUI()->SetAllControlsDirty();
}

void ITextEntryControl::DismissEdit()
{
  mEditing = false;
  SetTargetAndDrawRECTs(IRECT());
  if (GetUI())
  {
    GetUI()->OnTextEntryEndedWithoutCommit();
    GetUI()->SetAllControlsDirty();
  }
}

// Drawing and the caret ----------------------------------------------------

void ITextEntryControl::Draw(IGfx& g)
{
  g.FillRect(mText.mTextEntryBGColor, mBounds);
  StbTexteditRow row;
  LayoutRow(&row, 0);
  const float size = mText.mSize;
  const float top = mBounds.T + row.ymin + 0.1f * size;
  const float bottom = mBounds.T + row.ymax - 0.1f * size;
  const int lo = std::min(mEditState.select_start, mEditState.select_end);
  const int hi = std::max(mEditState.select_start, mEditState.select_end);
  if (lo != hi)
  {
    const IBlend band(kBlendDefault, kBandWeight);
    g.FillRect(mText.mTextEntryFGColor, IRECT(row.x0 + WidthBefore(lo), top, row.x0 + WidthBefore(hi), bottom), &band);
  }
  g.DrawText(mText, GetUTF8().c_str(), mBounds);
  if (lo == hi && mDrawCursor)
  {
    const float x = row.x0 + WidthBefore(std::clamp(mEditState.cursor, 0, GetLength()));
    g.FillRect(mText.mTextEntryFGColor, IRECT(std::round(x - 1.f), top, std::round(x), bottom));
  }
}

void ITextEntryControl::OnEndAnimation()
{
  IControl::OnEndAnimation();
  if (mEditing)
    SetDirty(true);
}

// Mouse ------------------------------------------------------------------------

void ITextEntryControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (!mBounds.Contains(x, y))
  {
    // The context gives an open entry every click: one elsewhere commits.
    if (mEditing)
      CommitEdit();
    return;
  }
  if (mod.L)
    Edit([&] { stb_textedit_click(this, &mEditState, x, y); });
  else if (mod.R && GetUI())
    GetUI()->CreatePopupMenu(*this, mContextMenu, IRECT(x, y, x, y));
}

void ITextEntryControl::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  if (mEditing && mod.L)
    Edit([&] { stb_textedit_drag(this, &mEditState, x, y); });
}

void ITextEntryControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  // A release reports no button held: anything but the right one ends a
  // left press.
  if (!mEditing || mod.R)
    return;
  Edit([&] { stb_textedit_drag(this, &mEditState, x, y); });
  SetDirty(true);
}

void ITextEntryControl::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  SelectAll();
}

// Keys -------------------------------------------------------------------------

bool ITextEntryControl::OnKeyDown(float x, float y, const IKeyPress& key)
{
  if (!mEditing)
    return false;
  const uint32_t modifiers = (key.S ? kShiftBit : 0u) | (key.C ? kCommandBit : 0u) | (key.A ? kOptionBit : 0u);
  if (key.C)
  {
    switch (key.VK)
    {
      case 'A': SelectAll(); return true;
      case 'C': CopySelection(); return true;
      case 'V': Paste(); return true;
      case 'X': CutSelection(); return true;
      case 'Z':
        Edit([&] { stb_textedit_key(this, &mEditState, 0x7Au | kCommandBit | (key.S ? kShiftBit : 0u)); });
        return true;
      default: break;
    }
  }

  // Only the key's own bytes are read; anything that is not one character
  // of one UTF-16 unit is no text.
  char32_t c = 0;
  DecodeUTF8(key.utf8, strnlen(key.utf8, sizeof(key.utf8) - 1), c);
  if (c > 0xFFFF)
    c = 0;
  const uint32_t nonText = static_cast<uint32_t>(key.VK) | kNonText;

  uint32_t code;
  switch (key.VK)
  {
    case kVKTab: return false;
    case kVKReturn: CommitEdit(); return true;
    case kVKEscape: DismissEdit(); return true;
    case kVKSpace: code = U' '; break;
    case kVKBackspace:
    case kVKDelete: code = nonText; break;
    default:
      if (key.VK >= kVKPageUp && key.VK <= kVKDown)
      {
        code = nonText;
        break;
      }
      const IControl* caller = GetUI() ? GetUI()->GetTextEntryCaller() : nullptr;
      if (!caller)
        return false;
      const IParam* param = caller->GetParam(0);
      const int type = param ? param->Type() : IParam::kTypeNone;
      const bool digit = ((key.VK >= kVK0 && key.VK <= kVK9 && !key.S) ||
                          (key.VK >= kVKNumPad0 && key.VK <= kVKNumPad9)) && c != 0;
      const bool sign = c == U'+' || c == U'-';
      if (type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum)
        code = digit || sign ? static_cast<uint32_t>(c) : nonText;
      else if (type == IParam::kTypeDouble)
        code = digit || sign || c == U'.' ? static_cast<uint32_t>(c) : nonText;
      else
        code = c != 0 ? static_cast<uint32_t>(c) : nonText;
      break;
  }
  return Edit([&] { stb_textedit_key(this, &mEditState, code | modifiers); });
}

// Selection and clipboard ------------------------------------------------------

void ITextEntryControl::SelectAll()
{
  Edit([this] {
    mEditState.select_start = 0;
    mEditState.select_end = GetLength();
  });
}

void ITextEntryControl::CopySelection()
{
  const int lo = std::clamp(std::min(mEditState.select_start, mEditState.select_end), 0, GetLength());
  const int hi = std::clamp(std::max(mEditState.select_start, mEditState.select_end), 0, GetLength());
  if (lo == hi || !GetUI())
    return;
  const size_t from = UnitOffset(lo);
  GetUI()->SetTextInClipboard(UTF16ToUTF8(mEditString.data() + from, UnitOffset(hi) - from).c_str());
}

void ITextEntryControl::CutSelection()
{
  CopySelection();
  Edit([this] { stb_textedit_cut(this, &mEditState); });
}

void ITextEntryControl::Paste()
{
  PK_String text;
  if (!GetUI() || !GetUI()->GetTextFromClipboard(text) || text.GetLength() == 0)
    return;
  const std::u16string units = UTF8ToUTF16(text.Get());
  std::u32string chars;
  for (size_t u = 0; u < units.size(); u += UTF16CharUnits(units, u))
    chars += UTF16CharAt(units, u);
  Edit([&] { stb_textedit_paste(this, &mEditState, chars.data(), static_cast<int>(chars.size())); });
}

void ITextEntryControl::OnContextMenuChoice(int idx)
{
  switch (idx)
  {
    case kCut: CutSelection(); break;
    case kCopy: CopySelection(); break;
    case kPaste: Paste(); break;
    default: break;
  }
}

} // namespace plugkit::gfx
