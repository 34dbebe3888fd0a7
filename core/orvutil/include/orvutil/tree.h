// Trees: a text document whose structure is given by nodes.
//
// Each node covers a range of the tree's text, and the range boundaries are written into the text as
// two control characters: kNodeStartChar (U+0002) at the node's start and kNodeEndChar (U+0003) at its
// end, so a node's range is [GetStart(), GetAfter()). Ranges of two nodes are either disjoint or
// nested, and nesting of ranges is nesting of nodes. The tree keeps its nodes in one array sorted by
// start position; node positions and indices are markers that follow every text edit.
//
// Every change is announced to ITreeListener objects twice, before it is made (Adding/Removing) and
// after (Added/Removed). The tree itself hears each event first.
//
// Threading: a tree and its nodes are used on one thread at a time; events are delivered
// synchronously on the thread that changes the tree.
//
// Ownership: the tree holds a reference to each of its nodes; a node does not hold its tree. Both hold
// a reference to their attached data object.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"

namespace Orv {

constexpr wchar_t kNodeStartChar = L'\x0002';
constexpr wchar_t kNodeEndChar = L'\x0003';

struct ITree;
struct INode;

// Hears the changes of a tree. Derive from it, override the events you need (the others do
// nothing), and create the listener as CComObject<YourListener>. Positions are text positions of the
// tree; [start, end) ranges exclude `end`.
class ORV_API ITreeListener : public CComBase, public IUnknown {
 public:
  ITreeListener() = default;
  ITreeListener(const ITreeListener& other) : CComBase(other) {}
  ITreeListener& operator=(const ITreeListener& other) {
    CComBase::operator=(other);
    return *this;
  }
  ~ITreeListener() override;
  HRESULT _QueryInterface(REFIID riid, void** ppv) override;

  virtual void OnDestroying(ITree* tree);
  virtual void OnDestroyed(ITree* tree);
  virtual void OnAddingText(ITree* tree, unsigned int position, wchar_t const* text, unsigned int length);
  virtual void OnAddedText(ITree* tree, unsigned int start, unsigned int end);
  virtual void OnRemovingText(ITree* tree, unsigned int start, unsigned int end);
  virtual void OnRemovedText(ITree* tree, unsigned int start);
  // `start` and `end` are the text range the node is added over, after clamping: the node's U+0002
  // goes in front of the character at `start`, its U+0003 in front of the character at `end`.
  virtual void OnAddingNode(ITree* tree, INode* node, unsigned int start, unsigned int end);
  virtual void OnAddedNode(ITree* tree, INode* node);
  virtual void OnRemovingNode(ITree* tree, INode* node);
  virtual void OnRemovedNode(ITree* tree, INode* node);
  // The tree never fires these two itself: views that paint or render a tree use them to announce a
  // changed text range [start, end) to each other.
  virtual void OnChangedPaint(ITree* tree, unsigned int start, unsigned int end);
  virtual void OnChangedRender(ITree* tree, unsigned int start, unsigned int end);
};

// Implemented by data objects attached to nodes that want to know their node.
struct INodeData : public IUnknown {
  // A copy of this data for another node (INode::Clone); false when the data cannot be copied.
  virtual bool CloneNodeData(IUnknown** out) = 0;
  // The node this data is attached to was put into a tree (tree) or taken out of one (null).
  virtual void OnNodeTreeChanged(ITree* tree) = 0;
  // The data was attached to `node`, or detached (null).
  virtual void SetNode(INode* node) = 0;
};

struct ITree : public IUnknown {
  // Replaces the attached object (the same pointer does nothing).
  virtual void SetData(IUnknown* data) = 0;
  // Asks the attached object for an interface; false (and *out null) without one.
  virtual bool QueryData(REFIID riid, void** out) = 0;
  // The attached object, no reference added.
  virtual IUnknown* GetData() = 0;
  // Listeners hear events in registration order; null is ignored, a listener is registered once.
  // Both are safe from inside an event.
  virtual void AddListener(ITreeListener* listener) = 0;
  virtual void RemoveListener(ITreeListener* listener) = 0;

  virtual unsigned int GetNodeCount() = 0;
  // The node at `index` without a range check; no reference added.
  virtual INode* GetNodeFast(unsigned int index) = 0;
  // The node at `index`, or null when it is out of range; no reference added.
  virtual INode* GetNode(unsigned int index) = 0;
  // The innermost node whose range holds `position`, or null. A node's own start position (its
  // U+0002) belongs to the enclosing node; the position of its U+0003 belongs to the node.
  virtual INode* FindNodeAt(unsigned int position) = 0;
  // Index of the node starting at `position`, or else of the first node starting after it.
  virtual unsigned int FindNodeIndex(unsigned int position) = 0;

  // Adds a detached node over the text [start, end): its U+0002 goes in front of the character at
  // `start`, its U+0003 in front of the character at `end`. A start of 0xFFFFFFFF or past the text
  // means the end of the text; an end of 0xFFFFFFFF or below start means an empty node at start.
  // False for a null node, a node already in a tree or one not made by CreateNode, and for a range
  // that would cut across another node's boundaries (start and end in different innermost nodes).
  virtual bool AddNode(INode* node, unsigned int start, unsigned int end) = 0;
  // An empty node as the first (last = false) or last child of `parent`; with a null parent at the
  // start or the end of the text.
  virtual bool AddChildNode(INode* node, INode* parent, bool last) = 0;
  // An empty node just before or just after `sibling`; with a null sibling at the start or the end.
  virtual bool AddSiblingNode(INode* node, INode* sibling, bool after) = 0;
  // Removes a node of this tree. Without its contents only its two delimiters go, and its characters
  // and children belong to its parent from then on; with its contents the whole range goes, with
  // every node inside it.
  virtual void RemoveNode(INode* node, bool withContents) = 0;

  // Number of characters, delimiters included.
  virtual unsigned int GetTextLength() = 0;
  // The character at `position`, or 0 when it is out of range.
  virtual wchar_t GetChar(unsigned int position) = 0;
  // The characters [from, to) made contiguous (to = 0xFFFFFFFF: to the end; from = to: one
  // character). Valid until the next edit. Null unless from <= to <= the length; an empty range at
  // the end gives the end of the text.
  virtual wchar_t const* GetTextPtr(unsigned int from, unsigned int to) = 0;
  // Inserts `count` characters (0xFFFFFFFF: up to the terminator) in front of `position`. Nothing
  // happens for a null or empty text or a position past the end.
  virtual void InsertText(unsigned int position, wchar_t const* text, unsigned int count) = 0;
  virtual void InsertChar(unsigned int position, wchar_t c) = 0;
  // Removes the characters [from, to); `to` is clipped to the length. Nodes lying wholly inside the
  // range are removed with it; a range that holds only one delimiter of a node is refused.
  virtual void RemoveText(unsigned int from, unsigned int to) = 0;
};

struct INode : public IUnknown {
  // Replaces the attached object (the same pointer does nothing); INodeData objects are told.
  virtual void SetData(IUnknown* data) = 0;
  virtual bool QueryData(REFIID riid, void** out) = 0;
  virtual IUnknown* GetData() = 0;
  // A new detached node for the attached data: INodeData data is copied (CloneNodeData), other data
  // is shared. False when the copy fails.
  virtual bool Clone(INode** out) = 0;
  // Whether the node is in `tree` (null: whether it is detached).
  virtual bool IsInTree(ITree* tree) = 0;
  // Null while detached.
  virtual ITree* GetTree() = 0;
  // Relatives, null when there is none (and while detached); no reference added.
  virtual INode* GetParent() = 0;
  virtual INode* GetFirstChild() = 0;
  virtual INode* GetLastChild() = 0;
  virtual INode* GetNextSibling() = 0;
  virtual INode* GetPreviousSibling() = 0;
  // Index in the tree's node array; 0xFFFFFFFF while detached.
  virtual unsigned int GetIndex() = 0;
  // Text positions of the node's U+0002 and U+0003, and the first position after it; 0xFFFFFFFF
  // while detached.
  virtual unsigned int GetStart() = 0;
  virtual unsigned int GetEnd() = 0;
  virtual unsigned int GetAfter() = 0;
  // Whether `other` starts inside this node's range (false for null and for the node itself).
  virtual bool Contains(INode* other) = 0;
};

// Create a tree or a detached node with `data` attached (may be null); one reference for the caller.
ORV_API bool CreateTree(ITree** out, IUnknown* data = nullptr);
ORV_API bool CreateNode(INode** out, IUnknown* data = nullptr);

}  // namespace Orv

ORV_CLASS_GUID(Orv::ITreeListener, 0x9c827bdb, 0xc8c3, 0x4aaa, 0xb9, 0x66, 0x40, 0xd0, 0x72, 0x4d, 0x59, 0x60)
ORV_CLASS_GUID(Orv::ITree, 0xd53cacbd, 0x32e2, 0x4f77, 0xbf, 0xf1, 0x24, 0xd4, 0xe9, 0x13, 0xdf, 0xe3)
ORV_CLASS_GUID(Orv::INode, 0x33bdc3e5, 0x0cf3, 0x46ba, 0xa5, 0x70, 0xf0, 0x6a, 0x1c, 0x57, 0x24, 0x65)
ORV_CLASS_GUID(Orv::INodeData, 0xdea3e6b1, 0xdf28, 0x4f83, 0xaa, 0xf8, 0x1c, 0x6b, 0x39, 0x5a, 0x8b, 0x46)
