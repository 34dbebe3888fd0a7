// Static registration: file-scope records link themselves to their module while the binary loads;
// the module applies them once, at its start-up.
#include "orvutil/com/module.h"

namespace Orv {

StaticModuleClassInfo::StaticModuleClassInfo(CModule& module, GUID const& clsid, GUID const& category, GUID const& iid,
                                             wchar_t const* name, ComCreatorFunction creator)
    : clsid(&clsid), category(&category), iid(&iid), name(name), creator(creator), next(nullptr) {
  module.RegisterStaticClassInfo(this);
}

StaticModuleCategoryInfo::StaticModuleCategoryInfo(CModule& module, GUID const& category, wchar_t const* name,
                                                   ComCreatorFunction creator)
    : category(&category), name(name), creator(creator), next(nullptr) {
  module.RegisterStaticCategoryInfo(this);
}

StaticModuleViewerInfo::StaticModuleViewerInfo(CModule& module, GUID const& clsid, GUID const& viewer)
    : clsid(&clsid), viewer(&viewer), next(nullptr) {
  module.RegisterStaticViewerInfo(this);
}

StaticModuleObjectCreatorInfo::StaticModuleObjectCreatorInfo(CModule& module, wchar_t const* name,
                                                             GUID const& creatorClass, GUID const& createdClass)
    : name(name), creatorClass(&creatorClass), createdClass(&createdClass), next(nullptr) {
  module.RegisterStaticObjectCreatorInfo(this);
}

namespace {

template <typename Record>
void PushRecord(Record*& head, Record* record) {
  if (!record) return;
  record->next = head;
  head = record;
}

}  // namespace

void CModule::RegisterStaticClassInfo(StaticModuleClassInfo* record) {
  PushRecord(m_staticClasses, record);
}

void CModule::RegisterStaticCategoryInfo(StaticModuleCategoryInfo* record) {
  PushRecord(m_staticCategories, record);
}

void CModule::RegisterStaticViewerInfo(StaticModuleViewerInfo* record) {
  PushRecord(m_staticViewers, record);
}

void CModule::RegisterStaticObjectCreatorInfo(StaticModuleObjectCreatorInfo* record) {
  PushRecord(m_staticObjectCreators, record);
}

// Lists are walked from their heads, newest record first; since a second Set for a key is refused,
// the record constructed later wins. The lists are kept.
void CModule::FlushStaticRegistration() {
  m_flushed.Run(m_lock, [this] {
    for (StaticModuleClassInfo* r = m_staticClasses; r; r = r->next) {
      SetClassInfo(*r->clsid, *r->category, *r->iid, tstring(r->name ? r->name : L""), r->creator);
    }
    for (StaticModuleCategoryInfo* r = m_staticCategories; r; r = r->next) {
      SetCategoryInfo(*r->category, tstring(r->name ? r->name : L""), r->creator);
    }
    for (StaticModuleViewerInfo* r = m_staticViewers; r; r = r->next) SetViewerClass(*r->clsid, *r->viewer);
    for (StaticModuleObjectCreatorInfo* r = m_staticObjectCreators; r; r = r->next) {
      SetObjectCreator(r->name, *r->creatorClass, *r->createdClass);
    }
    return true;
  });
}

}  // namespace Orv
