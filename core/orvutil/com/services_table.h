// CServiceTable: services by GUID in an open-addressing hash table. The slot comes from the fold of
// the GUID's four 32-bit words, but entries match on the whole GUID, so GUIDs that share a fold
// stay distinct services.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "orvutil/foundation/vector.h"

namespace Orv {

class CServiceTable {
 public:
  CServiceTable() = default;
  CServiceTable(const CServiceTable&) = delete;
  CServiceTable& operator=(const CServiceTable&) = delete;

  // The service under `sid` (no reference added), or null.
  IUnknown* Find(GUID const& sid) const {
    if (m_count == 0) return nullptr;
    for (unsigned i = Home(sid);; i = (i + 1) & m_mask) {
      const Slot& slot = m_slots[i];
      if (!slot.service) return nullptr;
      if (::IsEqualGUID(slot.sid, sid)) return slot.service;
    }
  }
  // Stores `service` under a `sid` not yet present (the table does not count references); false
  // when memory ran out.
  bool Insert(GUID const& sid, IUnknown* service);
  // Takes the entry under `sid` out; its service, or null when there was none.
  IUnknown* Remove(GUID const& sid);
  unsigned Count() const { return m_count; }

 private:
  struct Slot {
    GUID sid;
    IUnknown* service;  // null: the slot is free
  };

  static unsigned Fold(GUID const& sid) {
    const unsigned long* words = reinterpret_cast<const unsigned long*>(&sid);
    return static_cast<unsigned>(words[0] ^ words[1] ^ words[2] ^ words[3]);
  }
  unsigned Home(GUID const& sid) const { return (Fold(sid) * 0x9E3779B1u) >> m_shift; }
  bool Grow();

  tVectorPOD<Slot> m_slots;
  unsigned m_mask = 0;
  unsigned m_shift = 32;
  unsigned m_count = 0;
};

}  // namespace Orv
