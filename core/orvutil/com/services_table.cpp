// CServiceTable: insertion with growth, and removal by backward shifting (no tombstones).
#include "services_table.h"

namespace Orv {

bool CServiceTable::Grow() {
  unsigned bits = m_slots.IsEmpty() ? 3 : 32 - m_shift + 1;
  if (bits > 28) return false;
  tVectorPOD<Slot> old;
  if (!old.Insert(0, m_slots.Data(), m_slots.Count())) return false;
  m_slots.Clear();  // keeps the buffer, so the old contents always fit back
  if (!m_slots.Resize(1u << bits, Slot{})) {
    m_slots.Insert(0, old.Data(), old.Count());
    return false;
  }
  m_shift = 32 - bits;
  m_mask = (1u << bits) - 1;
  for (unsigned i = 0; i < old.Count(); ++i) {
    if (!old[i].service) continue;
    unsigned at = Home(old[i].sid);
    while (m_slots[at].service) at = (at + 1) & m_mask;
    m_slots[at] = old[i];
  }
  return true;
}

bool CServiceTable::Insert(GUID const& sid, IUnknown* service) {
  if (!service) return false;
  if (2 * (m_count + 1) > m_slots.Count() && !Grow()) return false;
  unsigned at = Home(sid);
  while (m_slots[at].service) at = (at + 1) & m_mask;
  m_slots[at].sid = sid;
  m_slots[at].service = service;
  ++m_count;
  return true;
}

IUnknown* CServiceTable::Remove(GUID const& sid) {
  if (m_count == 0) return nullptr;
  unsigned hole = Home(sid);
  while (m_slots[hole].service && !::IsEqualGUID(m_slots[hole].sid, sid)) hole = (hole + 1) & m_mask;
  IUnknown* removed = m_slots[hole].service;
  if (!removed) return nullptr;
  // Moves later entries of the probe run back into the hole when their home allows it.
  for (unsigned next = (hole + 1) & m_mask; m_slots[next].service; next = (next + 1) & m_mask) {
    unsigned home = Home(m_slots[next].sid);
    bool movable = hole <= next ? (home <= hole || home > next) : (home <= hole && home > next);
    if (movable) {
      m_slots[hole] = m_slots[next];
      hole = next;
    }
  }
  m_slots[hole].service = nullptr;
  --m_count;
  return removed;
}

}  // namespace Orv
