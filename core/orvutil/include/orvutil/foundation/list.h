// tList<T>: a doubly linked list whose items come from the list's own pool, so adding and
// removing never touches the general heap once the pool has grown. Items keep their address for
// as long as they are in the list.
//
// Not thread-safe: a list shared between threads is guarded by its owner.
#pragma once

#include <utility>

#include "orvutil/foundation/pool.h"

namespace Orv {

template <typename T>
class tList {
 public:
  class ListItem {
   public:
    template <typename... Args>
    explicit ListItem(Args&&... args) : m_value(std::forward<Args>(args)...) {}

    T& Value() { return m_value; }
    const T& Value() const { return m_value; }
    ListItem* Next() const { return m_next; }
    ListItem* Prev() const { return m_prev; }

   private:
    friend class tList;
    T m_value;
    ListItem* m_prev = nullptr;
    ListItem* m_next = nullptr;
  };

  // Iteration over the values, front to back.
  template <typename V>
  class tIterator {
   public:
    explicit tIterator(ListItem* item) : m_item(item) {}
    V& operator*() const { return m_item->Value(); }
    V* operator->() const { return &m_item->Value(); }
    tIterator& operator++() {
      m_item = m_item->Next();
      return *this;
    }
    bool operator==(const tIterator& other) const { return m_item == other.m_item; }
    bool operator!=(const tIterator& other) const { return m_item != other.m_item; }

   private:
    ListItem* m_item;
  };
  using iterator = tIterator<T>;
  using const_iterator = tIterator<const T>;
  using ItemPool = tPoolAllocator<ListItem, false>;

  tList() = default;
  tList(const tList&) = delete;
  tList& operator=(const tList&) = delete;
  ~tList() { Clear(); }

  unsigned Count() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }
  ListItem* First() const { return m_first; }
  ListItem* Last() const { return m_last; }
  static ListItem* Next(const ListItem* item) { return item ? item->m_next : nullptr; }
  static ListItem* Prev(const ListItem* item) { return item ? item->m_prev : nullptr; }
  const ItemPool& GetItemPool() const { return m_pool; }

  // Adds a value at the back or the front; null when no item could be made.
  ListItem* PushBack(const T& value) { return Link(m_pool.New(value), m_last, nullptr); }
  ListItem* PushBack(T&& value) { return Link(m_pool.New(std::move(value)), m_last, nullptr); }
  ListItem* PushFront(const T& value) { return Link(m_pool.New(value), nullptr, m_first); }
  ListItem* PushFront(T&& value) { return Link(m_pool.New(std::move(value)), nullptr, m_first); }

  // Unlinks and destroys `item`, an item of this list, and returns the item that followed it. Null
  // is ignored.
  ListItem* Remove(ListItem* item) {
    if (!item) return nullptr;
    ListItem* next = item->m_next;
    (item->m_prev ? item->m_prev->m_next : m_first) = next;
    (next ? next->m_prev : m_last) = item->m_prev;
    --m_count;
    m_pool.Delete(item);
    return next;
  }

  void Clear() {
    for (ListItem* item = m_first; item;) {
      ListItem* next = item->m_next;
      m_pool.Delete(item);
      item = next;
    }
    m_first = m_last = nullptr;
    m_count = 0;
  }

  iterator begin() { return iterator(m_first); }
  iterator end() { return iterator(nullptr); }
  const_iterator begin() const { return const_iterator(m_first); }
  const_iterator end() const { return const_iterator(nullptr); }

 private:
  // Links a new item between `prev` and `next`, neighbours in the list (either may be null at an end).
  ListItem* Link(ListItem* item, ListItem* prev, ListItem* next) {
    if (!item) return nullptr;
    item->m_prev = prev;
    item->m_next = next;
    (prev ? prev->m_next : m_first) = item;
    (next ? next->m_prev : m_last) = item;
    ++m_count;
    return item;
  }

  ListItem* m_first = nullptr;
  ListItem* m_last = nullptr;
  unsigned m_count = 0;
  ItemPool m_pool;
};

}  // namespace Orv
