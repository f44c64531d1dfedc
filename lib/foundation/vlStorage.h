// Property storage: TvlStorage walks an object tree (its properties, found
// through the published members or asked of the object, and its stored
// children) and stores it to, or restores it from, an INI file, a registry
// key or a stream through a reader or writer of that medium.
//
// Object paths are names joined by "/", the root first ("twGrid/Column1").
#pragma once

#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/Variants.h"

class TStream;
class TStrings;
class TStringList;
class TMemIniFile;
class TRegistry;

// --- Interfaces an object may answer -----------------------------------------------------

class IvlStoredPropertiesProvider : public virtual IInterface {
  CL_INTERFACE(IvlStoredPropertiesProvider, "{79A05009-CAC3-47E8-B454-F6F3D91F495D}")
 public:
  virtual String GetStoredObjectName() = 0;
  // False: use the published properties instead.
  virtual Boolean GetStoredProperties(TStrings* AProperties) = 0;
  virtual Variant GetStoredPropertyValue(const String& AName) = 0;
  virtual void SetStoredPropertyValue(const String& AName, const Variant& AValue) = 0;
};

class IvlStoredChildrenProvider : public virtual IInterface {
  CL_INTERFACE(IvlStoredChildrenProvider, "{6AF48CD0-3A0B-4BEC-AC88-5D323432A686}")
 public:
  virtual TObject* CreateStoredChild(const String& AObjectName, const String& AClassName) = 0;
  virtual void DeleteStoredChild(const String& AObjectName, TObject* AObject) = 0;
  // Names with their objects.
  virtual void GetStoredChildren(TStringList* AChildren) = 0;
};

// --- Readers and writers ----------------------------------------------------------------------

class TvlCustomReader : public TObject {
  CL_CLASS(TvlCustomReader, TObject)
 public:
  virtual Boolean IsReadable() { return true; }
  virtual void AssignStream(TStream* AStream) { FStorageStream = AStream; }
  virtual void StartRead() {}
  virtual void FinishRead() {}
  virtual void Create(const String& AStorageName);
  virtual void Create(const String& AStorageName, TStream* AStream);
  // The names of the stored properties of the object at APath.
  virtual void ReadProperties(const String& AObjectFullName, const String& AClassName, TStrings* AProperties) {}
  // Empty when there is no such value.
  virtual Variant ReadProperty(const String& AObjectFullName, const String& AClassName, const String& AName);
  // The class names and names of the object's stored children, in storage order.
  virtual void ReadChildren(const String& AObjectFullName, const String& AClassName, TStrings* AChildrenClassNames,
                            TStrings* AChildrenNames) {}

  Integer StorageVersion() const { return FStorageVersion; }
  const String& StorageName() const { return FStorageName; }
  TStream* StorageStream() const { return FStorageStream; }

 protected:
  Integer FStorageVersion{};
  String FStorageName;
  TStream* FStorageStream{};
};
using TvlCustomReaderClass = TClassOf<TvlCustomReader>;

class TvlCustomWriter : public TObject {
  CL_CLASS(TvlCustomWriter, TObject)
 public:
  virtual Boolean IsWritable() { return true; }
  virtual void AssignStream(TStream* AStream) { FStorageStream = AStream; }
  virtual void StartWrite() {}
  virtual void FinishWrite() {}
  virtual void Create(const String& AStorageName, Boolean AReCreate);
  virtual void Create(const String& AStorageName, Boolean AReCreate, TStream* AStream);
  virtual void BeginWriteObject(const String& AObjectFullName, const String& AClassName) {}
  virtual void EndWriteObject(const String& AObjectFullName, const String& AClassName) {}
  virtual void WriteProperty(const String& AObjectFullName, const String& AClassName, const Variant& AValue,
                             const String& AName) {}

  Boolean ReCreate() const { return FReCreate; }
  const String& StorageName() const { return FStorageName; }
  TStream* StorageStream() const { return FStorageStream; }
  // A different stream goes through AssignStream.
  void SetStorageStream(TStream* Value);

 protected:
  Boolean FReCreate{};
  String FStorageName;
  TStream* FStorageStream{};
};
using TvlCustomWriterClass = TClassOf<TvlCustomWriter>;

// An INI file (UTF-8 with a byte-order mark): a section "Main" with the
// version, and one section "<path>: <class>" per object.
class TvlIniFileReader : public TvlCustomReader {
  CL_CLASS(TvlIniFileReader, TvlCustomReader)
 public:
  using inherited::Create;
  Boolean IsReadable() override;
  void StartRead() override;
  void Create(const String& AStorageName, TStream* AStream) override;
  void Destroy() override;
  void ReadProperties(const String& AObjectFullName, const String& AClassName, TStrings* AProperties) override;
  Variant ReadProperty(const String& AObjectFullName, const String& AClassName, const String& AName) override;
  void ReadChildren(const String& AObjectFullName, const String& AClassName, TStrings* AChildrenClassNames,
                    TStrings* AChildrenNames) override;

 private:
  struct TSectionName {
    String Parent, Name, ClassName, Section;
  };
  void SplitSections();
  TMemIniFile* FIniFile{};
  std::vector<TSectionName> FSections;
  Boolean FSectionsSplit{};
};

class TvlIniFileWriter : public TvlCustomWriter {
  CL_CLASS(TvlIniFileWriter, TvlCustomWriter)
 public:
  using inherited::Create;
  void StartWrite() override;
  void FinishWrite() override;
  void Create(const String& AStorageName, Boolean AReCreate, TStream* AStream) override;
  void Destroy() override;
  void BeginWriteObject(const String& AObjectFullName, const String& AClassName) override;
  void WriteProperty(const String& AObjectFullName, const String& AClassName, const Variant& AValue,
                     const String& AName) override;

 private:
  TMemIniFile* FIniFile{};
};

// A registry key under HKEY_CURRENT_USER: one key per object with a
// "[ClassName]" subkey naming its class.
class TvlRegistryReader : public TvlCustomReader {
  CL_CLASS(TvlRegistryReader, TvlCustomReader)
 public:
  using inherited::Create;
  void Create(const String& AStorageName, TStream* AStream) override;
  void Destroy() override;
  void ReadProperties(const String& AObjectFullName, const String& AClassName, TStrings* AProperties) override;
  Variant ReadProperty(const String& AObjectFullName, const String& AClassName, const String& AName) override;
  void ReadChildren(const String& AObjectFullName, const String& AClassName, TStrings* AChildrenClassNames,
                    TStrings* AChildrenNames) override;

 private:
  Boolean OpenObjectKey(const String& AObjectFullName);
  TRegistry* FRegistry{};
  String FObjectKey;
};

class TvlRegistryWriter : public TvlCustomWriter {
  CL_CLASS(TvlRegistryWriter, TvlCustomWriter)
 public:
  using inherited::Create;
  void Create(const String& AStorageName, Boolean AReCreate, TStream* AStream) override;
  void Destroy() override;
  void BeginWriteObject(const String& AObjectFullName, const String& AClassName) override;
  void EndWriteObject(const String& AObjectFullName, const String& AClassName) override;
  void WriteProperty(const String& AObjectFullName, const String& AClassName, const Variant& AValue,
                     const String& AName) override;

 private:
  TRegistry* FRegistry{};
  Boolean FRootOpened{};
};

// A stream in the form-streaming value encoding: one object record (name,
// class name, properties with a type tag each, children), depth first.
struct TvlStreamObject;

class TvlStreamReader : public TvlCustomReader {
  CL_CLASS(TvlStreamReader, TvlCustomReader)
 public:
  Boolean IsReadable() override;
  void AssignStream(TStream* AStream) override;
  void StartRead() override;
  void Destroy() override;
  void ReadProperties(const String& AObjectFullName, const String& AClassName, TStrings* AProperties) override;
  Variant ReadProperty(const String& AObjectFullName, const String& AClassName, const String& AName) override;
  void ReadChildren(const String& AObjectFullName, const String& AClassName, TStrings* AChildrenClassNames,
                    TStrings* AChildrenNames) override;

 private:
  TvlStreamObject* FindObject(const String& AObjectFullName);
  TvlStreamObject* FRoot{};
  String FLastPath;
  TvlStreamObject* FLastObject{};
};

class TvlStreamWriter : public TvlCustomWriter {
  CL_CLASS(TvlStreamWriter, TvlCustomWriter)
 public:
  Boolean IsWritable() override;
  void AssignStream(TStream* AStream) override;
  // Drops what a store that failed before finishing left collected.
  void StartWrite() override;
  void FinishWrite() override;
  void Destroy() override;
  void BeginWriteObject(const String& AObjectFullName, const String& AClassName) override;
  void WriteProperty(const String& AObjectFullName, const String& AClassName, const Variant& AValue,
                     const String& AName) override;

 private:
  TvlStreamObject* FRoot{};
  TvlStreamObject* FCurrent{};
};

// --- TvlStorage -------------------------------------------------------------------------------

CL_ENUM(TvlStorageMode, Byte, smChildrenCreating, smChildrenDeleting, smSavePublishedClassProperties)
using TvlStorageModes = TSet<TvlStorageMode, 1>;

using TvlStorageGetModesEvent = TDelegate<TvlStorageModes(TObject* Sender)>;
using TvlStorageGetComponentByNameEvent = TDelegate<TComponent*(TObject* Sender, const String& AObjectName)>;
using TvlStorageTestClassPropertyEvent =
    TDelegate<Boolean(TObject* Sender, const String& AName, TObject* AObject)>;
using TvlStorageGetUseInterfaceOnlyEvent = TDelegate<Boolean(TObject* Sender)>;

class TvlStorage : public TObject {
  CL_CLASS(TvlStorage, TObject)
 public:
  void Create(const String& AStorageName, TStream* AStream);
  void Create(const String& AStorageName);
  void Create(TStream* AStream);

  virtual void RestoreObject(TvlCustomReader* AReader, const String& AObjectName);
  virtual void StoreObject(TvlCustomWriter* AWriter, const String& AObjectName);
  virtual void RestoreFrom(TObject* AObject, TvlCustomReaderClass AReaderClass);
  virtual void RestoreWithExistingReader(TObject* AObject, TvlCustomReader* AReader);
  virtual void StoreTo(TObject* AObject, TvlCustomWriterClass AWriterClass);
  virtual void StoreWithExistingWriter(TObject* AObject, TvlCustomWriter* AWriter);

  void RestoreFromIni(TObject* AObject);
  void RestoreFromRegistry(TObject* AObject);
  void RestoreFromStream(TObject* AObject);
  void StoreToIni(TObject* AObject);
  void StoreToRegistry(TObject* AObject);
  void StoreToStream(TObject* AObject);

  const String& NamePrefix() const { return FNamePrefix; }
  void SetNamePrefix(const String& Value) { FNamePrefix = Value; }
  TvlStorageModes Modes() const { return FModes; }
  void SetModes(TvlStorageModes Value) { FModes = Value; }
  const String& ObjectNamePrefix() const { return FObjectNamePrefix; }
  void SetObjectNamePrefix(const String& Value) { FObjectNamePrefix = Value; }
  Boolean ReCreate() const { return FReCreate; }
  void SetReCreate(Boolean Value) { FReCreate = Value; }
  const String& StorageName() const { return FStorageName; }
  void SetStorageName(const String& Value) { FStorageName = Value; }
  TStream* Stream() const { return FStream; }
  void SetStream(TStream* Value) { FStream = Value; }
  TObject* StoredObject() const { return FStoredObject; }
  void SetStoredObject(TObject* Value) { FStoredObject = Value; }
  Boolean SaveComponentPropertiesByName() const { return FSaveComponentPropertiesByName; }
  void SetSaveComponentPropertiesByName(Boolean Value) { FSaveComponentPropertiesByName = Value; }
  Boolean UseInterfaceOnly() const { return FUseInterfaceOnly; }
  void SetUseInterfaceOnly(Boolean Value) { FUseInterfaceOnly = Value; }

  const TvlStorageGetModesEvent& OnGetStorageModes() const { return FOnGetStorageModes; }
  void SetOnGetStorageModes(const TvlStorageGetModesEvent& Value) { FOnGetStorageModes = Value; }
  const TvlStorageGetComponentByNameEvent& OnGetComponentByName() const { return FOnGetComponentByName; }
  void SetOnGetComponentByName(const TvlStorageGetComponentByNameEvent& Value) { FOnGetComponentByName = Value; }
  const TvlStorageTestClassPropertyEvent& OnTestClassProperty() const { return FOnTestClassProperty; }
  void SetOnTestClassProperty(const TvlStorageTestClassPropertyEvent& Value) { FOnTestClassProperty = Value; }
  const TvlStorageGetUseInterfaceOnlyEvent& OnGetUseInterfaceOnly() const { return FOnGetUseInterfaceOnly; }
  void SetOnGetUseInterfaceOnly(const TvlStorageGetUseInterfaceOnlyEvent& Value) {
    FOnGetUseInterfaceOnly = Value;
  }

 private:
  TvlStorageModes GetModes();
  Boolean GetUseInterfaceOnly();
  String GetObjectName(const String& AObjectName);
  void ListStoredProperties(TStrings* AProperties);
  // Names with objects.
  void ListStoredChildren(TStringList* AChildren);
  Variant ReadPropertyValue(const String& AName);
  // Sets the property from the value; with AApply false only converts it
  // (raising as setting would) and sets nothing.
  void WritePropertyValue(const String& AName, const Variant& AValue, Boolean AApply = true);
  TvlStorage* NewChildStorage(TObject* AChild, const String& AObjectPath);

  String FNamePrefix;
  TvlStorageModes FModes{};
  String FObjectNamePrefix;
  Boolean FReCreate{};
  String FStorageName;
  TStream* FStream{};
  TObject* FStoredObject{};
  Boolean FSaveComponentPropertiesByName{};
  Boolean FUseInterfaceOnly{};
  TvlStorageGetModesEvent FOnGetStorageModes;
  TvlStorageGetComponentByNameEvent FOnGetComponentByName;
  TvlStorageTestClassPropertyEvent FOnTestClassProperty;
  TvlStorageGetUseInterfaceOnlyEvent FOnGetUseInterfaceOnly;
};

// "Hex:" and the stream's whole content in upper-case hexadecimal ("" for
// nil or an empty stream).
String vlStreamToHexText(TStream* AStream);
// The bytes of the hexadecimal text after "Hex:" (nothing for nil or a text
// of 5 characters or fewer).
void vlHexTextToStream(const String& AText, TStream* AStream);
// "TRUE"/"FALSE" in any case; EPropertyConvertError otherwise.
Boolean vlTextToBoolean(const String& AText);
