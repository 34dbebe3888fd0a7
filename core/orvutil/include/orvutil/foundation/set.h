// Hash sets and maps: tSetBase<E>, tSet<K>, tMap<K, V> and the map entry tKeyValue<K, V>.
//
// A set hashes each key with its virtual Hash operation (HashFunc<K> unless a derived class says
// otherwise; a set whose class keeps that default calls HashFunc<K> inline, without the virtual call). The bucket count is 0 or a power of two from 16 to 16384; the bucket of a hash is
// hash AND (bucket count - 1). Each bucket is null or a vector of items {32-bit hash, entry} kept
// sorted by (hash, key) and searched by halving, so a bucket may hold many items: the set grows
// only when an insert finds more than floor(n / 3) * n items in n buckets.
//
// Entries that are small plain values (integers, pointers) sit in the item itself; any other entry,
// and every tKeyValue of a map, lives in the set's own pool and the item points to it.
//
// Items are handed out as pointers. An item pointer stays valid until the set is changed (insert,
// remove, clear); the entry a pooled item points to stays put until it is removed.
//
// Not thread-safe: a set shared between threads is guarded by its owner.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "orvutil/foundation/allocator.h"
#include "orvutil/foundation/hash.h"
#include "orvutil/foundation/pool.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

// One map entry: a key and its value.
template <typename K, typename V>
struct tKeyValue {
  tKeyValue(const K& k, const V& v) : key(k), value(v) {}

  K key;
  V value;
};

namespace Detail {

// What a set of entries E is keyed by, and whether an entry is kept inside its item.
template <typename E>
struct tSetEntryTraits {
  using Key = E;
  static constexpr bool kInline =
      std::is_trivially_copyable<E>::value && sizeof(E) <= sizeof(void*) && alignof(E) <= alignof(void*);
  static const Key& KeyOf(const E& entry) { return entry; }
};

template <typename K, typename V>
struct tSetEntryTraits<tKeyValue<K, V>> {
  using Key = K;
  static constexpr bool kInline = false;
  static const Key& KeyOf(const tKeyValue<K, V>& entry) { return entry.key; }
};

// The entry part of an item: the entry itself or a pointer to its pooled record.
template <typename E, bool Inline>
struct tSetSlot {
  E& Get() { return entry; }
  const E& Get() const { return entry; }
  E entry;
};

// The pointer is kept as bytes so that an item is a 32-bit hash plus a pointer without padding
// (12 bytes instead of 16 on 64-bit): more items per cache line for the halving search.
template <typename E>
struct tSetSlot<E, false> {
  E* Pointer() const {
    E* entry;
    std::memcpy(&entry, bytes, sizeof entry);
    return entry;
  }
  void SetPointer(E* entry) { std::memcpy(bytes, &entry, sizeof entry); }
  E& Get() { return *Pointer(); }
  const E& Get() const { return *Pointer(); }
  unsigned char bytes[sizeof(E*)];
};

}  // namespace Detail

// One item of a set: the key's full hash and the entry. Map items also give the value.
template <typename E>
struct tSetItem {
  using Traits = Detail::tSetEntryTraits<E>;
  using KeyType = typename Traits::Key;

  unsigned Hash() const { return hash; }
  const E& Entry() const { return slot.Get(); }
  const KeyType& Key() const { return Traits::KeyOf(slot.Get()); }
  // The value of a map item (maps only).
  auto& Value() { return slot.Get().value; }
  const auto& Value() const { return slot.Get().value; }

  unsigned hash;
  Detail::tSetSlot<E, Traits::kInline> slot;
};

template <typename E>
class tSetBase {
 protected:
  using Traits = Detail::tSetEntryTraits<E>;
  using Slot = Detail::tSetSlot<E, Traits::kInline>;

 public:
  using KeyType = typename Traits::Key;
  using Item = tSetItem<E>;
  using EntryPool = tPoolAllocator<E, false>;

  static constexpr unsigned kMinBuckets = 16;
  static constexpr unsigned kMaxBuckets = 16384;

  // Forward iteration in set order, for range-for; Next() decides the order.
  template <typename S, typename I>
  class tIterator {
   public:
    tIterator(S* set, I* item) : m_set(set), m_item(item) {}
    I& operator*() const { return *m_item; }
    I* operator->() const { return m_item; }
    tIterator& operator++() {
      m_item = m_set->Next(m_item);
      return *this;
    }
    bool operator==(const tIterator& other) const { return m_item == other.m_item; }
    bool operator!=(const tIterator& other) const { return m_item != other.m_item; }

   private:
    S* m_set;
    I* m_item;
  };
  using iterator = tIterator<tSetBase, Item>;
  using const_iterator = tIterator<const tSetBase, const Item>;

  tSetBase() = default;
  tSetBase(const tSetBase& other) { CopyFrom(other); }
  tSetBase& operator=(const tSetBase& other) {
    if (this != &other) {
      Clear();
      CopyFrom(other);
    }
    return *this;
  }
  virtual ~tSetBase() { Clear(); }

  unsigned Count() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }
  unsigned BucketCount() const { return m_buckets.Count(); }
  // The item count above which the next insert doubles the buckets.
  unsigned GrowThreshold() const { return m_growThreshold; }
  // Recomputed at every rehash; nothing shrinks the bucket array.
  unsigned ShrinkThreshold() const { return m_shrinkThreshold; }
  // The bucket count a set with `buckets` buckets grows to: twice as many, from 16 up to 16384.
  static unsigned NextBucketCount(unsigned buckets) {
    if (buckets >= kMaxBuckets / 2) return kMaxBuckets;
    return buckets * 2 < kMinBuckets ? kMinBuckets : buckets * 2;
  }
  // The thresholds a rehash to `n` buckets sets.
  static unsigned GrowThresholdFor(unsigned n) { return (n / 3) * n; }
  static unsigned ShrinkThresholdFor(unsigned n) { return n <= 32 ? 0 : (n / 2) * (n / 8); }
  // The pool of out-of-item entries (for statistics).
  const EntryPool& GetEntryPool() const { return m_pool; }

  // The first item whose key equals `key`, or null.
  Item* Find(const KeyType& key) { return const_cast<Item*>(static_cast<const tSetBase*>(this)->Find(key)); }
  const Item* Find(const KeyType& key) const { return m_count ? FindWithHash(key, HashOf(key)) : nullptr; }

  // Find for a caller that has the key's hash already; `hash` must be what the set's Hash gives
  // for `key`.
  Item* FindWithHash(const KeyType& key, unsigned hash) {
    return const_cast<Item*>(static_cast<const tSetBase*>(this)->FindWithHash(key, hash));
  }
  const Item* FindWithHash(const KeyType& key, unsigned hash) const {
    if (m_count == 0) return nullptr;
    const BucketVector* bucket = m_buckets[hash & (m_buckets.Count() - 1)].items;
    if (!bucket) return nullptr;
    bool equal;
    unsigned pos = LowerBound(*bucket, hash, key, equal);
    return equal ? &(*bucket)[pos] : nullptr;
  }

  // Adds `entry`. If an item with an equal key exists and `duplicate` is false, that item takes
  // the new entry's contents instead and is returned. Null when memory ran out.
  Item* Insert(const E& entry, bool duplicate = false) {
    if constexpr (Traits::kInline) {
      const E copy = entry;  // `entry` may live in an item that a rehash moves
      return InsertWith(
          Traits::KeyOf(copy), duplicate, [&](E& existing) { existing = copy; },
          [&](Slot& slot) { return MakeSlot(slot, copy); });
    } else {
      return InsertWith(
          Traits::KeyOf(entry), duplicate, [&](E& existing) { existing = entry; },
          [&](Slot& slot) { return MakeSlot(slot, entry); });
    }
  }

  // Removes `item` and returns the item that followed it in set order, or null. An item not of
  // this set is left alone (null is returned).
  Item* Remove(Item* item) {
    unsigned bucket, pos;
    if (!Locate(item, bucket, pos)) return nullptr;
    BucketVector& items = *m_buckets[bucket].items;
    FreeSlot(items[pos].slot);
    items.Erase(pos, 1);
    --m_count;
    return pos < items.Count() ? &items[pos] : FirstFrom(bucket + 1);
  }

  // Removes the first item with key `key`; false if there was none.
  bool RemoveKey(const KeyType& key) {
    Item* item = Find(key);
    if (!item) return false;
    Remove(item);
    return true;
  }

  // Removes every item and the buckets; entries go back to the pool.
  void Clear() {
    for (SBucket& bucket : m_buckets) {
      if (!bucket.items) continue;
      for (Item& item : *bucket.items) FreeSlot(item.slot);
      DeleteBucketVector(bucket.items);
      bucket.items = nullptr;
    }
    m_buckets.Clear();
    m_count = 0;
    m_growThreshold = 0;
    m_shrinkThreshold = 0;
  }

  // Iteration: buckets in index order, within a bucket by (hash, key).
  Item* First() { return FirstFrom(0); }
  const Item* First() const { return FirstFrom(0); }
  Item* Next(const Item* item) { return const_cast<Item*>(static_cast<const tSetBase*>(this)->Next(item)); }
  const Item* Next(const Item* item) const {
    unsigned bucket, pos;
    if (!Locate(item, bucket, pos)) return nullptr;
    const BucketVector& items = *m_buckets[bucket].items;
    return pos + 1 < items.Count() ? &items[pos + 1] : FirstFrom(bucket + 1);
  }

  iterator begin() { return iterator(this, First()); }
  iterator end() { return iterator(this, nullptr); }
  const_iterator begin() const { return const_iterator(this, First()); }
  const_iterator end() const { return const_iterator(this, nullptr); }

 protected:
  // The hash of a key; every item of the set is placed by it.
  virtual unsigned Hash(const KeyType& key) const { return HashFunc<KeyType>(key); }

  // The hash of a key: HashFunc inline while the set's class keeps the default Hash, else the
  // class's own Hash through the virtual table.
  unsigned HashOf(const KeyType& key) const {
    return UsesDefaultHash() ? HashFunc<KeyType>(key) : Hash(key);
  }

  // Whether the Hash this object's class calls is tSetBase's own. GCC names the function a virtual
  // call would reach (a bound member function pointer converts to a plain one); each binary has its
  // own copy of the default, so a set made in another binary takes the virtual call, which is only
  // slower. Elsewhere the virtual call is always made.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpmf-conversions"
  bool UsesDefaultHash() const {
    using Function = unsigned (*)(const tSetBase*, const KeyType&);
    return reinterpret_cast<Function>(this->*(&tSetBase::Hash)) == reinterpret_cast<Function>(&tSetBase::Hash);
  }
#pragma GCC diagnostic pop
#else
  bool UsesDefaultHash() const { return false; }
#endif

  // Insert step shared by sets and maps: `assign(E&)` gives an existing entry the new contents,
  // `make(Slot&)` creates the new entry. The key must not live in an item of this set.
  template <typename Assign, typename Make>
  Item* InsertWith(const KeyType& key, bool duplicate, Assign&& assign, Make&& make) {
    return InsertWith(key, HashOf(key), duplicate, assign, make);
  }
  // The same with the key's hash given by the caller.
  template <typename Assign, typename Make>
  Item* InsertWith(const KeyType& key, unsigned hash, bool duplicate, Assign&& assign, Make&& make) {
    if (m_buckets.Count() == 0 || m_count > m_growThreshold) {
      unsigned n = NextBucketCount(m_buckets.Count());
      // At the largest size a rehash would rebuild the same layout: skip it.
      if (n != m_buckets.Count() && !Rehash(n) && m_buckets.Count() == 0) return nullptr;
    }
    SBucket& bucket = m_buckets[hash & (m_buckets.Count() - 1)];
    if (!bucket.items && !(bucket.items = NewBucketVector())) return nullptr;
    BucketVector& items = *bucket.items;
    bool equal;
    unsigned pos = LowerBound(items, hash, key, equal);
    if (!duplicate && equal) {
      assign(items[pos].slot.Get());
      return &items[pos];
    }
    Item item;
    item.hash = hash;
    if (!make(item.slot)) return nullptr;
    if (!items.Insert(pos, &item, 1)) {
      FreeSlot(item.slot);
      return nullptr;
    }
    ++m_count;
    return &items[pos];
  }

  // Pooled entries are made with `args`; inline ones are copied from the single argument.
  template <typename... Args>
  bool MakeSlot(Slot& slot, Args&&... args) {
    if constexpr (Traits::kInline) {
      slot.entry = E(std::forward<Args>(args)...);
      return true;
    } else {
      E* entry = m_pool.New(std::forward<Args>(args)...);
      slot.SetPointer(entry);
      return entry != nullptr;
    }
  }

 private:
  using BucketVector = tVectorPOD<Item>;
  struct SBucket {
    BucketVector* items;
  };

  static BucketVector* NewBucketVector() {
    BucketVector* vector = tMemAllocator<BucketVector>::Allocate(1);
    return vector ? new (vector) BucketVector : nullptr;
  }

  static void DeleteBucketVector(BucketVector* vector) {
    vector->~BucketVector();
    tMemAllocator<BucketVector>::Free(vector);
  }

  void FreeSlot(const Slot& slot) {
    if constexpr (!Traits::kInline) m_pool.Delete(slot.Pointer());
  }

  // Orders an item against (hash, key): hashes as unsigned numbers, then keys.
  static int Compare(const Item& item, unsigned hash, const KeyType& key) {
    if (item.hash != hash) return item.hash < hash ? -1 : 1;
    return CompareFunc<KeyType>(item.Key(), key);
  }

  // Index of the first item not ordered before (hash, key), by halving: first over the hashes
  // alone, then, when items share the hash, over their keys. `equal` tells whether the item there
  // has the key. Every candidate's key is compared once.
  static unsigned LowerBound(const BucketVector& items, unsigned hash, const KeyType& key, bool& equal) {
    const Item* data = items.Data();
    unsigned count = items.Count();
    unsigned first = HashLowerBound(data, count, hash);
    equal = false;
    if (first == count || data[first].hash != hash) return first;
    int order = CompareFunc<KeyType>(data[first].Key(), key);
    if (order >= 0) {  // the usual case: a run of one
      equal = order == 0;
      return first;
    }
    ++first;
    unsigned last = first + HashLowerBound(data + first, count - first, hash + 1);  // end of the run
    if (hash == ~0u) last = count;
    while (first < last) {
      unsigned middle = first + (last - first) / 2;
      order = CompareFunc<KeyType>(data[middle].Key(), key);
      if (order < 0) {
        first = middle + 1;
      } else {
        equal = order == 0;  // the last candidate found is the first equal one
        last = middle;
      }
    }
    return first;
  }

  // Index of the first item whose hash is not below `hash`. The halving steps choose without
  // branching and fetch both possible next middles early, so that a step rarely waits for memory.
  static unsigned HashLowerBound(const Item* data, unsigned count, unsigned hash) {
    if (count == 0) return 0;
    const Item* base = data;
    while (count > 1) {
      unsigned half = count / 2;
      __builtin_prefetch(base + half / 2);
      __builtin_prefetch(base + half + half / 2);
      base = base[half].hash < hash ? base + half : base;
      count -= half;
    }
    return static_cast<unsigned>(base - data) + (base->hash < hash);
  }

  // Bucket index and position of an item of this set; false for anything else.
  bool Locate(const Item* item, unsigned& bucket, unsigned& pos) const {
    if (!item || m_buckets.Count() == 0) return false;
    bucket = item->hash & (m_buckets.Count() - 1);
    const BucketVector* items = m_buckets[bucket].items;
    if (!items) return false;
    uintptr_t address = reinterpret_cast<uintptr_t>(item), first = reinterpret_cast<uintptr_t>(items->Data());
    if (address < first || (address - first) % sizeof(Item) != 0) return false;
    uintptr_t index = (address - first) / sizeof(Item);
    if (index >= items->Count()) return false;
    pos = static_cast<unsigned>(index);
    return true;
  }

  Item* FirstFrom(unsigned bucket) { return const_cast<Item*>(static_cast<const tSetBase*>(this)->FirstFrom(bucket)); }
  const Item* FirstFrom(unsigned bucket) const {
    for (unsigned count = m_buckets.Count(); bucket < count; ++bucket) {
      const BucketVector* items = m_buckets[bucket].items;
      if (items && items->Count()) return &(*items)[0];
    }
    return nullptr;
  }

  // Redistributes every item over `n` buckets (at least the current bucket count): the items are gathered in
  // set order and put back one by one at their sorted places, equal keys included. Each bucket
  // vector is sized for its new items first: empty ones are freed, and none keeps more than twice
  // the room it needs. False, with nothing changed, when memory ran out.
  bool Rehash(unsigned n) {
    BucketVector gathered;
    tVectorPOD<unsigned> sizes;
    if (!gathered.Reserve(m_count) || !sizes.Resize(n, 0u)) return false;
    if (!m_buckets.Resize(n, SBucket{nullptr})) return false;
    for (SBucket& bucket : m_buckets)
      if (bucket.items) gathered.Insert(gathered.Count(), bucket.items->Data(), bucket.items->Count());
    for (const Item& item : gathered) ++sizes[item.hash & (n - 1)];
    for (unsigned b = 0; b < n; ++b) SizeBucket(m_buckets[b], sizes[b]);
    m_count = 0;
    m_shrinkThreshold = 0;
    m_growThreshold = ~0u;
    for (const Item& item : gathered) Reinsert(item);
    m_growThreshold = GrowThresholdFor(n);
    m_shrinkThreshold = ShrinkThresholdFor(n);
    return true;
  }

  // Empties a bucket and gives it room for `need` items: no vector when none are needed, a tight
  // one when the old one has more than twice the room.
  static void SizeBucket(SBucket& bucket, unsigned need) {
    if (need == 0) {
      if (bucket.items) DeleteBucketVector(bucket.items);
      bucket.items = nullptr;
      return;
    }
    if (bucket.items && bucket.items->Capacity() > 2 * need) {
      DeleteBucketVector(bucket.items);
      bucket.items = nullptr;
    }
    if (!bucket.items && !(bucket.items = NewBucketVector())) return;
    bucket.items->Clear();
    bucket.items->Reserve(need);  // on failure the inserts try again
  }

  // Puts a gathered item back at its lower bound. Items arrive in (hash, key) order per target
  // bucket, so most of them go to the end. An item that finds no room loses its entry.
  void Reinsert(const Item& item) {
    SBucket& bucket = m_buckets[item.hash & (m_buckets.Count() - 1)];
    if (!bucket.items && !(bucket.items = NewBucketVector())) {
      FreeSlot(item.slot);
      return;
    }
    BucketVector& items = *bucket.items;
    unsigned count = items.Count();
    bool last = count == 0 || Compare(items[count - 1], item.hash, item.Key()) < 0;
    bool equal;
    unsigned pos = last ? count : LowerBound(items, item.hash, item.Key(), equal);
    if (!items.Insert(pos, &item, 1)) {
      FreeSlot(item.slot);
      return;
    }
    ++m_count;
  }

  // Copies the layout of `other` item for item; entries that cannot be made are left out.
  void CopyFrom(const tSetBase& other) {
    if (other.m_buckets.Count() == 0 || !m_buckets.Resize(other.m_buckets.Count(), SBucket{nullptr})) return;
    for (unsigned b = 0; b < other.m_buckets.Count(); ++b) {
      const BucketVector* source = other.m_buckets[b].items;
      if (!source || !(m_buckets[b].items = NewBucketVector())) continue;
      m_buckets[b].items->Reserve(source->Count());
      for (const Item& from : *source) {
        Item item;
        item.hash = from.hash;
        if (!MakeSlot(item.slot, from.Entry())) continue;
        if (m_buckets[b].items->PushBack(item))
          ++m_count;
        else
          FreeSlot(item.slot);
      }
    }
    m_growThreshold = other.m_growThreshold;
    m_shrinkThreshold = other.m_shrinkThreshold;
  }

  unsigned m_count = 0;
  unsigned m_growThreshold = 0;
  unsigned m_shrinkThreshold = 0;
  tObjVector<SBucket> m_buckets;
  EntryPool m_pool;
};

// A set of keys.
template <typename K>
using tSet = tSetBase<K>;

// A map from keys to values; the key-value entries live in the map's own pool.
template <typename K, typename V>
class tMap : tSetBase<tKeyValue<K, V>> {
  using Base = tSetBase<tKeyValue<K, V>>;

 public:
  using Base::kMaxBuckets;
  using Base::kMinBuckets;
  using typename Base::const_iterator;
  using typename Base::EntryPool;
  using typename Base::Item;
  using typename Base::iterator;
  using typename Base::KeyType;

  using Base::begin;
  using Base::BucketCount;
  using Base::Clear;
  using Base::Count;
  using Base::end;
  using Base::Find;
  using Base::FindWithHash;
  using Base::First;
  using Base::GetEntryPool;
  using Base::GrowThreshold;
  using Base::GrowThresholdFor;
  using Base::IsEmpty;
  using Base::Next;
  using Base::NextBucketCount;
  using Base::Remove;
  using Base::RemoveKey;
  using Base::ShrinkThreshold;
  using Base::ShrinkThresholdFor;

  // Maps `key` to `value`. An existing equal key gets the new key and value (and that item is
  // returned) unless `duplicate` asks for a second item. Null when memory ran out.
  Item* Insert(const K& key, const V& value, bool duplicate = false) {
    return InsertWithHash(key, value, this->HashOf(key), duplicate);
  }
  // Insert for a caller that has the key's hash already; `hash` must be what the map's Hash gives
  // for `key`.
  Item* InsertWithHash(const K& key, const V& value, unsigned hash, bool duplicate = false) {
    return this->InsertWith(
        key, hash, duplicate,
        [&](tKeyValue<K, V>& existing) {
          existing.key = key;
          existing.value = value;
        },
        [&](typename Base::Slot& slot) { return this->MakeSlot(slot, key, value); });
  }

  // The value of the first item with `key`, or null.
  V* FindValue(const K& key) {
    Item* item = Find(key);
    return item ? &item->Value() : nullptr;
  }
  const V* FindValue(const K& key) const {
    const Item* item = Find(key);
    return item ? &item->Value() : nullptr;
  }

 protected:
  using Base::Hash;
};

}  // namespace Orv
