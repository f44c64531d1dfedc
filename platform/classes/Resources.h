// Resources embedded in the program: data registered by generated code
// (cl_embed_resources in cmake/Project.cmake, made by tools/resembed), found
// by type and name as the platform finds its resources.
//
// A resource type or name is a string (compared without regard to ASCII
// case) or a 16-bit identifier passed as MakeIntResource(id).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/classes/Streams.h"
#include "platform/rtl/Types.h"

class TComponent;

inline const Char* MakeIntResource(Word Id) { return reinterpret_cast<const Char*>(static_cast<uintptr_t>(Id)); }
inline bool IsIntResource(const Char* P) { return (reinterpret_cast<uintptr_t>(P) >> 16) == 0; }

#define RT_CURSOR MakeIntResource(1)
#define RT_BITMAP MakeIntResource(2)
#define RT_ICON MakeIntResource(3)
#define RT_STRING MakeIntResource(6)
#define RT_RCDATA MakeIntResource(10)
#define RT_GROUP_CURSOR MakeIntResource(12)
#define RT_GROUP_ICON MakeIntResource(14)

// One embedded resource, as the generated code lists it. A type or name with
// a nil string is the identifier beside it.
struct TResourceEntry {
  const char16_t* TypeName;
  Word TypeId;
  const char16_t* Name;
  Word NameId;
  const Byte* Data;
  size_t Size;
};

// Adds resources (the generated code calls it before main). A later entry of
// the same type and name replaces an earlier one.
void RegisterResources(const TResourceEntry* Entries, size_t Count);
// Removes them again (tests).
void UnregisterResources(const TResourceEntry* Entries, size_t Count);

// The module handle of the program: every resource is in it.
extern void* const HInstance;

using HRSRC = const TResourceEntry*;

// nil when there is no such resource. Module is accepted for the platform's
// shape and ignored.
HRSRC FindResourceW(void* Module, const Char* Name, const Char* Type);
// The resource's bytes (valid for the life of the program).
const void* LoadResource(void* Module, HRSRC ResInfo);
inline const void* LockResource(const void* ResData) { return ResData; }
Cardinal SizeofResource(void* Module, HRSRC ResInfo);

// A string of the string tables (RT_STRING blocks of 16 strings, block
// ID / 16 + 1): copies up to BufferMax - 1 characters and a terminating zero
// and answers the characters copied; 0 when there is no such string.
Integer LoadStringW(void* Instance, Cardinal ID, Char* Buffer, Integer BufferMax);
// The string Ident of the program's string tables, through the replaceable
// loader LoadResStr (so a translation applies); empty when missing. The unit's
// start-up step gives the run-time library's resource strings LoadStringW
// as their table reader (before it, every entry reads as empty).
String LoadStr(Cardinal Ident);

// A read-only stream over a resource. EResNotFound "Resource %s not found".
class TResourceStream : public TCustomMemoryStream {
  CL_CLASS(TResourceStream, TCustomMemoryStream)
 public:
  void Create(void* Instance, const String& ResName, const Char* ResType);
  void CreateFromID(void* Instance, Integer ResID, const Char* ResType);
  // Raises EStreamError: a resource cannot be written.
  Integer Write(const void* Buffer, Integer Count) override;

 private:
  void Initialize(void* Instance, const Char* Name, const Char* ResType);
};

// Reads the form resource (RCDATA in the binary form format) named ResName
// into Instance, or into a new component of the class it names when Instance
// is nil. EResNotFound when there is no such resource.
TComponent* ReadComponentRes(const String& ResName, TComponent* Instance);
// Whether the resource exists; reads it into Instance when it does.
Boolean InternalReadComponentRes(const String& ResName, TComponent* Instance);
// Reads the form resources of Instance's class and its ancestors below
// RootAncestor (each found by its class name), the furthest ancestor first.
// Answers whether any was found.
Boolean InitInheritedComponent(TComponent* Instance, TClass RootAncestor);
