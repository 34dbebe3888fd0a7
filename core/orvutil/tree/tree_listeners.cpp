// ITreeListener's do-nothing events and CTreeListeners, the fan-out object of a tree.
#include "tree_impl.h"

namespace Orv {

ITreeListener::~ITreeListener() = default;

HRESULT ITreeListener::_QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  return Detail::QueryInterfaceMap<ITreeListener, ITreeListener>(this, riid, ppv);
}

void ITreeListener::OnDestroying(ITree*) {}
void ITreeListener::OnDestroyed(ITree*) {}
void ITreeListener::OnAddingText(ITree*, unsigned int, wchar_t const*, unsigned int) {}
void ITreeListener::OnAddedText(ITree*, unsigned int, unsigned int) {}
void ITreeListener::OnRemovingText(ITree*, unsigned int, unsigned int) {}
void ITreeListener::OnRemovedText(ITree*, unsigned int) {}
void ITreeListener::OnAddingNode(ITree*, INode*, unsigned int, unsigned int) {}
void ITreeListener::OnAddedNode(ITree*, INode*) {}
void ITreeListener::OnRemovingNode(ITree*, INode*) {}
void ITreeListener::OnRemovedNode(ITree*, INode*) {}
void ITreeListener::OnChangedPaint(ITree*, unsigned int, unsigned int) {}
void ITreeListener::OnChangedRender(ITree*, unsigned int, unsigned int) {}

void CTreeListeners::Add(ITreeListener* listener) {
  if (!listener) return;
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    if (m_listeners[i].Get() == listener) return;
    if (!m_listeners[i]) m_hasHoles = true;
  }
  m_listeners.PushBack(tSmartPtr<ITreeListener>(listener));
}

void CTreeListeners::Remove(ITreeListener* listener) {
  if (!listener) return;
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    if (m_listeners[i].Get() != listener) continue;
    m_listeners[i] = nullptr;
    m_hasHoles = true;
    break;
  }
  if (m_depth == 0) Compact();
}

// The tree hears the event first, then every listener registered when the walk reaches it: a
// listener added during the event hears it too, one removed before its turn does not.
template <class Event>
void CTreeListeners::Deliver(ITree* tree, Event const& event) {
  CTree* own = dynamic_cast<CTree*>(tree);
  if (!own) return;
  tSmartPtr<ITreeListener> keepSelf(this);
  tSmartPtr<ITree> keepTree(tree);
  ++m_depth;
  event(static_cast<ITreeListener*>(own));
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    tSmartPtr<ITreeListener> listener = m_listeners[i];
    if (listener)
      event(listener.Get());
    else
      m_hasHoles = true;
  }
  if (--m_depth == 0) Compact();
}

void CTreeListeners::Compact() {
  if (!m_hasHoles) return;
  for (unsigned i = m_listeners.Count(); i-- > 0;) {
    if (!m_listeners[i]) m_listeners.Erase(i, 1);
  }
  m_hasHoles = false;
}

void CTreeListeners::OnDestroying(ITree* tree) {
  Deliver(tree, [&](ITreeListener* l) { l->OnDestroying(tree); });
}
void CTreeListeners::OnDestroyed(ITree* tree) {
  Deliver(tree, [&](ITreeListener* l) { l->OnDestroyed(tree); });
}
void CTreeListeners::OnAddingText(ITree* tree, unsigned int position, wchar_t const* text, unsigned int length) {
  Deliver(tree, [&](ITreeListener* l) { l->OnAddingText(tree, position, text, length); });
}
void CTreeListeners::OnAddedText(ITree* tree, unsigned int start, unsigned int end) {
  Deliver(tree, [&](ITreeListener* l) { l->OnAddedText(tree, start, end); });
}
void CTreeListeners::OnRemovingText(ITree* tree, unsigned int start, unsigned int end) {
  Deliver(tree, [&](ITreeListener* l) { l->OnRemovingText(tree, start, end); });
}
void CTreeListeners::OnRemovedText(ITree* tree, unsigned int start) {
  Deliver(tree, [&](ITreeListener* l) { l->OnRemovedText(tree, start); });
}
void CTreeListeners::OnAddingNode(ITree* tree, INode* node, unsigned int start, unsigned int end) {
  Deliver(tree, [&](ITreeListener* l) { l->OnAddingNode(tree, node, start, end); });
}
void CTreeListeners::OnAddedNode(ITree* tree, INode* node) {
  Deliver(tree, [&](ITreeListener* l) { l->OnAddedNode(tree, node); });
}
void CTreeListeners::OnRemovingNode(ITree* tree, INode* node) {
  Deliver(tree, [&](ITreeListener* l) { l->OnRemovingNode(tree, node); });
}
void CTreeListeners::OnRemovedNode(ITree* tree, INode* node) {
  Deliver(tree, [&](ITreeListener* l) { l->OnRemovedNode(tree, node); });
}
void CTreeListeners::OnChangedPaint(ITree* tree, unsigned int start, unsigned int end) {
  Deliver(tree, [&](ITreeListener* l) { l->OnChangedPaint(tree, start, end); });
}
void CTreeListeners::OnChangedRender(ITree* tree, unsigned int start, unsigned int end) {
  Deliver(tree, [&](ITreeListener* l) { l->OnChangedRender(tree, start, end); });
}

}  // namespace Orv
