#include "platform/classes/SyncObjs.h"

CL_IMPLEMENT_CLASS(TSynchroObject)
CL_IMPLEMENT_CLASS(THandleObject)
CL_IMPLEMENT_CLASS(TEvent)
CL_IMPLEMENT_CLASS(TSimpleEvent)
CL_IMPLEMENT_CLASS(TCriticalSection)

void TSynchroObject::Acquire() {}
void TSynchroObject::Release() {}
TWaitResult TSynchroObject::WaitFor(Cardinal) { return wrError; }

void THandleObject::Destroy() {
  if (FHandle) win::CloseHandle(FHandle);
  FHandle = nullptr;
  inherited::Destroy();
}

TWaitResult THandleObject::WaitFor(Cardinal Timeout) {
  switch (win::WaitForSingleObject(FHandle, Timeout)) {
    case win::WAIT_OBJECT_0:
      return wrSignaled;
    case win::WAIT_TIMEOUT:
      return wrTimeout;
    case win::WAIT_ABANDONED_0:
      return wrAbandoned;
    default:
      FLastError = static_cast<Integer>(win::GetLastError());
      return wrError;
  }
}

void TEvent::Create(win::LPSECURITY_ATTRIBUTES EventAttributes, Boolean ManualReset, Boolean InitialState,
                    const String& Name, Boolean) {
  FHandle = win::CreateEventW(EventAttributes, ManualReset, InitialState, Name.empty() ? nullptr : Name.c_str());
  if (!FHandle) throw EOSError(u"Cannot create an event", win::GetLastError());
}

void TEvent::Create(Boolean UseCOMWait) { Create(nullptr, true, false, String(), UseCOMWait); }

void TEvent::SetEvent() { win::SetEvent(FHandle); }
void TEvent::ResetEvent() { win::ResetEvent(FHandle); }

void TCriticalSection::Acquire() {
  FSection.lock();
  FOwner.store(win::GetCurrentThreadId());
  ++FDepth;
}

void TCriticalSection::Release() {
  if (FOwner.load() != win::GetCurrentThreadId() || FDepth <= 0)
    throw EInvalidOperation(u"Critical section released by a thread that does not hold it");
  if (--FDepth == 0) FOwner.store(0);
  FSection.unlock();
}

Boolean TCriticalSection::TryEnter() {
  if (!FSection.try_lock()) return false;
  FOwner.store(win::GetCurrentThreadId());
  ++FDepth;
  return true;
}
