// CAtomizer: turns strings into small dense integers (atoms) and back.
//
// The first string added gets atom 0, the next 1, and so on, so an atom can index an array. Each
// string is stored once, packed into character chunks of at least 512 characters owned by the
// atomizer; the pointer GetStr hands out stays valid until Clear or destruction. Lookups are
// exact and case-sensitive unless the caller asks for canonicalising (ASCII lower-casing).
//
// Threading: every public operation takes the atomizer's own lock (while critical sections are
// allowed), so one atomizer may be shared by threads. Stored strings are immutable.
#pragma once

#include "orvutil/export.h"
#include "orvutil/foundation/set.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"

namespace Orv {

class ORV_API CAtomizer {
 public:
  // One record of a static table for Init. `atom` is for the table's own bookkeeping (for
  // example the atom the record is expected to get) and is not read; `string` is the text.
  struct SAtomInit {
    unsigned int atom;
    wchar_t const* string;
  };

  static constexpr unsigned int kNoAtom = 0xFFFFFFFFu;

  CAtomizer();
  virtual ~CAtomizer();
  CAtomizer(const CAtomizer&) = delete;
  CAtomizer& operator=(const CAtomizer&) = delete;

  // The atom of `s` (kNoAtom for null). With `canonicalize` the ASCII lower-cased form is looked
  // up and stored. A string not yet known becomes a new atom unless `doNotAdd` is set, in which
  // case the result is kNoAtom.
  unsigned int GetAtom(wchar_t const* s, bool canonicalize = false, bool doNotAdd = false);
  // The stored string of `atom`, or null when the atom is not below Size().
  wchar_t const* GetStr(unsigned int atom) const;
  unsigned int Size() const;
  // Forgets every atom and frees every chunk; numbering starts again at 0.
  void Clear();
  // Adds the strings of `table` in order, each as a new atom numbered from the current size
  // (a repeated string gets a second atom and lookups then find the later one). Without
  // `canonicalize` the table's own pointers are stored, so the table must outlive the atomizer;
  // with it lower-cased copies are stored. A null string is taken as the empty string.
  void Init(SAtomInit const* table, unsigned int count, bool canonicalize);

 protected:
  // Least number of characters in a chunk.
  static constexpr unsigned int m_dataChunkSize = 512;

  // Copies `s` into the chunks and gives it the next atom, without looking it up first (lock held
  // by the caller). kNoAtom for null or when memory ran out.
  unsigned int MakeNewAtom(wchar_t const* s);

 private:
  // The atom of `s`, which has `length` characters and the hash `hash` (lock held by the caller).
  unsigned int Lookup(wchar_t const* s, size_t length, unsigned int hash, bool doNotAdd);
  unsigned int MakeNewAtom(wchar_t const* s, size_t length, unsigned int hash);
  // Records `stored` (which must stay valid), whose hash is `hash`, as the next atom; kNoAtom when
  // memory ran out.
  unsigned int AddStored(wchar_t const* stored, unsigned int hash);
  void FreeChunks();

  tMap<wchar_t const*, unsigned int>* m_index;  // stored string → atom
  tVectorPOD<wchar_t const*>* m_atoms;          // atom → stored string
  tVectorPOD<wchar_t*>* m_chunks;               // every chunk allocated
  wchar_t* m_cursor;                            // next free character of the current chunk
  wchar_t* m_chunkEnd;                          // end of the current chunk
  mutable CCriticalSection m_lock;
};

}  // namespace Orv
