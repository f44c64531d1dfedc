#include "platform/classes/Filer.h"

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"
#include <memory>

namespace form_values {

namespace {
void AppendLE(RawByteString& Out, uint64_t V, int N) {
  for (int i = 0; i < N; ++i) Out += static_cast<char>((V >> (8 * i)) & 0xFF);
}
bool HasUnpairedSurrogate(const String& S) {
  for (size_t i = 0; i < S.size(); ++i) {
    Char c = S[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < S.size() && S[i + 1] >= 0xDC00 && S[i + 1] <= 0xDFFF) {
        ++i;
        continue;
      }
      return true;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) return true;
  }
  return false;
}
}  // namespace

void AppendString(RawByteString& Out, const String& Value) {
  if (!HasUnpairedSurrogate(Value)) {
    UTF8String utf8 = UTF16ToUTF8(Value);
    if (utf8.size() < Value.size() * 2) {
      // Shorter as UTF-8. utf8.size() == Value.size() means every character is ASCII.
      if (utf8.size() == Value.size()) {
        if (utf8.size() <= 255) {
          Out += static_cast<char>(vaString);
          AppendLE(Out, utf8.size(), 1);
        } else {
          Out += static_cast<char>(vaLString);
          AppendLE(Out, utf8.size(), 4);
        }
      } else {
        Out += static_cast<char>(vaUTF8String);
        AppendLE(Out, utf8.size(), 4);
      }
      Out += utf8;
      return;
    }
  }
  Out += static_cast<char>(vaWString);
  AppendLE(Out, Value.size(), 4);
  for (Char c : Value) AppendLE(Out, c, 2);
}

void AppendInteger(RawByteString& Out, Int64 Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    Out += static_cast<char>(vaInt8);
    AppendLE(Out, static_cast<uint64_t>(Value), 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    Out += static_cast<char>(vaInt16);
    AppendLE(Out, static_cast<uint64_t>(Value), 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    Out += static_cast<char>(vaInt32);
    AppendLE(Out, static_cast<uint64_t>(Value), 4);
  } else {
    Out += static_cast<char>(vaInt64);
    AppendLE(Out, static_cast<uint64_t>(Value), 8);
  }
}

void AppendShortString(RawByteString& Out, const UTF8String& Value) {
  if (Value.size() > 255) throw EWriteError(u"String too long for a short string");
  Out += static_cast<char>(Value.size());
  Out += Value;
}

String DecodeAnsi(const RawByteString& Bytes) { return AnsiToString(Bytes); }

}  // namespace form_values

// --- TFiler, TReader, TWriter -------------------------------------------------

#include <algorithm>
#include <cstring>
#include <atomic>
#include <mutex>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Variants.h"

CL_IMPLEMENT_CLASS(TFiler)
CL_IMPLEMENT_CLASS(TReader)
CL_IMPLEMENT_CLASS(TWriter)

namespace {

// Components, lists and collections nested deeper than this are refused.
constexpr Integer kMaxNesting = 200;

[[noreturn]] void InvalidStream() { throw EReadError(u"Invalid stream format"); }

bool IsIntegerValue(TValueType V) { return V == vaInt8 || V == vaInt16 || V == vaInt32 || V == vaInt64; }

bool IsDateType(const TTypeInfo* T) {
  return T == TypeInfoTDateTime() || T == TypeInfoTDate() || T == TypeInfoTTime();
}

// References to components of roots that were not loaded yet.
struct TGlobalFixup {
  TComponent* Root;
  TPersistent* Instance;
  const TPropInfo* Prop;
  String Name;
  TComponent* Component;
};
std::mutex gFixupLock;
std::atomic<size_t> gFixupCount{0};
std::vector<TGlobalFixup>& GlobalFixups() {
  static std::vector<TGlobalFixup> list;
  return list;
}

// Finds a component by a reference name: a component of LookupRoot, the
// root itself, or "Root.Component" of another root.
TComponent* ResolveReference(TComponent* LookupRoot, const String& Name) {
  size_t dot = Name.find(u'.');
  String first = Name.substr(0, dot);
  TComponent* c = nullptr;
  if (LookupRoot) {
    if (dot == String::npos) c = LookupRoot->FindComponent(first);
    if (!c && SameText(LookupRoot->Name(), first)) c = LookupRoot;
  }
  if (!c) c = FindGlobalComponent(first);
  while (c && dot != String::npos) {
    size_t next = Name.find(u'.', dot + 1);
    c = c->FindComponent(Name.substr(dot + 1, next == String::npos ? String::npos : next - dot - 1));
    dot = next;
  }
  return c;
}

// The components read while a global loading is open (nil when none).
thread_local std::vector<TComponent*>* gGlobalLoaded = nullptr;
thread_local int gGlobalLoadingDepth = 0;

}  // namespace

void BeginGlobalLoading() {
  if (gGlobalLoadingDepth++ == 0) gGlobalLoaded = new std::vector<TComponent*>();
}

void NotifyGlobalLoading() {
  if (!gGlobalLoaded || gGlobalLoadingDepth != 1) return;
  std::vector<TComponent*> loaded;
  loaded.swap(*gGlobalLoaded);
  for (TComponent* c : loaded) c->Loaded();
}

void EndGlobalLoading() {
  if (gGlobalLoadingDepth == 0) return;
  if (--gGlobalLoadingDepth == 0) {
    delete gGlobalLoaded;
    gGlobalLoaded = nullptr;
  }
}

void TFiler::Create(TStream* Stream, Integer) { FStream = Stream; }

void TFiler::DefineProperty(const String&, TReaderProc, TWriterProc, Boolean) {
  AbstractError();
}

void TFiler::DefineBinaryProperty(const String&, TStreamProc, TStreamProc, Boolean) {
  AbstractError();
}

// --- TReader ------------------------------------------------------------------

void TReader::Destroy() { inherited::Destroy(); }

Int64 TReader::Position() { return FStream->Position(); }

void TReader::EnterNesting() {
  if (++FNesting > kMaxNesting) {
    --FNesting;
    throw EReadError(u"Objects nested too deeply");
  }
}

void TReader::Read(void* Buf, Integer Count) { FStream->ReadBuffer(Buf, Count); }

TValueType TReader::ReadValue() {
  Byte b;
  Read(&b, 1);
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  TValueType v = ReadValue();
  FStream->Seek(-1, soCurrent);
  return v;
}

Boolean TReader::EndOfList() { return NextValue() == vaNull; }

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) {
    FStream->Seek(-1, soCurrent);
    SkipValue();
    PropValueError();
  }
}

void TReader::PropValueError() { throw EReadError(u"Invalid property value"); }

void TReader::PropertyError(const String& Name) { throw EReadError(u"Property " + Name + u" does not exist"); }

void TReader::ReadListBegin() { CheckValue(vaList); }

void TReader::ReadListEnd() { CheckValue(vaNull); }

void TReader::ReadSignature() {
  char sig[4];
  Read(sig, 4);
  if (std::memcmp(sig, FilerSignature, 4) != 0) InvalidStream();
}

void TReader::ReadPrefix(Byte& Flags, Integer& AChildPos) {
  Flags = 0;
  AChildPos = 0;
  Byte b;
  Read(&b, 1);
  if ((b & 0xF0) == 0xF0) {
    Flags = b & 0x0F;
    if (Flags & ffChildPos) AChildPos = ReadInteger();
  } else {
    FStream->Seek(-1, soCurrent);
  }
}

namespace {
template <class T>
T ReadLE(TReader* R) {
  Byte b[sizeof(T)];
  R->Read(b, sizeof(T));
  uint64_t v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<uint64_t>(b[i]) << (8 * i);
  return static_cast<T>(v);
}
}  // namespace

Integer TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: return ReadLE<int8_t>(this);
    case vaInt16: return ReadLE<int16_t>(this);
    case vaInt32: return ReadLE<int32_t>(this);
    default:
      FStream->Seek(-1, soCurrent);
      SkipValue();
      PropValueError();
  }
}

Int64 TReader::ReadInt64() {
  if (NextValue() == vaInt64) {
    ReadValue();
    return ReadLE<int64_t>(this);
  }
  return ReadInteger();
}

Boolean TReader::ReadBoolean() {
  TValueType v = ReadValue();
  if (v == vaTrue) return true;
  if (v == vaFalse) return false;
  FStream->Seek(-1, soCurrent);
  SkipValue();
  PropValueError();
}

Char TReader::ReadChar() {
  String s = ReadString();
  if (s.size() != 1) PropValueError();
  return s[0];
}

WideChar TReader::ReadWideChar() { return ReadChar(); }

double TReader::ReadFloat() {
  TValueType v = ReadValue();
  switch (v) {
    case vaExtended: {
      uint8_t ext[10];
      Read(ext, 10);
      return ExtendedToDouble(ext);
    }
    case vaSingle: {
      uint32_t bits = ReadLE<uint32_t>(this);
      float f;
      std::memcpy(&f, &bits, 4);
      return f;
    }
    case vaDouble:
    case vaDate: {
      uint64_t bits = ReadLE<uint64_t>(this);
      double d;
      std::memcpy(&d, &bits, 8);
      return d;
    }
    case vaCurrency: return static_cast<double>(ReadLE<int64_t>(this)) / 10000.0;
    default:
      FStream->Seek(-1, soCurrent);
      if (IsIntegerValue(v)) return static_cast<double>(ReadInt64());
      SkipValue();
      PropValueError();
  }
}

Single TReader::ReadSingle() { return static_cast<Single>(ReadFloat()); }
double TReader::ReadDouble() { return ReadFloat(); }
TDateTime TReader::ReadDate() { return ReadFloat(); }

Currency TReader::ReadCurrency() {
  TValueType v = NextValue();
  if (v == vaCurrency) {
    ReadValue();
    return Currency::FromRaw(ReadLE<int64_t>(this));
  }
  // Whole numbers exactly (EOverflow beyond the range), others through the float.
  if (IsIntegerValue(v)) return Currency(ReadInt64());
  return Currency(ReadFloat());
}

Int64 TReader::ReadIntegerOf(const TTypeInfo* Type) {
  // A 32-bit ordinal: Integer values, and for a Cardinal also its values
  // above 2^31 (written as 64-bit numbers by the text form).
  Int64 v = ReadInt64();
  Int64 low = INT32_MIN;
  Int64 high = Type && Type->OrdType == otULong ? Int64(UINT32_MAX) : Int64(INT32_MAX);
  if (v < low || v > high) PropValueError();
  return v;
}

String TReader::ReadStr() {
  Byte n;
  Read(&n, 1);
  std::string s(n, '\0');
  if (n) Read(s.data(), n);
  return UTF8ToUTF16(s);
}

String TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return u"False";
    case vaTrue: return u"True";
    case vaNil: return u"nil";
    case vaNull: return u"Null";
    default:
      FStream->Seek(-1, soCurrent);
      SkipValue();
      PropValueError();
  }
}

String TReader::ReadString() {
  TValueType v = ReadValue();
  auto readBytes = [this](size_t n) {
    // Grows with what the stream really holds, so a false length fails as a
    // read error instead of allocating it.
    if (static_cast<Int64>(n) > FStream->Size() - FStream->Position()) throw EReadError(u"Stream read error");
    std::string s(n, '\0');
    if (n) Read(s.data(), static_cast<Integer>(n));
    return s;
  };
  switch (v) {
    case vaString: {
      Byte n;
      Read(&n, 1);
      return form_values::DecodeAnsi(readBytes(n));
    }
    case vaLString: return form_values::DecodeAnsi(readBytes(ReadLE<uint32_t>(this)));
    case vaUTF8String: return UTF8ToUTF16(readBytes(ReadLE<uint32_t>(this)));
    case vaWString: {
      std::string raw = readBytes(static_cast<size_t>(ReadLE<uint32_t>(this)) * 2);
      String s(raw.size() / 2, u'\0');
      for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<Char>(static_cast<Byte>(raw[2 * i]) | (static_cast<Byte>(raw[2 * i + 1]) << 8));
      return s;
    }
    default:
      FStream->Seek(-1, soCurrent);
      SkipValue();
      PropValueError();
  }
}

WideString TReader::ReadWideString() { return ReadString(); }

Int64 TReader::ReadSet(const TTypeInfo* ElemType) {
  CheckValue(vaSet);
  Int64 bits = 0;
  bool bad = false;
  for (;;) {
    String name = ReadStr();
    if (name.empty()) break;
    Integer v = ElemType ? GetEnumValue(ElemType, name) : -1;
    if (v < 0 || v >= 64) bad = true;
    else bits = static_cast<Int64>(static_cast<uint64_t>(bits) | (uint64_t(1) << v));
  }
  if (bad) PropValueError();
  return bits;
}

Variant TReader::ReadVariant() {
  EnterNesting();
  Finally leave([this] { --FNesting; });
  switch (NextValue()) {
    case vaNil: ReadValue(); return Unassigned();
    case vaNull: ReadValue(); return Null();
    case vaInt8:
    case vaInt16:
    case vaInt32: return Variant(ReadInteger());
    case vaInt64: return Variant(ReadInt64());
    case vaExtended:
    case vaDouble: return Variant(ReadFloat());
    case vaSingle: return Variant(ReadSingle());
    case vaCurrency: return Variant(ReadCurrency());
    case vaDate: return VarFromDateTime(ReadDate());
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String: return Variant(ReadString());
    case vaFalse:
    case vaTrue: return Variant(ReadBoolean());
    case vaList: {
      ReadValue();
      std::vector<Variant> items;
      while (!EndOfList()) items.push_back(ReadVariant());
      ReadListEnd();
      Variant a = VarArrayCreate({0, static_cast<Integer>(items.size()) - 1}, varVariant);
      for (size_t i = 0; i < items.size(); ++i) VarArrayPut(a, items[i], {static_cast<Integer>(i)});
      return a;
    }
    default:
      SkipValue();
      PropValueError();
  }
}

void TReader::SkipValue() {
  EnterNesting();
  Finally leave([this] { --FNesting; });
  auto skip = [this](Int64 n) {
    if (n < 0 || n > FStream->Size() - FStream->Position()) throw EReadError(u"Stream read error");
    FStream->Seek(n, soCurrent);
  };
  switch (ReadValue()) {
    case vaNull: break;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8: skip(1); break;
    case vaInt16: skip(2); break;
    case vaInt32: skip(4); break;
    case vaInt64: skip(8); break;
    case vaExtended: skip(10); break;
    case vaSingle: skip(4); break;
    case vaDouble:
    case vaDate:
    case vaCurrency: skip(8); break;
    case vaString:
    case vaIdent: {
      Byte n;
      Read(&n, 1);
      skip(n);
      break;
    }
    case vaLString:
    case vaUTF8String:
    case vaBinary: skip(ReadLE<uint32_t>(this)); break;
    case vaWString: skip(Int64(ReadLE<uint32_t>(this)) * 2); break;
    case vaFalse:
    case vaTrue:
    case vaNil: break;
    case vaSet:
      while (!ReadStr().empty()) {
      }
      break;
    case vaCollection:
      while (!EndOfList()) {
        if (IsIntegerValue(NextValue())) ReadInt64();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    default: PropValueError();
  }
}

void TReader::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, Boolean) {
  if (!FPropName.empty() && SameText(Name, FPropName) && Assigned(ReadData)) {
    FPropName.clear();
    ReadData(this);
  }
}

void TReader::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc, Boolean) {
  if (FPropName.empty() || !SameText(Name, FPropName) || !Assigned(ReadData)) return;
  FPropName.clear();
  if (ReadValue() != vaBinary) {
    FStream->Seek(-1, soCurrent);
    SkipValue();
    PropValueError();
  }
  uint32_t n = ReadLE<uint32_t>(this);
  if (static_cast<Int64>(n) > FStream->Size() - FStream->Position()) throw EReadError(u"Stream read error");
  std::unique_ptr<TMemoryStream, TObjectFree> data(New<TMemoryStream>());
  data->CopyFrom(FStream, n);
  data->SetPosition(0);
  ReadData(data.get());
}

TClass TReader::FindComponentClass(const String& ClassName) {
  if (TClass c = GetClass(ClassName)) return c;
  // The classes of the root's published component fields count as known.
  for (TComponent* r : {FRoot, FLookupRoot}) {
    if (!r) continue;
    for (const TPublishedField* f : GetPublishedFields(r->ClassType()))
      if (f->FieldClass && f->FieldClass->ClassNameIs(ClassName)) return f->FieldClass;
  }
  throw EClassNotFound(u"Class " + ClassName + u" not found");
}

void TReader::FreeCreated(TComponent* Component) {
  FLoaded.erase(std::remove(FLoaded.begin(), FLoaded.end(), Component), FLoaded.end());
  FFixups.clear();
  Free(Component);
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  EnterNesting();
  Finally leave([this] { --FNesting; });
  Byte flags;
  Integer childPos;
  ReadPrefix(flags, childPos);
  String className = ReadStr();
  String compName = ReadStr();
  TComponent* result = Component;
  bool created = false;
  if (!result) {
    if (flags & ffInherited) {
      result = FOwner ? FOwner->FindComponent(compName) : nullptr;
      if (!result) throw EReadError(u"Ancestor for '" + compName + u"' not found");
    } else {
      TClass cls = FindComponentClass(className);
      if (!cls->InheritsFrom(TComponent::StaticClass())) throw EClassNotFound(u"Class " + className + u" not found");
      result = CreateFrom(cls, &TComponent::Create, FOwner);
      created = true;
    }
  }
  try {
    result->FComponentState.Include(csLoading);
    result->FComponentState.Include(csReading);
    if (flags & ffInline) result->FComponentState.Include(csInline);
    if (!(flags & ffInherited)) {
      String name = compName;
      if (Assigned(OnSetName)) OnSetName(this, result, name);
      result->SetName(name);
    }
    if (created && FParent) result->SetParentComponent(FParent);
    if (std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end()) FLoaded.push_back(result);
    {
      TComponent* outer = FCurrent;
      Finally restore([&] { FCurrent = outer; });
      FCurrent = result;
      result->ReadState(this);
    }
    result->FComponentState.Exclude(csReading);
    if ((flags & ffChildPos) && FParent) FParent->SetChildOrder(result, childPos);
  } catch (...) {
    if (created) FreeCreated(result);
    throw;
  }
  return result;
}

void TReader::ReadData(TComponent* Instance) {
  {
    Instance->Updating();
    Finally updated([Instance] { Instance->Updated(); });
    while (!EndOfList()) ReadProperty(Instance);
  }
  ReadListEnd();
  TComponent* oldParent = FParent;
  TComponent* oldOwner = FOwner;
  Finally restore([&] {
    FParent = oldParent;
    FOwner = oldOwner;
  });
  FParent = Instance->GetChildParent();
  FOwner = Instance->GetChildOwner();
  if (!FOwner) FOwner = FRoot;
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
}

void TReader::ReadProperty(TPersistent* AInstance) {
  String path = ReadStr();
  bool top = FPropDepth == 0;
  ++FPropDepth;
  try {
    TPersistent* instance = AInstance;
    size_t start = 0;
    for (;;) {
      size_t dot = path.find(u'.', start);
      String part = path.substr(start, dot == String::npos ? String::npos : dot - start);
      if (dot == String::npos) {
        FPropName = part;
        const TPropInfo* info = part.empty() ? nullptr : GetPropInfo(instance, part);
        if (info) {
          FPropName.clear();
          ReadPropValue(instance, info);
        } else {
          instance->DefineProperties(this);
          if (!FPropName.empty()) PropertyError(FPropName);
        }
        break;
      }
      const TPropInfo* info = GetPropInfo(instance, part);
      if (!info || !info->PropType || info->PropType->Kind != tkClass) PropertyError(part);
      TObject* obj = GetObjectProp(instance, info);
      if (!Is<TPersistent>(obj)) PropertyError(part);
      instance = static_cast<TPersistent*>(obj);
      start = dot + 1;
    }
    --FPropDepth;
  } catch (const Exception& e) {
    --FPropDepth;
    if (!top || Is<TCollectionItem>(AInstance)) throw;
    String owner = Is<TComponent>(AInstance) ? static_cast<TComponent*>(AInstance)->Name() : AInstance->GetNamePath();
    throw EReadError(u"Error reading " + owner + u"." + path + u": " + e.Message());
  }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* PropInfo) {
  const TTypeInfo* type = PropInfo->PropType;
  TTypeKind kind = type ? type->Kind : tkUnknown;
  if (!PropInfo->Setter && kind != tkClass) {
    SkipValue();
    throw EPropertyError(u"Property " + PropInfo->Name + u" is read-only");
  }
  switch (kind) {
    case tkInteger: {
      if (NextValue() == vaIdent) {
        String ident = ReadIdent();
        Integer v = 0;
        TIdentToInt map = FindIdentToInt(type);
        if (!map || !map(ident, v)) PropValueError();
        SetOrdProp(Instance, PropInfo, v);
      } else {
        SetOrdProp(Instance, PropInfo, ReadIntegerOf(type));
      }
      break;
    }
    case tkChar:
    case tkWChar: SetOrdProp(Instance, PropInfo, ReadChar()); break;
    case tkEnumeration: {
      Integer v = GetEnumValue(type, ReadIdent());
      if (v < 0) PropValueError();
      SetOrdProp(Instance, PropInfo, v);
      break;
    }
    case tkSet: SetOrdProp(Instance, PropInfo, ReadSet(type->CompType)); break;
    case tkInt64: SetInt64Prop(Instance, PropInfo, ReadInt64()); break;
    case tkFloat:
      if (IsCurrencyProp(PropInfo)) SetCurrencyProp(Instance, PropInfo, ReadCurrency());
      else SetFloatProp(Instance, PropInfo, ReadFloat());
      break;
    case tkString:
    case tkLString:
    case tkUString: SetStrProp(Instance, PropInfo, ReadString()); break;
    case tkWString: SetWideStrProp(Instance, PropInfo, ReadWideString()); break;
    case tkClass: {
      TValueType next = NextValue();
      if (next == vaNil) {
        ReadValue();
        if (PropInfo->Setter) SetObjectProp(Instance, PropInfo, nullptr);
      } else if (next == vaIdent) {
        String name = ReadIdent();
        if (!PropInfo->Setter) PropValueError();
        FFixups.push_back({Instance, PropInfo, name, false, FCurrent});
      } else if (next == vaCollection) {
        ReadValue();
        TObject* obj = GetObjectProp(Instance, PropInfo);
        if (!Is<TCollection>(obj)) {
          FStream->Seek(-1, soCurrent);
          SkipValue();
          PropValueError();
        }
        ReadCollection(static_cast<TCollection*>(obj));
      } else {
        SkipValue();
        PropValueError();
      }
      break;
    }
    case tkVariant: SetVariantProp(Instance, PropInfo, ReadVariant()); break;
    case tkMethod: {
      if (NextValue() == vaNil) {
        ReadValue();
        SetMethodProp(Instance, PropInfo, TMethod{});
      } else {
        FFixups.push_back({Instance, PropInfo, ReadIdent(), true, FCurrent});
      }
      break;
    }
    default:
      SkipValue();
      PropValueError();
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  EnterNesting();
  Finally leave([this] { --FNesting; });
  Collection->BeginUpdate();
  Finally endUpdate([Collection] { Collection->EndUpdate(); });
  if (!EndOfList()) {
    // References recorded for the items about to be freed go with them.
    FFixups.erase(std::remove_if(FFixups.begin(), FFixups.end(),
                                 [Collection](const TFixup& f) {
                                   TPersistent* p = f.Instance;
                                   for (int i = 0; p && i < 64; ++i, p = p->GetOwner())
                                     if (Is<TCollectionItem>(p) && static_cast<TCollectionItem*>(p)->Collection() == Collection)
                                       return true;
                                   return false;
                                 }),
                  FFixups.end());
    Collection->Clear();
  }
  while (!EndOfList()) {
    if (IsIntegerValue(NextValue())) ReadInt64();  // the item's order index
    TCollectionItem* item = Collection->Add();
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::FixupReferences() {
  std::vector<TFixup> fixups;
  fixups.swap(FFixups);
  for (const TFixup& f : fixups) {
    if (f.IsMethod) {
      TMethod m = FRoot ? MethodByName(FRoot, f.Name) : TMethod{};
      if (!Assigned(m)) throw EMethodNotFound(u"Method " + f.Name + u" not found");
      SetMethodProp(f.Instance, f.Prop, m);
      continue;
    }
    TComponent* c = ResolveReference(FLookupRoot, f.Name);
    if (c) {
      SetObjectProp(f.Instance, f.Prop, c);
    } else {
      std::lock_guard<std::mutex> lock(gFixupLock);
      GlobalFixups().push_back({FRoot, f.Instance, f.Prop, f.Name, f.Component});
      gFixupCount = GlobalFixups().size();
    }
  }
}

void RemoveFixupReferences(TPersistent* Obj) {
  if (gFixupCount.load() == 0) return;
  std::lock_guard<std::mutex> lock(gFixupLock);
  auto& list = GlobalFixups();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [Obj](const TGlobalFixup& f) {
                              return f.Root == Obj || f.Instance == Obj || f.Component == Obj;
                            }),
             list.end());
  gFixupCount = list.size();
}

void GlobalFixupReferences() {
  std::vector<TGlobalFixup> pending;
  {
    std::lock_guard<std::mutex> lock(gFixupLock);
    pending.swap(GlobalFixups());
    gFixupCount = 0;
  }
  std::vector<TGlobalFixup> still;
  for (const TGlobalFixup& f : pending) {
    if (TComponent* c = ResolveReference(f.Root, f.Name)) SetObjectProp(f.Instance, f.Prop, c);
    else still.push_back(f);
  }
  std::lock_guard<std::mutex> lock(gFixupLock);
  auto& list = GlobalFixups();
  list.insert(list.begin(), still.begin(), still.end());
  gFixupCount = list.size();
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  ReadSignature();
  TComponent* result = Root;
  FLoaded.clear();
  FFixups.clear();
  try {
    Byte flags;
    Integer childPos;
    ReadPrefix(flags, childPos);
    String className = ReadStr();
    String name = ReadStr();
    if (!result) {
      TClass cls = FindClass(className);
      if (!cls->InheritsFrom(TComponent::StaticClass())) throw EClassNotFound(u"Class " + className + u" not found");
      result = CreateFrom(cls, &TComponent::Create, nullptr);
    }
    try {
      result->FComponentState.Include(csLoading);
      result->FComponentState.Include(csReading);
      // Another root of the same name (a second instance of a form) gets a
      // name of its own.
      String unique = name;
      for (int i = 1; !unique.empty() && FindGlobalComponent(unique) && FindGlobalComponent(unique) != result; ++i)
        unique = name + u"_" + IntToStr(i);
      if (result->Name().empty() || !SameText(result->Name(), unique)) result->SetName(unique);
      FRoot = result;
      FLookupRoot = result;
      FOwner = result;
      FParent = result;
      FLoaded.push_back(result);
      FCurrent = result;
      result->ReadState(this);
      FCurrent = nullptr;
      result->FComponentState.Exclude(csReading);
      FixupReferences();
    } catch (...) {
      FFixups.clear();
      RemoveFixupReferences(result);
      if (!Root) Free(result);
      throw;
    }
  } catch (...) {
    FLoaded.clear();
    throw;
  }
  std::vector<TComponent*> loaded;
  loaded.swap(FLoaded);
  if (gGlobalLoaded) {
    for (TComponent* c : loaded)
      if (std::find(gGlobalLoaded->begin(), gGlobalLoaded->end(), c) == gGlobalLoaded->end())
        gGlobalLoaded->push_back(c);
  } else {
    for (TComponent* c : loaded) c->Loaded();
  }
  GlobalFixupReferences();
  return result;
}

// --- TWriter ------------------------------------------------------------------

Int64 TWriter::Position() { return FStream->Position(); }

void TWriter::Write(const void* Buf, Integer Count) { FStream->WriteBuffer(Buf, Count); }

void TWriter::WriteBytes(const RawByteString& Bytes) {
  if (!Bytes.empty()) Write(Bytes.data(), static_cast<Integer>(Bytes.size()));
}

void TWriter::WriteValue(TValueType Value) {
  Byte b = Value;
  Write(&b, 1);
}

void TWriter::WriteListBegin() { WriteValue(vaList); }
void TWriter::WriteListEnd() { WriteValue(vaNull); }
void TWriter::WriteBoolean(Boolean Value) { WriteValue(Value ? vaTrue : vaFalse); }
void TWriter::WriteChar(Char Value) { WriteString(String(1, Value)); }
void TWriter::WriteWideChar(WideChar Value) { WriteString(String(1, Value)); }

void TWriter::WriteInteger(Int64 Value) {
  RawByteString b;
  form_values::AppendInteger(b, Value);
  WriteBytes(b);
}

void TWriter::WriteFloat(double Value) {
  uint8_t ext[11];
  ext[0] = vaExtended;
  DoubleToExtended(Value, ext + 1);
  Write(ext, 11);
}

void TWriter::WriteSingle(Single Value) {
  RawByteString b(1, static_cast<char>(vaSingle));
  uint32_t bits;
  std::memcpy(&bits, &Value, 4);
  for (int i = 0; i < 4; ++i) b += static_cast<char>((bits >> (8 * i)) & 0xFF);
  WriteBytes(b);
}

namespace {
RawByteString Tagged64(TValueType Tag, uint64_t Bits) {
  RawByteString b(1, static_cast<char>(Tag));
  for (int i = 0; i < 8; ++i) b += static_cast<char>((Bits >> (8 * i)) & 0xFF);
  return b;
}
uint64_t DoubleBits(double D) {
  uint64_t bits;
  std::memcpy(&bits, &D, 8);
  return bits;
}
}  // namespace

void TWriter::WriteDouble(double Value) { WriteBytes(Tagged64(vaDouble, DoubleBits(Value))); }
void TWriter::WriteDate(TDateTime Value) { WriteBytes(Tagged64(vaDate, DoubleBits(Value))); }
void TWriter::WriteCurrency(Currency Value) { WriteBytes(Tagged64(vaCurrency, static_cast<uint64_t>(Value.Raw()))); }

void TWriter::WriteIdent(const String& Ident) {
  if (SameText(Ident, u"False")) WriteValue(vaFalse);
  else if (SameText(Ident, u"True")) WriteValue(vaTrue);
  else if (SameText(Ident, u"nil")) WriteValue(vaNil);
  else if (SameText(Ident, u"Null")) WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteStr(const String& Value) {
  RawByteString b;
  form_values::AppendShortString(b, UTF16ToUTF8(Value));
  WriteBytes(b);
}

void TWriter::WriteString(const String& Value) {
  RawByteString b;
  form_values::AppendString(b, Value);
  WriteBytes(b);
}

void TWriter::WriteWideString(const WideString& Value) {
  RawByteString b(1, static_cast<char>(vaWString));
  uint32_t n = static_cast<uint32_t>(Value.size());
  for (int i = 0; i < 4; ++i) b += static_cast<char>((n >> (8 * i)) & 0xFF);
  for (Char c : Value) {
    b += static_cast<char>(c & 0xFF);
    b += static_cast<char>(c >> 8);
  }
  WriteBytes(b);
}

void TWriter::WriteUTF8Str(const String& Value) {
  UTF8String u = UTF16ToUTF8(Value);
  RawByteString b(1, static_cast<char>(vaUTF8String));
  uint32_t n = static_cast<uint32_t>(u.size());
  for (int i = 0; i < 4; ++i) b += static_cast<char>((n >> (8 * i)) & 0xFF);
  WriteBytes(b + u);
}

void TWriter::WriteSet(const TTypeInfo* ElemType, Int64 Bits) {
  WriteValue(vaSet);
  for (int i = 0; i < 64; ++i)
    if ((static_cast<uint64_t>(Bits) >> i) & 1) WriteStr(GetEnumName(ElemType, i));
  WriteStr(String());
}

void TWriter::WriteVariant(const Variant& Value) {
  if (VarIsArray(Value)) {
    WriteListBegin();
    for (Integer i = VarArrayLowBound(Value, 1), hi = VarArrayHighBound(Value, 1); i <= hi; ++i)
      WriteVariant(VarArrayGet(Value, {i}));
    WriteListEnd();
    return;
  }
  switch (VarType(Value) & varTypeMask) {
    case varEmpty: WriteValue(vaNil); break;
    case varNull: WriteValue(vaNull); break;
    case varOleStr:
    case varUString:
    case varString: WriteString(Value.AsString()); break;
    case varShortInt:
    case varByte:
    case varSmallint:
    case varWord:
    case varInteger:
    case varLongWord:
    case varInt64: WriteInteger(Value.AsInt64()); break;
    case varSingle: WriteSingle(static_cast<Single>(Value.AsDouble())); break;
    case varDouble: WriteFloat(Value.AsDouble()); break;
    case varCurrency: WriteCurrency(Value.AsCurrency()); break;
    case varDate: WriteDate(Value.AsDateTime()); break;
    case varBoolean: WriteBoolean(Value.AsBoolean()); break;
    default: throw EWriteError(u"Invalid variant type");
  }
}

void TWriter::WriteSignature() { Write(FilerSignature, 4); }

void TWriter::WritePrefix(Byte Flags, Integer AChildPos) {
  if (!Flags) return;
  Byte b = static_cast<Byte>(0xF0 | Flags);
  Write(&b, 1);
  if (Flags & ffChildPos) WriteInteger(AChildPos);
}

void TWriter::WritePropName(const String& PropName) { WriteStr(FPropPath + PropName); }

void TWriter::DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData, Boolean HasData) {
  if (HasData && Assigned(WriteData)) {
    WritePropName(Name);
    WriteData(this);
  }
}

void TWriter::DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc WriteData, Boolean HasData) {
  if (!HasData || !Assigned(WriteData)) return;
  std::unique_ptr<TMemoryStream, TObjectFree> data(New<TMemoryStream>());
  WriteData(data.get());
  WritePropName(Name);
  WriteValue(vaBinary);
  uint32_t n = static_cast<uint32_t>(data->Size());
  Byte len[4];
  for (int i = 0; i < 4; ++i) len[i] = static_cast<Byte>((n >> (8 * i)) & 0xFF);
  Write(len, 4);
  if (n) Write(data->Memory(), static_cast<Integer>(n));
}

void TWriter::WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }

void TWriter::WriteDescendent(TComponent* Root, TComponent* AAncestor) {
  FRootAncestor = AAncestor;
  FAncestor = AAncestor;
  FRoot = Root;
  FLookupRoot = Root;
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  bool wasWriting = Component->ComponentState().Contains(csWriting);
  Component->FComponentState.Include(csWriting);
  Finally restore([&] {
    if (!wasWriting) Component->FComponentState.Exclude(csWriting);
  });
  Component->WriteState(this);
}

void TWriter::AddChildToWrite(TComponent* Child) { FChildren.push_back(Child); }

void TWriter::WriteData(TComponent* Instance) {
  TPersistent* ancestor = FAncestor;
  if (ancestor && ancestor->ClassType() != Instance->ClassType()) ancestor = nullptr;
  Byte flags = 0;
  if (ancestor && Instance != FRoot) flags |= ffInherited;
  if (Instance->ComponentState().Contains(csInline)) flags |= ffInline;
  WritePrefix(flags, 0);
  // A first byte of 0xF0 or more would read as a prefix.
  if (!flags && Instance->ClassName().size() >= 0xF0) throw EWriteError(u"Class name too long");
  WriteStr(Instance->ClassName());
  WriteStr(Instance->Name());
  FAncestor = ancestor;
  WriteProperties(Instance);
  WriteListEnd();
  if (!FIgnoreChildren) {
    std::vector<TComponent*> saved;
    saved.swap(FChildren);
    Instance->GetChildren(TGetChildProc(this, &TWriter::AddChildToWrite), FRoot);
    std::vector<TComponent*> children;
    children.swap(FChildren);
    FChildren.swap(saved);
    auto* ancestorComp = static_cast<TComponent*>(ancestor);
    for (TComponent* child : children) {
      // The child's ancestor is the ancestor's component of the same name.
      TComponent* childAncestor = nullptr;
      if (ancestorComp && FRootAncestor && !child->Name().empty()) {
        childAncestor = FRootAncestor->FindComponent(child->Name());
        if (childAncestor && childAncestor->ClassType() != child->ClassType()) childAncestor = nullptr;
      }
      FAncestor = childAncestor;
      WriteComponent(child);
    }
  }
  FAncestor = ancestor;
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* p : GetPropList(Instance))
    if (IsStoredProp(Instance, p)) WriteProperty(Instance, p);
  Instance->DefineProperties(this);
}

String TWriter::ReferenceName(TComponent* Value) {
  if (Value == FLookupRoot) return Value->Name();
  if (Value->Owner() == FLookupRoot) return Value->Name();
  if (Value->Owner() && !Value->Owner()->Name().empty() && !Value->Name().empty())
    return Value->Owner()->Name() + u"." + Value->Name();
  return String();
}

Boolean TWriter::CollectionsEqual(TCollection* A, TCollection* B) {
  // Both written in full, each with its own root for the reference names.
  auto bytesOf = [](TCollection* C, TComponent* Root) {
    std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
    std::unique_ptr<TWriter, TObjectFree> w(New<TWriter>(s.get(), 1024));
    w->FRoot = Root;
    w->FLookupRoot = Root;
    w->WriteCollection(C);
    return std::string(static_cast<const char*>(s->Memory()), static_cast<size_t>(s->Size()));
  };
  return bytesOf(A, FLookupRoot) == bytesOf(B, FRootAncestor ? FRootAncestor : FLookupRoot);
}

void TWriter::WriteCollection(TCollection* Value) {
  WriteValue(vaCollection);
  auto* ancestorColl = Is<TCollection>(FAncestor) ? static_cast<TCollection*>(FAncestor) : nullptr;
  String savedPath = FPropPath;
  TPersistent* savedAncestor = FAncestor;
  {
    Finally restore([&] {
      FPropPath = savedPath;
      FAncestor = savedAncestor;
    });
    FPropPath.clear();
    for (Integer i = 0; Value && i < Value->Count(); ++i) {
      WriteListBegin();
      TCollectionItem* item = Value->Items(i);
      FAncestor = ancestorColl && i < ancestorColl->Count() ? ancestorColl->Items(i) : nullptr;
      if (FAncestor && FAncestor->ClassType() != item->ClassType()) FAncestor = nullptr;
      WriteProperties(item);
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* PropInfo) {
  const TTypeInfo* type = PropInfo->PropType;
  if (!type || !PropInfo->Getter) return;
  TTypeKind kind = type->Kind;
  if (!PropInfo->Setter && kind != tkClass) return;
  TPersistent* ancestor = FAncestor;
  if (ancestor && ancestor->ClassType() != Instance->ClassType()) ancestor = nullptr;
  switch (kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet: {
      Int64 v = GetOrdProp(Instance, PropInfo);
      if (ancestor ? v == GetOrdProp(ancestor, PropInfo) : IsDefaultPropertyValue(Instance, PropInfo)) return;
      WritePropName(PropInfo->Name);
      if (kind == tkInteger) {
        // A Cardinal is written as its 32 bits, as the platform does (above
        // 2^31 as a negative Integer); the reader takes both forms.
        Integer bits = static_cast<Integer>(static_cast<Cardinal>(v));
        String ident;
        TIntToIdent map = FindIntToIdent(type);
        if (map && map(bits, ident)) WriteIdent(ident);
        else WriteInteger(bits);
      } else if (kind == tkChar || kind == tkWChar) {
        WriteChar(static_cast<Char>(v));
      } else if (kind == tkEnumeration) {
        if (type == TypeInfo<bool>()) WriteBoolean(v != 0);
        else WriteIdent(GetEnumName(type, static_cast<Integer>(v)));
      } else {
        WriteSet(type->CompType, v);
      }
      break;
    }
    case tkInt64: {
      Int64 v = GetInt64Prop(Instance, PropInfo);
      if (ancestor ? v == GetInt64Prop(ancestor, PropInfo) : IsDefaultPropertyValue(Instance, PropInfo)) return;
      WritePropName(PropInfo->Name);
      WriteInteger(v);
      break;
    }
    case tkFloat: {
      if (IsCurrencyProp(PropInfo)) {
        Currency v = GetCurrencyProp(Instance, PropInfo);
        if (ancestor ? v == GetCurrencyProp(ancestor, PropInfo) : IsDefaultPropertyValue(Instance, PropInfo)) return;
        WritePropName(PropInfo->Name);
        WriteCurrency(v);
        break;
      }
      double v = GetFloatProp(Instance, PropInfo);
      if (ancestor ? v == GetFloatProp(ancestor, PropInfo) : IsDefaultPropertyValue(Instance, PropInfo)) return;
      WritePropName(PropInfo->Name);
      if (type->FloatType == ftSingle) WriteSingle(static_cast<Single>(v));
      else if (IsDateType(type)) WriteDate(v);
      else WriteFloat(v);
      break;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
      String v = GetStrProp(Instance, PropInfo);
      if (ancestor ? v == GetStrProp(ancestor, PropInfo) : IsDefaultPropertyValue(Instance, PropInfo)) return;
      WritePropName(PropInfo->Name);
      if (kind == tkWString) WriteWideString(v);
      else WriteString(v);
      break;
    }
    case tkMethod: {
      TMethod m = GetMethodProp(Instance, PropInfo);
      String name = Assigned(m) && FLookupRoot ? MethodName(FLookupRoot->ClassType(), m.Code) : String();
      String ancestorName;
      bool ancestorAssigned = false;
      if (ancestor) {
        TMethod am = GetMethodProp(ancestor, PropInfo);
        ancestorAssigned = Assigned(am);
        if (ancestorAssigned && FRootAncestor) ancestorName = MethodName(FRootAncestor->ClassType(), am.Code);
      }
      if (name.empty()) {
        if (!ancestorAssigned) return;
        WritePropName(PropInfo->Name);
        WriteValue(vaNil);
      } else {
        if (ancestorAssigned && SameText(name, ancestorName)) return;
        WritePropName(PropInfo->Name);
        WriteIdent(name);
      }
      break;
    }
    case tkVariant: {
      Variant v = GetVariantProp(Instance, PropInfo);
      if (ancestor) {
        Variant av = GetVariantProp(ancestor, PropInfo);
        bool same = false;
        try {
          same = VarType(v) == VarType(av) && (VarIsClear(v) || VarIsNull(v) || v == av);
        } catch (const Exception&) {
        }
        if (same) return;
      } else if (IsDefaultPropertyValue(Instance, PropInfo)) {
        return;
      }
      WritePropName(PropInfo->Name);
      WriteVariant(v);
      break;
    }
    case tkClass: {
      TObject* obj = GetObjectProp(Instance, PropInfo);
      TObject* ancestorObj = ancestor ? GetObjectProp(ancestor, PropInfo) : nullptr;
      if (Is<TComponent>(obj) || (!obj && PropInfo->Setter)) {
        // A reference to a component, written by name.
        if (!PropInfo->Setter) return;
        auto* comp = static_cast<TComponent*>(obj);
        String name = comp ? ReferenceName(comp) : String();
        if (comp && name.empty()) return;
        if (ancestor) {
          auto* ac = Is<TComponent>(ancestorObj) ? static_cast<TComponent*>(ancestorObj) : nullptr;
          String an = ac ? (ac->Owner() == FRootAncestor || ac == FRootAncestor ? ac->Name() : ReferenceName(ac))
                         : String();
          if (!comp && !ac) return;
          if (comp && ac && SameText(name, an)) return;
        } else if (!comp) {
          return;
        }
        WritePropName(PropInfo->Name);
        if (comp) WriteIdent(name);
        else WriteValue(vaNil);
      } else if (Is<TCollection>(obj)) {
        auto* coll = static_cast<TCollection*>(obj);
        auto* ac = Is<TCollection>(ancestorObj) ? static_cast<TCollection*>(ancestorObj) : nullptr;
        if (ancestor ? (ac && CollectionsEqual(coll, ac)) : coll->Count() == 0) return;
        WritePropName(PropInfo->Name);
        TPersistent* saved = FAncestor;
        Finally restore([&] { FAncestor = saved; });
        FAncestor = ac;
        WriteCollection(coll);
      } else if (Is<TPersistent>(obj)) {
        // A sub-object: its properties inline, named Prop.Sub.
        String savedPath = FPropPath;
        TPersistent* saved = FAncestor;
        Finally restore([&] {
          FPropPath = savedPath;
          FAncestor = saved;
        });
        FPropPath = FPropPath + PropInfo->Name + u".";
        FAncestor = Is<TPersistent>(ancestorObj) ? static_cast<TPersistent*>(ancestorObj) : nullptr;
        WriteProperties(static_cast<TPersistent*>(obj));
      }
      break;
    }
    default:
      break;
  }
}

// --- Stream helpers -----------------------------------------------------------

TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance) {
  std::unique_ptr<TReader, TObjectFree> reader(New<TReader>(Stream, 4096));
  return reader->ReadRootComponent(Instance);
}

void WriteComponentToStream(TStream* Stream, TComponent* Instance) { WriteDescendentToStream(Stream, Instance, nullptr); }

void WriteDescendentToStream(TStream* Stream, TComponent* Instance, TComponent* Ancestor) {
  std::unique_ptr<TWriter, TObjectFree> writer(New<TWriter>(Stream, 4096));
  writer->WriteDescendent(Instance, Ancestor);
}
