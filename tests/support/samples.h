// Test support: sample data made through the library (a package, a dictionary of every persisted kind
// of value, bytes) and their descriptions as text, the peer that every read is compared with; shared
// by the fuzz harness and the reliability tests.
#pragma once

#include <string>

#include "byte_records.h"

namespace OrvTest {

template <class T>
using Ptr = Orv::tSmartPtr<T>;

// `n` bytes, half text and half noise, seeded by `seed`.
inline std::string SampleBytes(size_t n, unsigned seed) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = (i / 512) % 2 ? static_cast<char>(seed >> 16) : "orvutil package "[i % 16];
  }
  return bytes;
}

// ASCII names as bytes.
inline std::string Narrow(const Orv::tstring& text) {
  std::string out;
  for (unsigned i = 0; i < text.length(); ++i) out += static_cast<char>(text[i]);
  return out;
}

// A dictionary of every persisted kind of value.
inline Orv::CDict SampleDict() {
  Orv::CDict d;
  auto put = [&](const wchar_t* name, bool (*create)(Orv::CValue**), auto fill) {
    Orv::CValue* v = nullptr;
    create(&v);
    fill(v);
    d.SetValue(name, v);
    v->Release();
  };
  d.SetInt(d.GetAtom(L"int", false), -7);
  d.SetBool(d.GetAtom(L"bool", false), true);
  d.SetFloat(d.GetAtom(L"float", false), 1.5f);
  d.SetDouble(d.GetAtom(L"double", false), -2.25);
  d.SetPoint(d.GetAtom(L"point", false), Orv::tPoint<int>(3, 4));
  d.SetRect(d.GetAtom(L"rect", false), Orv::tRect<int>(1, 2, 3, 4));
  d.SetString(d.GetAtom(L"string", false), L"a longer text \u00e9");
  d.SetGuid(d.GetAtom(L"guid", false), Orv::GetCategoryDict());
  d.SetData(d.GetAtom(L"data", false), Block(SampleBytes(40, 3)));
  put(L"strings", Orv::CValue::CreateStringVector, [](Orv::CValue* v) {
    v->AsStringVector().PushBack(L"a");
    v->AsStringVector().PushBack(L"");
  });
  put(L"ints", Orv::CValue::CreateIntVector, [](Orv::CValue* v) { v->AsIntVector().PushBack(5); });
  put(L"floats", Orv::CValue::CreateFloatVector, [](Orv::CValue* v) { v->AsFloatVector().PushBack(0.5f); });
  put(L"datas", Orv::CValue::CreateDataVector, [](Orv::CValue* v) { v->AsDataVector().PushBack(Block("xy")); });
  put(L"nothing", Orv::CValue::CreateNothing, [](Orv::CValue*) {});
  return d;
}

// The dictionary's persisted bytes, uncompressed; empty when saving fails.
inline std::string SavedDict(Orv::CDict const& dict) {
  Ptr<Orv::ISavedData> saved;
  return Orv::SaveDict(dict, false, saved.Receive()) ? Bytes(saved->Load()) : std::string();
}

// An entry with every field set and a new instance GUID; no payload when `payload` is empty.
inline Ptr<Orv::IPackageEntry> SampleEntry(const wchar_t* name, std::string const& payload, bool compressed,
                                           GUID const& category = GUID_NULL) {
  Ptr<Orv::IPackageEntry> entry;
  Ptr<Orv::ISavedData> saved;
  if (!payload.empty()) Orv::CreateLoadedDataFromMemory(Block(payload), compressed, saved.Receive());
  GUID id;
  CoCreateGuid(&id);
  Orv::CreatePackageEntry(name, id, category, id, saved, entry.Receive());
  entry->SetValue64(0x0123456789ABCDEFull);
  entry->SetValue32(42);
  if (compressed) entry->SetInlineData(Block("inline"));
  return entry;
}

// A package of a compressed top-level entry whose children are a plain one (with a child without
// payload) and a dictionary, and a GUID record.
inline Ptr<Orv::IPackage> SamplePackage() {
  Ptr<Orv::IPackage> package;
  Orv::CreatePackage(package.Receive());
  package->SetName(L"sample");
  Orv::PackageNode top = Orv::PackageNode(package.Get()).AddChild(SampleEntry(L"top", SampleBytes(900, 2), true));
  top.AddChild(SampleEntry(L"plain", SampleBytes(300, 1), false)).AddChild(SampleEntry(L"leaf", "", false));
  top.AddChild(SampleEntry(L"dict", SavedDict(SampleDict()), true, Orv::GetCategoryDict()));
  package->AddGuidInfo({Orv::GetCategoryDict(), GUID_NULL, Orv::IPackage::GuidInfo::eCategory, L"info"});
  return package;
}

// A reader over `data` from its start.
inline Ptr<Orv::IDataReader> ReaderOf(Orv::IData* data) {
  Ptr<Orv::IDataReader> reader;
  Orv::CreateDataReader(data, 0, reader.Receive());
  return reader;
}

// The package's stream; empty when saving fails.
inline std::string Saved(Orv::IPackage* package) {
  Ptr<Orv::IDataVector> stream;
  Ptr<Orv::IDataWriter> writer;
  Orv::CreateDataWriter(stream.Receive(), writer.Receive());
  return Orv::SavePackage(writer, package) ? Bytes(stream) : std::string();
}

// A new package byte-data object, as the node persistence it is saved and loaded through.
inline Ptr<Orv::IPackageNodePersist> ByteData(Ptr<Orv::IPackageByteData>& bytes) {
  Ptr<Orv::IPackageNodePersist> persist;
  Orv::CreatePackageByteData(bytes.Receive());
  bytes->QueryInterface(__uuidof(Orv::IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()));
  return persist;
}

// Every node's name and payload, depth first.
inline std::string Describe(Orv::PackageNode node) {
  std::string text;
  for (; node.GetNode(); node = node->GetNextSibling()) {
    Orv::ISavedData* saved = node.GetEntry()->GetSavedData();
    text += Narrow(node.GetEntry()->GetName());
    text += "=" + (saved ? Bytes(saved->Load()) : std::string("-")) + "{" + Describe(node->GetFirstChild()) + "}";
  }
  return text;
}

inline std::string Describe(Orv::IPackage* package) {
  return package ? Narrow(package->GetName()) + Describe(package->GetFirstNode()) : std::string();
}

// The dictionary's own dump: names and values as text.
inline std::string Describe(const Orv::CDict& dict) {
  Orv::CLog log;
  Ptr<Orv::IDataVector> text;
  Ptr<Orv::IDataWriter> writer;
  Orv::CreateDataWriter(text.Receive(), writer.Receive());
  log.AddWriter(writer);
  if (dict.GetCount()) Orv::DumpDict(dict, &log, false);
  return Bytes(text);
}

}  // namespace OrvTest
