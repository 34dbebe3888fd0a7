// CDict: names mapped to typed values (CValue), with an optional parent whose entries show through
// on look-ups, a read-only switch, and case-sensitive or case-insensitive names.
//
// Names are atoms of a CAtomizer (the process-wide default one unless another is set); a
// case-insensitive dictionary folds names before they become atoms. Entries hold a reference on
// their values, which dictionaries and threads share.
//
// The persisted form (SaveDict/LoadDict) is: version 0, the entry count, then per entry its type,
// name and payload, every field on a 4-byte boundary. Atom, AtomVector, Pointer and ValueVector
// values, and Object values outside a package, are left out of it.
//
// Threading: no lock of its own; writers serialise themselves.
#pragma once

#include <windows.h>

#include "orvutil/data/saved_data.h"
#include "orvutil/export.h"
#include "orvutil/foundation/atomizer.h"
#include "orvutil/foundation/set.h"
#include "orvutil/values/value.h"

namespace Orv {

class CLog;

class ORV_API CDict {
 public:
  explicit CDict(const CDict* parent = nullptr);
  // Shares the source's values; the copy is writable.
  CDict(const CDict& other);
  // Ignored when this dictionary is read-only; keeps the read-only flag.
  CDict& operator=(const CDict& other);
  ~CDict();

  // Refused (false) when the parent's chain leads back to this dictionary.
  bool SetParent(const CDict* parent);
  const CDict* GetParent() const { return m_parent; }
  void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
  bool IsReadOnly() const { return m_readOnly; }
  // Refused (false) while the dictionary has entries: their atoms would change meaning.
  bool SetCaseSensitive(bool caseSensitive);
  bool IsCaseSensitive() const { return m_caseSensitive; }
  // Null selects the default atomizer. Refused (false) while the dictionary has entries.
  bool SetAtomizer(CAtomizer* atomizer);
  CAtomizer& GetAtomizer() const { return *m_atomizer; }
  // The process-wide atomizer, made on first use.
  static CAtomizer& GetDefaultAtomizer();

  // The atom of a name under this dictionary's case rule; with findOnly an unknown name gives
  // 0xFFFFFFFF instead of a new atom.
  unsigned int GetAtom(const wchar_t* name, bool findOnly) const;
  void DebugDump() const {}

  // A value replaces the entry of its atom (the dictionary takes a reference first); null removes it.
  void SetValue(unsigned int atom, CValue* value);
  void SetValue(const wchar_t* name, CValue* value);
  // No reference added; null when there is no such entry. Reading never makes atoms.
  CValue* GetValue(unsigned int atom, bool searchParents) const;
  CValue* GetValue(const wchar_t* name, bool searchParents) const;
  void Clear();
  // Copies `other`'s entries (sharing the values); both must share an atomizer.
  void Add(const CDict& other, bool withParents);
  // Appends each distinct atom once: the parents' first when asked for, then the own.
  void GetAllNames(tVectorPOD<unsigned int>& names, bool withParents) const;
  unsigned int GetCount() const { return m_entries->Count(); }

  void SetInt(unsigned int atom, int value);
  void SetBool(unsigned int atom, bool value);
  void SetFloat(unsigned int atom, float value);
  void SetDouble(unsigned int atom, double value);
  void SetPoint(unsigned int atom, const tPoint<int>& value);
  void SetRect(unsigned int atom, const tRect<int>& value);
  void SetString(unsigned int atom, const tstring& value);
  void SetGuid(unsigned int atom, const GUID& value);
  void SetData(unsigned int atom, IData* value);

  // The value of that type, else its conversion to the type, else the default.
  int GetInt(unsigned int atom, int def, bool searchParents = true) const;
  bool GetBool(unsigned int atom, bool def, bool searchParents = true) const;
  float GetFloat(unsigned int atom, float def, bool searchParents = true) const;
  double GetDouble(unsigned int atom, double def, bool searchParents = true) const;
  tstring GetString(unsigned int atom, const tstring& def, bool searchParents = true) const;
  GUID GetGuid(unsigned int atom, const GUID& def, bool searchParents = true) const;
  // Only a value of exactly that type, else the default.
  tPoint<int> GetPoint(unsigned int atom, const tPoint<int>& def, bool searchParents = true) const;
  tRect<int> GetRect(unsigned int atom, const tRect<int>& def, bool searchParents = true) const;
  // The block of a Data value (no reference added), else null.
  IData* GetData(unsigned int atom, bool searchParents = true) const;

 private:
  using EntryMap = tMap<unsigned int, tSmartPtr<CValue>>;
  void GetAllNames(tSet<unsigned int>& names, bool withParents) const;
  // The value converted to `type` (with a reference), or null.
  tSmartPtr<CValue> Converted(unsigned int atom, CValue::EType type, bool searchParents) const;

  const CDict* m_parent;
  CAtomizer* m_atomizer;
  EntryMap* m_entries;
  bool m_readOnly = false;
  bool m_caseSensitive = true;
};

// The category GUID of dictionaries, {1AE9073C-5FA6-450F-9982-1C8E87A7BA91} ("Options Dictionary").
ORV_API GUID const& GetCategoryDict();

// The persisted form in a new data vector, wrapped as loaded saved data that compresses on demand.
ORV_API bool SaveDict(const CDict& dict, bool withParents, ISavedData** out);
// Reads the persisted form into `dict` (names become atoms under its rules). On any failure, or for a
// read-only dictionary, nothing is stored and the result is false. Object entries other than null
// ones need a package (LoadDict of a package node).
ORV_API bool LoadDict(ISavedData* saved, CDict& dict);
// The names sorted, each with its value as text, between a head and a foot line. Nothing when
// `debugOnly` and the library is not a debug build. A null log traces into a log of no writers.
ORV_API void DumpDict(const CDict& dict, CLog* log, bool debugOnly);

namespace Detail {

// Object values in the persisted form: a writer turns an object into a node GUID (false leaves the
// entry out), a reader turns a GUID into an object (false fails the load).
struct IDictObjects {
  virtual bool WriteObject(IUnknown* object, GUID& id) = 0;
  virtual bool ReadObject(GUID const& id, tSmartPtr<IUnknown>& object) = 0;
};
ORV_API bool WriteDict(const CDict& dict, bool withParents, IDataWriter* out, IDictObjects* objects);
ORV_API bool ReadDict(IDataReader* in, CDict& dict, IDictObjects* objects);

}  // namespace Detail

}  // namespace Orv
