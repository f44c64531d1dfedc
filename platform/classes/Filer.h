// Component streaming in the binary form format: the value encoding, TFiler,
// TReader and TWriter.
#pragma once

#include <vector>

#include "platform/classes/Delegates.h"
#include "platform/classes/ObjectModel.h"
#include "platform/rtl/Types.h"

class TStream;
class TPersistent;
class TComponent;
class TCollection;
class Currency;
class Variant;
struct TPropInfo;
struct TTypeInfo;

// The value tags of the binary form format, with their byte values.
enum TValueType : Byte {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
  vaDouble = 21,
};
constexpr Byte vaLast = vaDouble;

// Flags of a component header (prefix byte 0xF0 | flags).
enum TFilerFlag : Byte { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

// The signature at the start of a binary form stream.
constexpr char FilerSignature[4] = {'T', 'P', 'F', '0'};

namespace form_values {

// Appends a string value by the writer's rule: when the UTF-8 form is shorter
// than the UTF-16 form, ASCII text as vaString (up to 255 bytes) or vaLString,
// other text as vaUTF8String; otherwise vaWString (length in code units). Text
// holding an unpaired surrogate, which UTF-8 cannot carry, is written as
// vaWString.
void AppendString(RawByteString& Out, const String& Value);
// Appends an integer in the smallest of vaInt8/vaInt16/vaInt32, else vaInt64.
void AppendInteger(RawByteString& Out, Int64 Value);
// Appends a short string (1-byte length); EWriteError when longer than 255.
void AppendShortString(RawByteString& Out, const UTF8String& Value);
// The text of 8-bit string values (vaString, vaLString): bytes in the system
// code page.
String DecodeAnsi(const RawByteString& Bytes);

}  // namespace form_values

class TFiler;
class TReader;
class TWriter;

using TReaderProc = TDelegate<void(TReader* Reader)>;
using TWriterProc = TDelegate<void(TWriter* Writer)>;
using TStreamProc = TDelegate<void(TStream* Stream)>;
// Lets the reader's owner rename a component read (OnSetName).
using TSetNameEvent = TDelegate<void(TReader* Reader, TComponent* Component, String& Name)>;

// The common part of the reader and the writer: the stream, the root being
// streamed, its ancestor, and the declaration of defined properties.
class TFiler : public TObject {
  CL_CLASS(TFiler, TObject)
 public:
  // BufSize is accepted for the platform's shape; values go straight to the stream.
  void Create(TStream* Stream, Integer BufSize);

  // A property that is not published: ReadData or WriteData streams its value;
  // HasData tells the writer whether to write it.
  virtual void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, Boolean HasData);
  // The same for a value kept as binary data (vaBinary).
  virtual void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    Boolean HasData);
  virtual void FlushBuffer() {}

  TStream* Stream() const { return FStream; }
  TComponent* Root() const { return FRoot; }
  virtual void SetRoot(TComponent* Value) { FRoot = Value; }
  TComponent* LookupRoot() const { return FLookupRoot; }
  // While writing: the ancestor object of the one being written (nil when none).
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  Boolean IgnoreChildren() const { return FIgnoreChildren; }
  void SetIgnoreChildren(Boolean Value) { FIgnoreChildren = Value; }

 protected:
  TStream* FStream{};
  TComponent* FRoot{};
  TComponent* FLookupRoot{};
  TPersistent* FAncestor{};
  Boolean FIgnoreChildren{};
};

// Reads components and values in the binary form format.
class TReader : public TFiler {
  CL_CLASS(TReader, TFiler)
 public:
  void Destroy() override;

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, Boolean HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                            Boolean HasData) override;

  // Reads "TPF0" and a component into Root (created from its class name when
  // nil), with csLoading and csReading set; then fixes up references and
  // events by name and calls Loaded for every component read, the root first.
  // On an error every component created here is freed.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component (prefix, class, name, properties, children) into
  // Component, or a new one owned by Owner() and parented to Parent().
  TComponent* ReadComponent(TComponent* Component);
  // The properties and children of Instance (TComponent::ReadState calls it).
  void ReadData(TComponent* Instance);
  void ReadCollection(TCollection* Collection);
  void ReadSignature();
  void ReadPrefix(Byte& Flags, Integer& AChildPos);

  // Values.
  TValueType ReadValue();
  TValueType NextValue();
  Boolean EndOfList();
  void CheckValue(TValueType Value);
  void SkipValue();
  void ReadListBegin();
  void ReadListEnd();
  Boolean ReadBoolean();
  Char ReadChar();
  WideChar ReadWideChar();
  Integer ReadInteger();
  Int64 ReadInt64();
  // Any float or integer value, as a double (the 10-byte extended is narrowed).
  double ReadFloat();
  Single ReadSingle();
  double ReadDouble();
  Currency ReadCurrency();
  TDateTime ReadDate();
  // An identifier; False, True, nil and Null are read as those words.
  String ReadIdent();
  // A short string (the names of the format).
  String ReadStr();
  // Any string value.
  String ReadString();
  WideString ReadWideString();
  // A set of elements of the enumeration ElemType, as its bits.
  Int64 ReadSet(const TTypeInfo* ElemType);
  // nil is Unassigned, Null is Null, a list is a variant array (0..n-1).
  Variant ReadVariant();
  // Reads raw bytes.
  void Read(void* Buf, Integer Count);

  // Resolves the references and events read so far; names of other roots are
  // looked up through FindGlobalComponent, and those not found yet wait for
  // the next root read.
  void FixupReferences();

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }
  // The name of the property being read.
  const String& PropName() const { return FPropName; }
  Int64 Position();

  TSetNameEvent OnSetName;

 private:
  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    String Name;
    Boolean IsMethod;
    TComponent* Component;  // the component being read when it was met
  };

  void ReadProperty(TPersistent* AInstance);
  void ReadPropValue(TPersistent* Instance, const TPropInfo* PropInfo);
  TClass FindComponentClass(const String& ClassName);
  [[noreturn]] void PropValueError();
  Int64 ReadIntegerOf(const TTypeInfo* Type);
  [[noreturn]] void PropertyError(const String& Name);
  void EnterNesting();
  void FreeCreated(TComponent* Component);

  TComponent* FOwner{};
  TComponent* FParent{};
  String FPropName;
  Integer FPropDepth{};
  Integer FNesting{};
  TComponent* FCurrent{};
  std::vector<TComponent*> FLoaded;
  std::vector<TFixup> FFixups;
};

// Writes components and values in the binary form format.
class TWriter : public TFiler {
  CL_CLASS(TWriter, TFiler)
 public:
  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, Boolean HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                            Boolean HasData) override;

  void WriteRootComponent(TComponent* Root);
  // Writes Root, and of each property only what differs from Ancestor (an
  // instance of the same class, or nil for defaults).
  void WriteDescendent(TComponent* Root, TComponent* AAncestor);
  void WriteComponent(TComponent* Component);
  // The header, properties and children of Instance (TComponent::WriteState calls it).
  void WriteData(TComponent* Instance);
  void WriteCollection(TCollection* Value);
  void WriteProperties(TPersistent* Instance);
  void WriteSignature();
  void WritePrefix(Byte Flags, Integer AChildPos);

  // Values.
  void WriteValue(TValueType Value);
  void WriteListBegin();
  void WriteListEnd();
  void WriteBoolean(Boolean Value);
  void WriteChar(Char Value);
  void WriteWideChar(WideChar Value);
  // In the smallest of vaInt8/16/32, else vaInt64.
  void WriteInteger(Int64 Value);
  // As the 10-byte extended.
  void WriteFloat(double Value);
  void WriteSingle(Single Value);
  void WriteDouble(double Value);
  void WriteCurrency(Currency Value);
  void WriteDate(TDateTime Value);
  // An identifier; False, True, nil and Null become their own value types.
  void WriteIdent(const String& Ident);
  void WriteStr(const String& Value);
  // By the string rule (see form_values::AppendString).
  void WriteString(const String& Value);
  void WriteWideString(const WideString& Value);
  void WriteUTF8Str(const String& Value);
  void WriteSet(const TTypeInfo* ElemType, Int64 Bits);
  // Unassigned as nil, Null as Null, arrays as lists; EWriteError for the
  // kinds a form cannot hold (custom types, interfaces).
  void WriteVariant(const Variant& Value);
  void Write(const void* Buf, Integer Count);

  TComponent* RootAncestor() const { return FRootAncestor; }
  const String& PropPath() const { return FPropPath; }
  Int64 Position();

 private:
  void WriteBytes(const RawByteString& Bytes);
  void WritePropName(const String& PropName);
  void WriteProperty(TPersistent* Instance, const TPropInfo* PropInfo);
  void AddChildToWrite(TComponent* Child);
  Boolean CollectionsEqual(TCollection* A, TCollection* B);
  String ReferenceName(TComponent* Value);

  TComponent* FRootAncestor{};
  String FPropPath;
  std::vector<TComponent*> FChildren;
};

// Reads and writes a component at a stream's position (the platform's
// TStream.ReadComponent/WriteComponent/WriteDescendent).
TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance);
void WriteComponentToStream(TStream* Stream, TComponent* Instance);
void WriteDescendentToStream(TStream* Stream, TComponent* Instance, TComponent* Ancestor);

// Drops the waiting references held by Obj, by the component Obj, or by the
// components of the root Obj (the destructors of components and collection
// items call it).
void RemoveFixupReferences(TPersistent* Obj);
// Retries the references to other roots that were not found yet.
void GlobalFixupReferences();

// Reading several streams into one root (an inherited form and its
// ancestors): between BeginGlobalLoading and EndGlobalLoading the readers
// collect the components they read instead of calling Loaded;
// NotifyGlobalLoading then calls Loaded once for each, in reading order.
// Calls nest; the outermost pair owns the list.
void BeginGlobalLoading();
void NotifyGlobalLoading();
void EndGlobalLoading();
