// The binary package stream: saving, loading and identification.
#include <cstring>

#include "orvutil/data/encodings.h"
#include "orvutil/data/saved_data.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/package/format.h"
#include "orvutil/system/filesystem.h"

namespace Orv {

namespace {

constexpr unsigned kPackageMagic = 0x50414B00;
constexpr unsigned kEntryTag = 0x50414B01;
constexpr unsigned kGuidTag = 0x50414B02;
constexpr unsigned kMaxTopLevelRecords = 1000000;
// The smallest entry record: tag, child count, three GUIDs, payload fields, both values, an empty
// name field and the inline size.
constexpr unsigned kMinEntryRecord = 4 + 4 + 48 + 16 + 8 + 4 + 8 + 4;

#pragma pack(push, 4)  // the records' own layout: 32-bit fields, and the 64-bit value unaligned
struct SHeader {
  unsigned magic;
  GUID id;
  unsigned count;
  unsigned tableOffset;
  unsigned tableStoredSize;
  unsigned tableLoadedSize;
  unsigned tableCompressed;
};
static_assert(sizeof(SHeader) == 40, "the header is 40 bytes");

struct SEntryFields {
  unsigned tag;
  unsigned children;
  GUID classId;
  GUID categoryId;
  GUID instanceId;
  unsigned payloadOffset;
  unsigned payloadStoredSize;
  unsigned payloadLoadedSize;
  unsigned payloadCompressed;
  unsigned __int64 value64;
  unsigned value32;
};
static_assert(sizeof(SEntryFields) == 84, "the fixed fields of an entry record are 84 bytes");

struct SGuidFields {
  unsigned tag;
  GUID id;
  GUID secondId;
  unsigned kind;
};
#pragma pack(pop)
static_assert(sizeof(SGuidFields) == 40, "the fixed fields of a GUID record are 40 bytes");

bool HeaderHolds(SHeader const& header) {
  return header.magic == kPackageMagic && header.count < kMaxTopLevelRecords && header.tableOffset >= sizeof(SHeader) &&
         header.tableCompressed <= 1;
}

// Whether [start + offset, + size) lies inside a stream of `streamSize` bytes (0xFFFFFFFF: unknown).
bool RegionFits(unsigned start, unsigned offset, unsigned size, unsigned streamSize) {
  unsigned __int64 end = static_cast<unsigned __int64>(start) + offset + size;
  return end <= 0xFFFFFFFFull && (streamSize == ~0u || end <= streamSize);
}

template <class T>
bool ReadFixed(IDataReader* reader, T& fields) {
  const unsigned char* p = reader->Read(sizeof(T));
  if (!p) return false;
  memcpy(&fields, p, sizeof(T));
  return true;
}

// One entry record to write: its node's entry and the place of its payload.
struct SEntryRecord {
  tSmartPtr<IPackageEntry> entry;
  unsigned children = 0;
  unsigned payloadOffset = 0;
};

// The entry records of a subtree, depth first, children in node order; false for a node without
// an entry. Iterative, so deep trees cannot exhaust the stack.
bool CollectSubtree(PackageNode const& root, tObjVector<SEntryRecord>& records) {
  tObjVector<PackageNode> pending;
  pending.PushBack(root);
  while (pending.Count()) {
    PackageNode node = pending.Back();
    pending.PopBack();
    if (!node.GetEntry()) return false;
    tObjVector<PackageNode> children;
    for (PackageNode child = node->GetFirstChild(); !!child; child = child->GetNextSibling()) children.PushBack(child);
    SEntryRecord record;
    record.entry = node.GetEntry();
    record.children = children.Count();
    records.PushBack(record);
    for (unsigned i = children.Count(); i-- > 0;) pending.PushBack(children[i]);
  }
  return true;
}

bool WriteEntryRecord(IDataWriter* out, SEntryRecord const& record) {
  IPackageEntry* entry = record.entry;
  ISavedData* saved = entry->GetSavedData();
  SEntryFields fields{};
  fields.tag = kEntryTag;
  fields.children = record.children;
  fields.classId = entry->GetObjectClassID();
  fields.categoryId = entry->GetObjectCategoryID();
  fields.instanceId = entry->GetInstanceID();
  if (saved && saved->GetSavedSize()) {  // an empty payload loads as none: store it as none
    fields.payloadOffset = record.payloadOffset;
    fields.payloadStoredSize = saved->GetSavedSize();
    fields.payloadLoadedSize = saved->GetLoadedSize();
    fields.payloadCompressed = saved->IsCompressed() ? 1 : 0;
  }
  fields.value64 = entry->GetValue64();
  fields.value32 = entry->GetValue32();
  IData* inlineData = entry->GetInlineData();
  unsigned inlineSize = inlineData ? inlineData->GetSize() : 0;
  return out->Write(&fields, sizeof(fields)) && SaveData(out, entry->GetName()) &&
         out->Write(&inlineSize, sizeof(inlineSize)) && (!inlineSize || SaveBytes(out, inlineData));
}

bool WriteGuidRecord(IDataWriter* out, IPackage::GuidInfo const& info) {
  SGuidFields fields{kGuidTag, info.id, info.secondId, info.kind};
  return out->Write(&fields, sizeof(fields)) && SaveData(out, info.name);
}

bool WritePayload(IDataWriter* out, ISavedData* saved) {
  unsigned size = saved->GetSavedSize();
  if (!size) return true;
  tSmartPtr<IDataReader> reader;
  return saved->CreateSavedReader(reader.Receive()) && StreamCopyData(reader, size, out, ~0u);
}

// The record table, compressed, and its padding.
bool WriteTable(IDataWriter* out, unsigned start, tObjVector<SEntryRecord> const& records, IPackage* package,
                SHeader& header) {
  tSmartPtr<IDataVector> table;
  tSmartPtr<IDataWriter> tableWriter;
  if (!CreateDataWriter(table.Receive(), tableWriter.Receive())) return false;
  for (unsigned i = 0; i < records.Count(); ++i) {
    if (!WriteEntryRecord(tableWriter, records[i])) return false;
  }
  IPackage::GuidInfo info;
  for (unsigned i = 0; package->GetGuidInfo(i, &info); ++i) {
    if (!WriteGuidRecord(tableWriter, info)) return false;
  }
  header.tableOffset = out->GetPos() - start;
  header.tableLoadedSize = table->GetSize();
  if (!header.tableLoadedSize) return true;  // compressing nothing stores nothing
  tSmartPtr<IData> stored;
  if (!CompressData(table, stored.Receive(), nullptr)) return false;
  header.tableStoredSize = stored->GetSize();
  return SaveBytes(out, stored);
}

}  // namespace

bool SavePackage(IDataWriter* writer, IPackage* package) {
  if (!writer || !package) return false;
  unsigned start = writer->GetPos();
  if (start == ~0u) return false;
  SHeader header{kPackageMagic, package->GetID(), 0, 0, 0, 0, 1};
  tObjVector<SEntryRecord> records;
  for (PackageNode top = package->GetFirstNode(); !!top; top = top->GetNextSibling()) {
    ++header.count;
    if (!CollectSubtree(top, records)) return false;
  }
  header.count += package->GetGuidInfoCount();
  if (!writer->Write(&header, sizeof(header)) || !SaveData(writer, package->GetName())) return false;
  for (unsigned i = 0; i < records.Count(); ++i) {
    ISavedData* saved = records[i].entry->GetSavedData();
    if (!saved) continue;
    records[i].payloadOffset = writer->GetPos() - start;
    if (!WritePayload(writer, saved)) return false;
  }
  if (!WriteTable(writer, start, records, package, header)) return false;
  unsigned end = writer->GetPos();
  return writer->SetPos(start) && writer->Write(&header, sizeof(header)) && writer->SetPos(end);
}

namespace {

// Reads records into a package: entry records with their children, GUID records at the top level.
class CRecordReader {
 public:
  CRecordReader(IDataReader* stream, unsigned start, IDataReader* table, IPackage* package)
      : m_stream(stream), m_start(start), m_table(table), m_package(package) {}

  // One top-level record and, for an entry, every record below it (iteratively).
  bool ReadTopLevel() {
    struct SFrame {
      PackageNode parent;
      unsigned remaining;
    };
    tObjVector<SFrame> open;
    PackageNode node;
    unsigned children = 0;
    if (!ReadRecord(PackageNode(m_package), true, node, children)) return false;
    if (children) open.PushBack(SFrame{node, children});
    while (open.Count()) {
      SFrame& frame = open.Back();
      if (!frame.remaining) {
        open.PopBack();
        continue;
      }
      --frame.remaining;
      PackageNode parent = frame.parent;
      if (!ReadRecord(parent, false, node, children)) return false;
      if (children) open.PushBack(SFrame{node, children});
    }
    return true;
  }

 private:
  unsigned Left() const { return m_table->GetSize() - m_table->GetPos(); }

  bool ReadRecord(PackageNode const& parent, bool topLevel, PackageNode& node, unsigned& children) {
    children = 0;
    const unsigned char* tag = m_table->Read(4);
    if (!tag || !m_table->SetPos(m_table->GetPos() - 4)) return false;
    unsigned value;
    memcpy(&value, tag, 4);
    if (value == kEntryTag) return ReadEntry(parent, node, children);
    return value == kGuidTag && topLevel && ReadGuid();
  }

  bool ReadEntry(PackageNode const& parent, PackageNode& node, unsigned& children) {
    SEntryFields fields;
    tstring name;
    unsigned inlineSize = 0;
    if (!ReadFixed(m_table, fields) || !LoadData(m_table, name) || !ReadFixed(m_table, inlineSize)) return false;
    tSmartPtr<IData> inlineData;
    if (inlineSize && (inlineSize > Left() || !LoadBytes(m_table, inlineSize, inlineData.Receive()))) return false;
    // Every child needs at least a minimal record of the bytes that are left.
    if (fields.children > Left() / kMinEntryRecord || fields.payloadCompressed > 1) return false;
    tSmartPtr<ISavedData> payload;
    if (fields.payloadStoredSize) {
      if (!RegionFits(m_start, fields.payloadOffset, fields.payloadStoredSize, m_stream->GetSize()) ||
          !m_stream->CreateSavedData(m_start + fields.payloadOffset, fields.payloadStoredSize,
                                     fields.payloadLoadedSize, fields.payloadCompressed == 1, payload.Receive()))
        return false;
    }
    tSmartPtr<IPackageEntry> entry;
    if (!CreatePackageEntry(name.c_str(), fields.classId, fields.categoryId, fields.instanceId, payload,
                            entry.Receive()))
      return false;
    entry->SetValue32(fields.value32);
    entry->SetValue64(fields.value64);
    entry->SetInlineData(inlineData);
    node = parent.AddChild(entry);
    children = fields.children;
    return !!node;
  }

  bool ReadGuid() {
    SGuidFields fields;
    IPackage::GuidInfo info;
    if (!ReadFixed(m_table, fields) || !LoadData(m_table, info.name)) return false;
    info.id = fields.id;
    info.secondId = fields.secondId;
    info.kind = fields.kind;
    m_package->AddGuidInfo(info);
    return true;
  }

  IDataReader* m_stream;
  unsigned m_start;
  IDataReader* m_table;
  IPackage* m_package;
};

// A reader over the loaded record table; an empty table (nothing stored, nothing to load) is a
// reader over no bytes.
bool OpenTable(IDataReader* stream, unsigned start, SHeader const& header, tSmartPtr<ISavedData>& saved,
               tSmartPtr<IDataReader>& table) {
  static const unsigned char kNothing[1] = {0};
  // Checked for an empty table too: the header then holds exactly when GetPackageID accepts it.
  if (!RegionFits(start, header.tableOffset, header.tableStoredSize, stream->GetSize())) return false;
  if (!header.tableStoredSize && !header.tableLoadedSize) return CreateDataReader(kNothing, 0, 0, table.Receive());
  if (!stream->CreateSavedData(start + header.tableOffset, header.tableStoredSize, header.tableLoadedSize,
                               header.tableCompressed == 1, saved.Receive()))
    return false;
  IData* loaded = saved->Load();
  return loaded && CreateDataReader(loaded, 0, table.Receive());
}

}  // namespace

bool LoadPackage(IDataReader* reader, IPackage** out) {
  if (!out) return false;
  *out = nullptr;
  if (!reader) return false;
  unsigned start = reader->GetPos();
  SHeader header;
  tstring name;
  if (start == ~0u || !ReadFixed(reader, header) || !HeaderHolds(header) || !LoadData(reader, name)) return false;
  tSmartPtr<ISavedData> tableData;
  tSmartPtr<IDataReader> table;
  tSmartPtr<IPackage> package;
  if (!OpenTable(reader, start, header, tableData, table) || !CreatePackage(package.Receive())) return false;
  package->SetName(name.c_str());
  package->SetID(header.id);
  CRecordReader records(reader, start, table, package);
  for (unsigned i = 0; i < header.count; ++i) {
    if (!records.ReadTopLevel()) return false;
  }
  *out = package.Detach();
  return true;
}

GUID GetPackageID(IDataReader* reader) {
  if (!reader) return GUID_NULL;
  unsigned start = reader->GetPos();
  SHeader header;
  bool valid = start != ~0u && ReadFixed(reader, header) && HeaderHolds(header) &&
               RegionFits(start, header.tableOffset, header.tableStoredSize, reader->GetSize());
  reader->SetPos(start);
  return valid ? header.id : GUID_NULL;
}

GUID GetPackageID(wchar_t const* path) {
  tSmartPtr<IDataFile> file;
  tSmartPtr<IDataReader> reader;
  if (!path || !CreateDataFile(path, false, file.Receive()) || !CreateDataReader(file, 0, reader.Receive()))
    return GUID_NULL;
  return GetPackageID(reader);
}

// The stream is made in memory and written with one call: one write per payload would cost a
// system call each.
bool SavePackageToFile(IPackage* package, wchar_t const* path) {
  tSmartPtr<IDataVector> stream;
  tSmartPtr<IDataWriter> memory;
  return package && path && *path && CreateDataWriter(stream.Receive(), memory.Receive()) &&
         SavePackage(memory, package) && ReplaceFileContents(path, stream->GetPointer(), stream->GetSize());
}

}  // namespace Orv
