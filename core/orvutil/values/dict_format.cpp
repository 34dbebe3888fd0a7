// The persisted form of dictionaries and their text dump.
#include <algorithm>
#include <cwchar>

#include "orvutil/com/module.h"
#include "orvutil/data/encodings.h"
#include "orvutil/diag/log.h"
#include "orvutil/values/dict.h"

namespace Orv {

namespace {

constexpr unsigned kDictVersion = 0;
constexpr unsigned kMinString = 8;          // an empty string record
constexpr unsigned kMinEntry = 4 + kMinString;  // type and an empty name

template <class T>
bool Put(IDataWriter* out, T const& value) {
  return out->Write(&value, sizeof(value));
}

template <class T>
bool Get(IDataReader* in, T& value) {
  const unsigned char* p = in->Read(sizeof(value));
  if (!p) return false;
  memcpy(&value, p, sizeof(value));
  return true;
}

unsigned Left(IDataReader* in) { return in->GetSize() - in->GetPos(); }

// A count of elements of at least `minSize` bytes each that the rest of the input can hold.
bool GetCount(IDataReader* in, unsigned minSize, unsigned& count) {
  return Get(in, count) && count <= Left(in) / minSize;
}

bool PutData(IDataWriter* out, IData* data) {
  unsigned size = data ? data->GetSize() : 0;
  return Put(out, size) && (!size || SaveBytes(out, data));
}

bool GetData(IDataReader* in, tSmartPtr<IData>& data) {
  unsigned size;
  if (!Get(in, size)) return false;
  return !size || (size <= Left(in) && LoadBytes(in, size, data.Receive()));
}

bool WritePayload(IDataWriter* out, CValue* value, GUID const& objectId) {
  switch (value->GetType()) {
    case CValue::eNothing: return true;
    case CValue::eBool: return Put(out, static_cast<unsigned>(value->AsBool()));
    case CValue::eDouble: return Put(out, value->AsDouble());
    case CValue::eFloat: return Put(out, value->AsFloat());
    case CValue::eInt: return Put(out, value->AsInt());
    case CValue::eObject: return Put(out, objectId);
    case CValue::ePoint: return Put(out, value->AsPoint());
    case CValue::eRect: return Put(out, value->AsRect());
    case CValue::eString: return SaveRawString(out, value->AsString());
    case CValue::eGuid: return Put(out, value->AsGuid());
    case CValue::eData: return PutData(out, value->AsData());
    case CValue::eStringVector: {
      CValue::StringVector& v = value->AsStringVector();
      if (!Put(out, v.Count())) return false;
      for (unsigned i = 0; i < v.Count(); ++i) {
        if (!SaveData(out, v[i])) return false;
      }
      return true;
    }
    case CValue::eIntVector: {
      CValue::IntVector& v = value->AsIntVector();
      return Put(out, v.Count()) && (!v.Count() || out->Write(v.Data(), v.Count() * 4));
    }
    case CValue::eFloatVector: {
      CValue::FloatVector& v = value->AsFloatVector();
      return Put(out, v.Count()) && (!v.Count() || out->Write(v.Data(), v.Count() * 4));
    }
    case CValue::eDataVector: {
      CValue::DataVector& v = value->AsDataVector();
      if (!Put(out, v.Count())) return false;
      for (unsigned i = 0; i < v.Count(); ++i) {
        if (!PutData(out, v[i])) return false;
      }
      return true;
    }
    default: return false;
  }
}

template <class Create>
bool Made(tSmartPtr<CValue>& value, Create const& create) {
  CValue* made = nullptr;
  if (!create(&made)) return false;
  value.Attach(made);
  return true;
}

// The value of one entry of `type`, read from its payload.
bool ReadPayload(IDataReader* in, unsigned type, Detail::IDictObjects* objects, tSmartPtr<CValue>& value) {
  switch (type) {
    case CValue::eNothing: return Made(value, [](CValue** o) { return CValue::CreateNothing(o); });
    case CValue::eBool: {
      unsigned char bytes[4];
      return Get(in, bytes) && Made(value, [&](CValue** o) { return CValue::CreateBool(bytes[0] != 0, o); });
    }
    case CValue::eDouble: {
      double d;
      return Get(in, d) && Made(value, [&](CValue** o) { return CValue::CreateDouble(d, o); });
    }
    case CValue::eFloat: {
      float f;
      return Get(in, f) && Made(value, [&](CValue** o) { return CValue::CreateFloat(f, o); });
    }
    case CValue::eInt: {
      int n;
      return Get(in, n) && Made(value, [&](CValue** o) { return CValue::CreateInt(n, o); });
    }
    case CValue::eObject: {
      GUID id;
      tSmartPtr<IUnknown> object;
      if (!Get(in, id)) return false;
      if (!IsEqualGUID(id, GUID_NULL) && (!objects || !objects->ReadObject(id, object))) return false;
      return Made(value, [&](CValue** o) { return CValue::CreateObject(object, o); });
    }
    case CValue::ePoint: {
      tPoint<int> p;
      return Get(in, p) && Made(value, [&](CValue** o) { return CValue::CreatePoint(p, o); });
    }
    case CValue::eRect: {
      tRect<int> r;
      return Get(in, r) && Made(value, [&](CValue** o) { return CValue::CreateRect(r, o); });
    }
    case CValue::eString: {
      tstring text;
      return LoadData(in, text) && Made(value, [&](CValue** o) { return CValue::CreateString(text, o); });
    }
    case CValue::eGuid: {
      GUID g;
      return Get(in, g) && Made(value, [&](CValue** o) { return CValue::CreateGuid(g, o); });
    }
    case CValue::eData: {
      tSmartPtr<IData> data;
      return GetData(in, data) && Made(value, [&](CValue** o) { return CValue::CreateData(data, o); });
    }
    case CValue::eStringVector: {
      unsigned count;
      if (!GetCount(in, kMinString, count) || !Made(value, CValue::CreateStringVector)) return false;
      for (unsigned i = 0; i < count; ++i) {
        tstring text;
        if (!LoadData(in, text) || !value->AsStringVector().PushBack(text)) return false;
      }
      return true;
    }
    case CValue::eIntVector:
    case CValue::eFloatVector: {
      unsigned count;
      if (!GetCount(in, 4, count)) return false;
      const unsigned char* p = count ? in->Read(count * 4) : nullptr;
      if (count && !p) return false;
      if (type == CValue::eIntVector) {
        if (!Made(value, CValue::CreateIntVector) || !value->AsIntVector().Resize(count)) return false;
        if (count) memcpy(value->AsIntVector().Data(), p, count * 4);
      } else {
        if (!Made(value, CValue::CreateFloatVector) || !value->AsFloatVector().Resize(count)) return false;
        if (count) memcpy(value->AsFloatVector().Data(), p, count * 4);
      }
      return true;
    }
    case CValue::eDataVector: {
      unsigned count;
      if (!GetCount(in, 4, count) || !Made(value, CValue::CreateDataVector)) return false;
      for (unsigned i = 0; i < count; ++i) {
        tSmartPtr<IData> data;
        if (!GetData(in, data) || !value->AsDataVector().PushBack(data)) return false;
      }
      return true;
    }
    default: return false;
  }
}

struct SEntryToWrite {
  unsigned atom;
  CValue* value;
  GUID objectId;
};

}  // namespace

namespace Detail {

// Entries that cannot be saved are left out before the count is written, so the count is exact.
bool WriteDict(const CDict& dict, bool withParents, IDataWriter* out, IDictObjects* objects) {
  if (!out) return false;
  tVectorPOD<unsigned int> names;
  dict.GetAllNames(names, withParents);
  tVectorPOD<SEntryToWrite> entries;
  for (unsigned i = 0; i < names.Count(); ++i) {
    CValue* value = dict.GetValue(names[i], withParents);
    SEntryToWrite entry{names[i], value, GUID_NULL};
    if (!value) continue;
    switch (value->GetType()) {
      case CValue::eAtom:
      case CValue::eAtomVector:
      case CValue::ePointer:
      case CValue::eValueVector: continue;
      case CValue::eObject:
        if (!objects || (value->AsObject() && !objects->WriteObject(value->AsObject(), entry.objectId))) continue;
        break;
      default: break;
    }
    entries.PushBack(entry);
  }
  if (!Put(out, kDictVersion) || !Put(out, entries.Count())) return false;
  for (unsigned i = 0; i < entries.Count(); ++i) {
    SEntryToWrite const& e = entries[i];
    if (!Put(out, static_cast<unsigned>(e.value->GetType())) ||
        !SaveRawString(out, dict.GetAtomizer().GetStr(e.atom)) || !WritePayload(out, e.value, e.objectId))
      return false;
  }
  return true;
}

bool ReadDict(IDataReader* in, CDict& dict, IDictObjects* objects) {
  unsigned version, count;
  if (!in || dict.IsReadOnly() || !Get(in, version) || version != kDictVersion || !GetCount(in, kMinEntry, count))
    return false;
  struct SRead {
    tstring name;
    tSmartPtr<CValue> value;
  };
  tObjVector<SRead> read;
  for (unsigned i = 0; i < count; ++i) {
    unsigned type;
    SRead entry;
    if (!Get(in, type) || !LoadData(in, entry.name) || !ReadPayload(in, type, objects, entry.value) ||
        entry.value->GetType() != type || !read.PushBack(entry))
      return false;
  }
  for (unsigned i = 0; i < read.Count(); ++i) dict.SetValue(read[i].name.c_str(), read[i].value);
  return true;
}

}  // namespace Detail

bool SaveDict(const CDict& dict, bool withParents, ISavedData** out) {
  if (!out) return false;
  *out = nullptr;
  tSmartPtr<IDataVector> vector;
  tSmartPtr<IDataWriter> writer;
  return CreateDataWriter(vector.Receive(), writer.Receive()) && Detail::WriteDict(dict, withParents, writer, nullptr) &&
         CreateLoadedDataFromMemory(vector, true, out);
}

bool LoadDict(ISavedData* saved, CDict& dict) {
  IData* loaded = saved ? saved->Load() : nullptr;
  tSmartPtr<IDataReader> reader;
  return loaded && CreateDataReader(loaded, 0, reader.Receive()) && Detail::ReadDict(reader, dict, nullptr);
}

namespace {

// A value as dump text: its String conversion, else the lines of a string vector, else "<data>".
tstring DumpText(CValue* value) {
  CValue* converted = nullptr;
  if (value->Convert(CValue::eString, &converted)) {
    tstring text = converted->AsString();
    converted->Release();
    return text;
  }
  if (!value->IsType(CValue::eStringVector)) return tstring(L"<data>");
  CValue::StringVector& strings = value->AsStringVector();
  tstring text;
  for (unsigned i = 0; i < strings.Count(); ++i) {
    wchar_t line[64];
    _snwprintf_s(line, 64, _TRUNCATE, L"\r\n|    [%lu]: ", static_cast<unsigned long>(i));
    text += line;
    text += strings[i];
  }
  return text;
}

}  // namespace

void DumpDict(const CDict& dict, CLog* log, bool debugOnly) {
  if (debugOnly && !GetOrvutilModule().IsDebugBuild()) return;
  CLog quiet;
  CLog& out = log ? *log : quiet;
  tVectorPOD<unsigned int> names;
  dict.GetAllNames(names, true);
  CAtomizer& atomizer = dict.GetAtomizer();
  std::sort(names.Data(), names.Data() + names.Count(),
            [&](unsigned a, unsigned b) { return wcscmp(atomizer.GetStr(a), atomizer.GetStr(b)) < 0; });
  out.Trace(L"+- Dict ------------\r\n");
  for (unsigned i = 0; i < names.Count(); ++i) {
    tstring text = DumpText(dict.GetValue(names[i], true));
    out.TraceF(L"| %s: %s\r\n", atomizer.GetStr(names[i]), text.c_str());
  }
  out.Trace(L"+- Done ------------\r\n");
}

}  // namespace Orv
