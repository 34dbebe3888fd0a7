// The interfaces of asynchronous data loading: a loader moves the conversions of saved data onto
// worker threads, and a saved data with work pending knows its loader and waits for it before its
// forms change.
#pragma once

#include "orvutil/data/saved_data.h"

namespace Orv {

enum EDataWorkType : unsigned int {
  eDataWorkLoad = 0,
  eDataWorkUnload = 1,
  eDataWorkSave = 2,
  eDataWorkSaveToTempFile = 3,
};

struct IAsyncDataListener : public IUnknown {
  virtual void OnComplete(ISavedData* data, EDataWorkType type) = 0;
  virtual void OnCancel(ISavedData* data, EDataWorkType type) = 0;
};

struct IAsyncDataLoader : public IUnknown {
  virtual bool LoadAsync(ISavedData* data, int priority, IAsyncDataListener* listener) = 0;
  virtual bool UnloadAsync(ISavedData* data, int priority, IAsyncDataListener* listener) = 0;
  virtual bool SaveAsync(ISavedData* data, int priority, IAsyncDataListener* listener) = 0;
  virtual bool SaveToTempFileAsync(ISavedData* data, int priority, IAsyncDataListener* listener) = 0;
  virtual bool WaitForListener(IAsyncDataListener* listener) = 0;
  // Waits until background work on `data` has finished and been delivered.
  virtual bool WaitForData(ISavedData* data) = 0;
  virtual bool CancelForListener(IAsyncDataListener* listener) = 0;
  virtual bool CancelData(ISavedData* data) = 0;
  virtual bool WaitForAll() = 0;
  virtual bool CancelAll() = 0;
  virtual void AddListener(IAsyncDataListener* listener) = 0;
  virtual void RemoveListener(IAsyncDataListener* listener) = 0;
  virtual bool IsBusy() = 0;
  virtual void ResetProgress() = 0;
  virtual bool GetProgress(unsigned int* done, unsigned int* total) = 0;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::IAsyncDataListener, 0x46a3f483, 0xd57f, 0x43fc, 0x88, 0x14, 0x5c, 0x09, 0x89, 0x2e, 0xde, 0x4f)
ORV_CLASS_GUID(Orv::IAsyncDataLoader, 0x023a5779, 0x8a99, 0x493f, 0xab, 0x75, 0xef, 0x00, 0xaa, 0x1d, 0x7b, 0x9f)

namespace Orv {

// A listener that forwards to another one while it holds it, so that an owner can detach itself
// (SetListener(nullptr)) while work is still queued.
struct IProxyAsyncDataListener : public IAsyncDataListener {
  virtual void SetListener(IAsyncDataListener* target) = 0;
};

// A new, empty loader.
ORV_API bool CreateAsyncDataLoader(IAsyncDataLoader** out);
// The process-wide loader (no new reference), made on first use and released at the library's
// shut-down; null once shut-down has begun.
ORV_API IAsyncDataLoader* GetGlobalAsyncDataLoader();
ORV_API bool CreateProxyAsyncDataListener(IAsyncDataListener* target, IProxyAsyncDataListener** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IProxyAsyncDataListener, 0x6e0d6b53, 0x1c55, 0x4f0e, 0x9a, 0x57, 0x6c, 0x2b, 0x53, 0x0e, 0x7d, 0x21)
