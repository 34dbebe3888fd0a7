// Sample data of the reliability tests and their descriptions as text, the peer that every read is
// compared with.
#pragma once

#include <string>

#include "orvutil/orvutil.h"

namespace Reliability {

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

inline Ptr<Orv::IDataVector> Block(const std::string& bytes) {
  Ptr<Orv::IDataVector> vector;
  Orv::CreateDataVector(static_cast<unsigned>(bytes.size()), vector.Receive());
  if (vector && !bytes.empty()) memcpy(vector->GetVector().Data(), bytes.data(), bytes.size());
  return vector;
}

inline std::string Text(Orv::IData* data) {
  return data && data->GetSize() ? std::string(reinterpret_cast<const char*>(data->GetPointer()), data->GetSize())
                                 : std::string();
}

// ASCII names as bytes.
inline std::string Narrow(const Orv::tstring& text) {
  std::string out;
  for (unsigned i = 0; i < text.length(); ++i) out += static_cast<char>(text[i]);
  return out;
}

// A package of a top-level entry with a child, one payload compressed and one plain.
inline Ptr<Orv::IPackage> SamplePackage() {
  Ptr<Orv::IPackage> package;
  Orv::CreatePackage(package.Receive());
  package->SetName(L"sample");
  Ptr<Orv::ISavedData> plain, packed;
  Orv::CreateLoadedDataFromMemory(Block(SampleBytes(300, 1)), false, plain.Receive());
  Orv::CreateLoadedDataFromMemory(Block(SampleBytes(900, 2)), true, packed.Receive());
  Ptr<Orv::IPackageEntry> top, child;
  Orv::CreatePackageEntry(L"top", GUID_NULL, GUID_NULL, GUID_NULL, plain, top.Receive());
  Orv::CreatePackageEntry(L"child", GUID_NULL, GUID_NULL, GUID_NULL, packed, child.Receive());
  package->AddNode(top).AddChild(child);
  return package;
}

// Every node's name and payload, depth first.
inline std::string Describe(Orv::PackageNode node) {
  std::string text;
  for (; node.GetNode(); node = node->GetNextSibling()) {
    Orv::ISavedData* saved = node.GetEntry()->GetSavedData();
    text += Narrow(node.GetEntry()->GetName());
    text += "=" + (saved ? Text(saved->Load()) : std::string("-")) + "{" + Describe(node->GetFirstChild()) + "}";
  }
  return text;
}

inline std::string Describe(Orv::IPackage* package) {
  return package ? Narrow(package->GetName()) + Describe(package->GetFirstNode()) : std::string();
}

// A dictionary of every persisted kind of value.
inline void FillDict(Orv::CDict& dict) {
  dict.SetInt(dict.GetAtom(L"int", false), -7);
  dict.SetBool(dict.GetAtom(L"bool", false), true);
  dict.SetDouble(dict.GetAtom(L"double", false), 2.5);
  dict.SetRect(dict.GetAtom(L"rect", false), Orv::tRect<int>(1, 2, 3, 4));
  dict.SetString(dict.GetAtom(L"string", false), Orv::tstring(L"a longer text of the dictionary"));
  dict.SetGuid(dict.GetAtom(L"guid", false), Orv::GetCategoryDict());
  dict.SetData(dict.GetAtom(L"data", false), Block(SampleBytes(200, 3)));
}

// The dictionary's own dump: names and values as text.
inline std::string Describe(const Orv::CDict& dict) {
  Orv::CLog log;
  Ptr<Orv::IDataVector> text;
  Ptr<Orv::IDataWriter> writer;
  Orv::CreateDataWriter(text.Receive(), writer.Receive());
  log.AddWriter(writer);
  if (dict.GetCount()) Orv::DumpDict(dict, &log, false);
  return Text(text);
}

}  // namespace Reliability
