#include "platform/classes/Resources.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/ResStrings.h"

CL_IMPLEMENT_CLASS(TResourceStream)

namespace {

char gModuleToken;

// "#12" for an identifier, else the name in upper case (ASCII).
String KeyPart(const char16_t* Name, Word Id) {
  if (!Name) return u"#" + IntToStr(static_cast<Integer>(Id));
  String s = Name;
  for (Char& c : s)
    if (c >= u'a' && c <= u'z') c = Char(c - 32);
  return s;
}
String KeyPart(const Char* P) {
  if (!P) return String();
  if (IsIntResource(P)) return KeyPart(nullptr, static_cast<Word>(reinterpret_cast<uintptr_t>(P)));
  // "#123" as a string names the identifier 123, as on the platform.
  return KeyPart(P, 0);
}
String Key(const String& Type, const String& Name) { return Type + u'\x1F' + Name; }

std::mutex gLock;
std::map<String, const TResourceEntry*>& Registry() {
  static std::map<String, const TResourceEntry*> registry;
  return registry;
}

// The run-time library cannot see the embedded string tables: its resource
// strings read them through the reader installed here. A reader someone
// installed before is kept, and put back at shut-down.
TStringTableReader gPreviousReader = nullptr;
bool gInstalledReader = false;

void ResourcesStartup() {
  gPreviousReader = GetStringTableReader();
  gInstalledReader = gPreviousReader == nullptr;
  if (gInstalledReader) SetStringTableReader(&LoadStringW);
}

void ResourcesShutdown() {
  if (gInstalledReader && GetStringTableReader() == &LoadStringW) SetStringTableReader(gPreviousReader);
  gInstalledReader = false;
}

}  // namespace

CL_UNIT_STEPS(Resources, &ResourcesStartup, &ResourcesShutdown);

void* const HInstance = &gModuleToken;

void RegisterResources(const TResourceEntry* Entries, size_t Count) {
  std::lock_guard<std::mutex> lock(gLock);
  for (size_t i = 0; i < Count; ++i) {
    const TResourceEntry& e = Entries[i];
    Registry()[Key(KeyPart(e.TypeName, e.TypeId), KeyPart(e.Name, e.NameId))] = &e;
  }
}

void UnregisterResources(const TResourceEntry* Entries, size_t Count) {
  std::lock_guard<std::mutex> lock(gLock);
  for (size_t i = 0; i < Count; ++i) {
    auto it = Registry().find(Key(KeyPart(Entries[i].TypeName, Entries[i].TypeId),
                                  KeyPart(Entries[i].Name, Entries[i].NameId)));
    if (it != Registry().end() && it->second == &Entries[i]) Registry().erase(it);
  }
}

HRSRC FindResourceW(void*, const Char* Name, const Char* Type) {
  if (!Name || !Type) return nullptr;
  std::lock_guard<std::mutex> lock(gLock);
  auto it = Registry().find(Key(KeyPart(Type), KeyPart(Name)));
  return it == Registry().end() ? nullptr : it->second;
}

const void* LoadResource(void*, HRSRC ResInfo) { return ResInfo ? ResInfo->Data : nullptr; }

Cardinal SizeofResource(void*, HRSRC ResInfo) { return ResInfo ? static_cast<Cardinal>(ResInfo->Size) : 0; }

Integer LoadStringW(void* Instance, Cardinal ID, Char* Buffer, Integer BufferMax) {
  if (!Buffer || BufferMax <= 0) return 0;
  Buffer[0] = 0;
  if (ID > 0xFFFF) return 0;
  HRSRC res = FindResourceW(Instance, MakeIntResource(static_cast<Word>(ID / 16 + 1)), RT_STRING);
  if (!res) return 0;
  // A block holds 16 strings, each a 16-bit length and its UTF-16 units.
  const Byte* p = res->Data;
  size_t left = res->Size;
  for (Cardinal i = 0;; ++i) {
    if (left < 2) return 0;
    size_t len = p[0] | (p[1] << 8);
    p += 2;
    left -= 2;
    if (len * 2 > left) return 0;
    if (i == ID % 16) {
      if (len == 0) return 0;
      size_t n = std::min(len, static_cast<size_t>(BufferMax - 1));
      for (size_t k = 0; k < n; ++k) Buffer[k] = static_cast<Char>(p[2 * k] | (p[2 * k + 1] << 8));
      Buffer[n] = 0;
      return static_cast<Integer>(n);
    }
    p += len * 2;
    left -= len * 2;
  }
}

// Through the replaceable loader, so a translating loader sees every load.
String LoadStr(Cardinal Ident) { return LoadResStr(Ident); }

void TResourceStream::Initialize(void* Instance, const Char* Name, const Char* ResType) {
  HRSRC res = FindResourceW(Instance, Name, ResType);
  if (!res) {
    String shown = IsIntResource(Name) ? IntToStr(static_cast<Integer>(reinterpret_cast<uintptr_t>(Name)))
                                       : String(Name);
    throw EResNotFound(u"Resource " + shown + u" not found");
  }
  SetPointer(const_cast<Byte*>(res->Data), static_cast<NativeInt>(res->Size));
}

void TResourceStream::Create(void* Instance, const String& ResName, const Char* ResType) {
  Initialize(Instance, ResName.c_str(), ResType);
}

void TResourceStream::CreateFromID(void* Instance, Integer ResID, const Char* ResType) {
  Initialize(Instance, MakeIntResource(static_cast<Word>(ResID)), ResType);
}

Integer TResourceStream::Write(const void*, Integer) {
  throw EStreamError(u"Can't write to a read-only resource stream");
}

Boolean InternalReadComponentRes(const String& ResName, TComponent* Instance) {
  if (!FindResourceW(HInstance, ResName.c_str(), RT_RCDATA)) return false;
  std::unique_ptr<TResourceStream, TObjectFree> stream(NewBy<TResourceStream>(
      static_cast<void (TResourceStream::*)(void*, const String&, const Char*)>(&TResourceStream::Create), HInstance,
      ResName, RT_RCDATA));
  ReadComponentFromStream(stream.get(), Instance);
  return true;
}

TComponent* ReadComponentRes(const String& ResName, TComponent* Instance) {
  std::unique_ptr<TResourceStream, TObjectFree> stream(NewBy<TResourceStream>(
      static_cast<void (TResourceStream::*)(void*, const String&, const Char*)>(&TResourceStream::Create), HInstance,
      ResName, RT_RCDATA));
  return ReadComponentFromStream(stream.get(), Instance);
}

namespace {
Boolean InitComponent(TComponent* Instance, TClass AClass, TClass RootAncestor) {
  if (!AClass || AClass == TComponent::StaticClass() || AClass == RootAncestor) return false;
  Boolean result = InitComponent(Instance, AClass->ClassParent(), RootAncestor);
  return InternalReadComponentRes(AClass->ClassName(), Instance) || result;
}
}  // namespace

// Every level is read before any component hears Loaded, once.
Boolean InitInheritedComponent(TComponent* Instance, TClass RootAncestor) {
  BeginGlobalLoading();
  Boolean result;
  {
    Finally endLoading([&] { EndGlobalLoading(); });
    result = InitComponent(Instance, Instance->ClassType(), RootAncestor);
    NotifyGlobalLoading();
  }
  return result;
}
