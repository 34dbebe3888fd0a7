// CAtomizer: string index, atom table and character chunks.
#include "orvutil/foundation/atomizer.h"

#include <cwchar>
#include <new>

#include "orvutil/foundation/allocator.h"
#include "orvutil/foundation/strings.h"

namespace Orv {

CAtomizer::CAtomizer()
    : m_index(new (std::nothrow) tMap<wchar_t const*, unsigned int>()),
      m_atoms(new (std::nothrow) tVectorPOD<wchar_t const*>()),
      m_chunks(new (std::nothrow) tVectorPOD<wchar_t*>()),
      m_cursor(nullptr),
      m_chunkEnd(nullptr) {}

CAtomizer::~CAtomizer() {
  FreeChunks();
  delete m_index;
  delete m_atoms;
  delete m_chunks;
}

void CAtomizer::FreeChunks() {
  if (m_chunks) {
    for (wchar_t* chunk : *m_chunks) tMemAllocator<wchar_t>::Free(chunk);
    m_chunks->Clear();
  }
  m_cursor = m_chunkEnd = nullptr;
}

unsigned int CAtomizer::GetAtom(wchar_t const* s, bool canonicalize, bool doNotAdd) {
  if (!s) return kNoAtom;
  if (canonicalize) {
    // The lower-cased copy is made before the lock is taken.
    size_t length = wcslen(s);
    if (length >= 0x7FFFFFFFu) return kNoAtom;
    tVectorPOD<wchar_t, 128> copy;
    if (!copy.Insert(0, s, static_cast<unsigned int>(length) + 1)) return kNoAtom;
    CanonicalizeStringInPlace(copy.Data(), static_cast<unsigned int>(length));
    return GetAtom(copy.Data(), false, doNotAdd);
  }
  // Measured and hashed once, before the lock is taken; a new atom reuses both.
  size_t length;
  unsigned int hash = HashWideString(s, length);
  CScopeCriticalSection lock(m_lock.GetCS());
  return Lookup(s, length, hash, doNotAdd);
}

unsigned int CAtomizer::Lookup(wchar_t const* s, size_t length, unsigned int hash, bool doNotAdd) {
  if (!m_index) return kNoAtom;
  const auto* item = m_index->FindWithHash(s, hash);
  if (item) return item->Value();
  return doNotAdd ? kNoAtom : MakeNewAtom(s, length, hash);
}

unsigned int CAtomizer::MakeNewAtom(wchar_t const* s) {
  if (!s) return kNoAtom;
  size_t length;
  unsigned int hash = HashWideString(s, length);
  return MakeNewAtom(s, length, hash);
}

unsigned int CAtomizer::MakeNewAtom(wchar_t const* s, size_t length, unsigned int hash) {
  if (!m_chunks || length >= 0x7FFFFFFFu) return kNoAtom;
  unsigned int need = static_cast<unsigned int>(length) + 1;
  if (!m_cursor || static_cast<size_t>(m_chunkEnd - m_cursor) < need) {
    // A new chunk; the rest of the current one is abandoned.
    unsigned int size = need > m_dataChunkSize ? need : m_dataChunkSize;
    wchar_t* chunk = tMemAllocator<wchar_t>::Allocate(size);
    if (!chunk) return kNoAtom;
    if (!m_chunks->PushBack(chunk)) {
      tMemAllocator<wchar_t>::Free(chunk);
      return kNoAtom;
    }
    m_cursor = chunk;
    m_chunkEnd = chunk + size;
  }
  wmemcpy(m_cursor, s, need);
  unsigned int atom = AddStored(m_cursor, hash);
  if (atom != kNoAtom) m_cursor += need;  // on failure the room is reused by the next string
  return atom;
}

unsigned int CAtomizer::AddStored(wchar_t const* stored, unsigned int hash) {
  if (!m_index || !m_atoms) return kNoAtom;
  unsigned int atom = m_atoms->Count();
  if (!m_index->InsertWithHash(stored, atom, hash)) return kNoAtom;
  if (!m_atoms->PushBack(stored)) {
    m_index->RemoveKey(stored);
    return kNoAtom;
  }
  return atom;
}

wchar_t const* CAtomizer::GetStr(unsigned int atom) const {
  CScopeCriticalSection lock(m_lock.GetCS());
  return m_atoms && atom < m_atoms->Count() ? (*m_atoms)[atom] : nullptr;
}

unsigned int CAtomizer::Size() const {
  CScopeCriticalSection lock(m_lock.GetCS());
  return m_atoms ? m_atoms->Count() : 0;
}

void CAtomizer::Clear() {
  CScopeCriticalSection lock(m_lock.GetCS());
  if (m_index) m_index->Clear();
  if (m_atoms) m_atoms->Clear();
  FreeChunks();
}

void CAtomizer::Init(SAtomInit const* table, unsigned int count, bool canonicalize) {
  if (!table || count == 0) return;
  CScopeCriticalSection lock(m_lock.GetCS());
  tVectorPOD<wchar_t, 128> copy;
  for (unsigned int i = 0; i < count; ++i) {
    wchar_t const* s = table[i].string ? table[i].string : L"";
    if (!canonicalize) {
      AddStored(s, HashFunc<wchar_t const*>(s));
      continue;
    }
    size_t length = wcslen(s);
    if (length >= 0x7FFFFFFFu) continue;
    copy.Clear();
    if (!copy.Insert(0, s, static_cast<unsigned int>(length) + 1)) continue;
    CanonicalizeStringInPlace(copy.Data(), static_cast<unsigned int>(length));
    MakeNewAtom(copy.Data());
  }
}

}  // namespace Orv
