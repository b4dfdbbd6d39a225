#pragma once

#include <cstring>

#include "graphics/PK_HeapBuf.h"

// A growable array of pointers. The list itself owns nothing: whoever removes
// an entry says whether the object is deleted with it. Get() outside the list
// gives null, so callers may probe indices freely.
template <class T>
class PK_PtrList
{
public:
  explicit PK_PtrList(int granularity = 4096) : m_hb(granularity) {}
  PK_PtrList(const PK_PtrList&) = delete;
  PK_PtrList& operator=(const PK_PtrList&) = delete;

  int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T*)); }
  T* const* GetList() const { return static_cast<T* const*>(m_hb.Get()); }

  T* Get(int index) const
  {
    T* const* list = GetList();
    if (!list || index < 0 || index >= GetSize())
      return nullptr;
    return list[index];
  }

  // Appends the item; returns it, or null when the list cannot grow (the item
  // is then not in the list and still belongs to the caller).
  T* Add(T* item)
  {
    const int count = GetSize();
    const int bytes = (count + 1) * static_cast<int>(sizeof(T*));
    T** list = static_cast<T**>(m_hb.Resize(bytes, false));
    if (!list || m_hb.GetSize() != bytes)
      return nullptr;
    list[count] = item;
    return item;
  }

  // Inserts the item at index (negative: 0; past the end: appended), moving
  // later entries up; returns it, or null when the list cannot grow.
  T* Insert(T* item, int index)
  {
    const int count = GetSize();
    if (index < 0)
      index = 0;
    if (index >= count)
      return Add(item);
    const int bytes = (count + 1) * static_cast<int>(sizeof(T*));
    T** list = static_cast<T**>(m_hb.Resize(bytes, false));
    if (!list || m_hb.GetSize() != bytes)
      return nullptr;
    std::memmove(list + index + 1, list + index, sizeof(T*) * static_cast<size_t>(count - index));
    list[index] = item;
    return item;
  }

  // The index of the item, or -1.
  int Find(const T* item) const
  {
    for (int i = 0; i < GetSize(); ++i)
      if (GetList()[i] == item)
        return i;
    return -1;
  }

  // Removes the entry at index (deleting the object when asked); later
  // entries move down. Memory is kept for later additions.
  void Delete(int index, bool wantDelete = false)
  {
    T** list = static_cast<T**>(m_hb.Get());
    const int count = GetSize();
    if (!list || index < 0 || index >= count)
      return;
    if (wantDelete)
      delete list[index];
    std::memmove(list + index, list + index + 1, sizeof(T*) * static_cast<size_t>(count - index - 1));
    m_hb.Resize((count - 1) * static_cast<int>(sizeof(T*)), false);
  }

  // Removes every entry, from the last to the first. With wantDelete each
  // object is released first, by deleteFunc when given, else as a T.
  void Empty(bool wantDelete = false, void (*deleteFunc)(void*) = nullptr)
  {
    if (wantDelete)
    {
      for (int i = GetSize() - 1; i >= 0; --i)
      {
        T* item = static_cast<T**>(m_hb.Get())[i];
        // Shrink first, so a destructor that looks at the list no longer
        // finds the object it is destroying.
        m_hb.Resize(i * static_cast<int>(sizeof(T*)), false);
        if (deleteFunc)
          deleteFunc(item);
        else
          delete item;
      }
    }
    m_hb.Resize(0, false);
  }

private:
  PK_HeapBuf m_hb;
};
