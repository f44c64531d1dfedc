// Binary translation files: the file manager and the localization
// component's binary save and load operations.
#include "localization/qlBinFiles.h"

#include <cstring>
#include <memory>

#include "localization/qlDispatcher.h"
#include "localization/qlHelpers.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

const char qlBinaryFileHeader[42] = "QLB file: TqlLang binary translation data";

CL_IMPLEMENT_CLASS(TQLBFileManager)

namespace {

using TStreamPtr = std::unique_ptr<TStream, TObjectFree>;
using TListPtr = std::unique_ptr<TStringList, TObjectFree>;

// More languages than this in one stored component is taken for damage:
// every language costs a name and a column in every line.
constexpr Int64 kMaxLanguages = 1024;

[[noreturn]] void BadFile(const String& Why) { throw Exception(u"Invalid binary translation file: " + Why); }

Word ReadWord(TStream* S) {
  Byte b[2];
  S->ReadBuffer(b, 2);
  return Word(b[0] | (b[1] << 8));
}

Integer ReadInt(TStream* S) {
  Byte b[4];
  S->ReadBuffer(b, 4);
  return Integer(Cardinal(b[0]) | (Cardinal(b[1]) << 8) | (Cardinal(b[2]) << 16) | (Cardinal(b[3]) << 24));
}

void WriteWord(TStream* S, Word V) {
  const Byte b[2] = {Byte(V & 0xFF), Byte(V >> 8)};
  S->WriteBuffer(b, 2);
}

void WriteInt(TStream* S, Integer V) {
  const Cardinal u = Cardinal(V);
  const Byte b[4] = {Byte(u), Byte(u >> 8), Byte(u >> 16), Byte(u >> 24)};
  S->WriteBuffer(b, 4);
}

Int64 Remaining(TStream* S) { return S->Size() - S->Position(); }

// Count bytes of the stream, which must hold them.
RawByteString ReadBytes(TStream* S, Int64 Count) {
  if (Count > Remaining(S)) BadFile(u"a length runs past the end of the file");
  RawByteString bytes(size_t(Count), '\0');
  if (Count > 0) S->ReadBuffer(bytes.data(), Integer(Count));
  return bytes;
}

Word CheckedLength(size_t Length, const char16_t* What) {
  if (Length > 0xFFFF) throw Exception(String(u"Binary translation file: ") + What + u" is longer than 65535 bytes");
  return Word(Length);
}

// One directory entry: the owner class name and the component's offset.
struct TEntry {
  String Owner;
  Int64 Offset{};
};

TEntry ReadEntry(TStream* S) {
  TEntry e;
  const Word n = ReadWord(S);
  e.Owner = AnsiToString(AnsiString(ReadBytes(S, n)));
  e.Offset = ReadInt(S);
  return e;
}

// Checks the component stream at Offset before anything is created from
// it: the format's signature, one component of a localization class with
// properties only (no components inside), at most kMaxLanguages languages.
// Answers the streamed class; the stream is left at Offset.
TClass CheckComponentStream(TStream* S, Int64 Offset, Int64 DataStart, const String& Owner) {
  if (Offset < DataStart || Offset >= S->Size()) BadFile(u"the component of \"" + Owner + u"\" lies outside the file");
  S->SetPosition(Offset);
  std::unique_ptr<TReader, TObjectFree> reader(New<TReader>(S, 4096));
  reader->ReadSignature();
  Byte flags = 0;
  Integer childPos = 0;
  reader->ReadPrefix(flags, childPos);
  const String className = reader->ReadStr();
  reader->ReadStr();
  while (!reader->EndOfList()) {
    const String prop = reader->ReadStr();
    if (SameText(prop, u"NumOfLanguages")) {
      const Int64 n = reader->ReadInt64();
      if (n > kMaxLanguages) BadFile(u"the component of \"" + Owner + u"\" has too many languages");
    } else {
      reader->SkipValue();
    }
  }
  reader->ReadListEnd();
  if (!reader->EndOfList()) BadFile(u"the component of \"" + Owner + u"\" holds other components");
  reader->ReadListEnd();
  TClass cls = GetClass(className);
  if (!cls || !cls->InheritsFrom(TqlCustomLang::StaticClass()))
    BadFile(u"\"" + className + u"\" is not a localization component class");
  S->SetPosition(Offset);
  return cls;
}

String OwnerClassOf(TComponent* C) { return C && C->Owner() ? C->Owner()->ClassName() : String(); }

}  // namespace

// --- The manager ----------------------------------------------------------------------------

void TQLBFileManager::Create() {
  inherited::Create();
  FOwners = New<TStringList>();
  FQlbHeader.assign(qlBinaryFileHeader, sizeof(qlBinaryFileHeader));
  FFixedLanguages = New<TStringList>();
  FFixedLanguages->SetSorted(true);
  FFixedLanguages->SetDuplicates(dupIgnore);
  CommentsFileName.clear();
}

void TQLBFileManager::CreateByName(const String& AFileName) {
  Create();
  if (FileExists(AFileName)) ReadAllFromFile(AFileName);
}

void TQLBFileManager::Destroy() {
  if (FOwners) Clear();
  FreeAndNil(FOwners);
  FreeAndNil(FFixedLanguages);
  inherited::Destroy();
}

Integer TQLBFileManager::CompCount() const { return Integer(FList.size()); }
TComponent* TQLBFileManager::Components(Integer Index) const { return FList[size_t(Index)].Comp; }

void TQLBFileManager::Clear() {
  FOwners->Clear();
  for (const TItem& item : FList)
    if (item.Owned) Free(item.Comp);
  FList.clear();
}

Integer TQLBFileManager::Add(TComponent* AComp) {
  if (AComp->Owner()) {
    const String cls = AComp->Owner()->ClassName();
    for (size_t i = 0; i < FList.size(); ++i) {
      if (!SameText(FOwners->Strings(Integer(i)), cls)) continue;
      TItem old = FList[i];
      FList[i] = TItem{AComp, false};
      if (old.Owned && old.Comp != AComp) Free(old.Comp);
      return CompCount() - 1;
    }
  }
  FList.push_back(TItem{AComp, false});
  FOwners->Add(OwnerClassOf(AComp));
  return CompCount() - 1;
}

void TQLBFileManager::Remove(Integer Index) {
  if (FList[size_t(Index)].Owned) Free(FList[size_t(Index)].Comp);
  FList.erase(FList.begin() + Index);
  FOwners->Delete(Index);
}

void TQLBFileManager::Move(Integer FromIndex, Integer ToIndex) {
  TItem item = FList[size_t(FromIndex)];
  FList.erase(FList.begin() + FromIndex);
  FList.insert(FList.begin() + ToIndex, item);
  FOwners->Move(FromIndex, ToIndex);
}

void TQLBFileManager::SetFixedLanguages(TStringList* Value) {
  if (Value == FFixedLanguages) return;
  Free(FFixedLanguages);
  FFixedLanguages = Value;
}

void TQLBFileManager::SaveToFile(const String& AFileName) {
  // Written in memory first and then as a whole, so that a failure leaves
  // the file as it was.
  std::unique_ptr<TMemoryStream, TObjectFree> data(New<TMemoryStream>());
  SaveToStream(data.get());
  ql_internal::ReplaceFile(AFileName, data.get());
}

void TQLBFileManager::SaveToStream(TStream* AStream) {
  AStream->WriteBuffer(FQlbHeader.data(), Integer(FQlbHeader.size()));
  WriteWord(AStream, CheckedLength(FList.size(), u"the directory"));
  String fixed;
  for (Integer i = 0; i < FFixedLanguages->Count(); ++i) fixed += FFixedLanguages->Strings(i) + u"\r\n";
  const AnsiString fixedBytes = StringToAnsi(fixed);
  // 8-bit text of the system code page: a name it cannot hold would be
  // written as question marks.
  if (AnsiToString(fixedBytes) != fixed)
    for (Integer i = 0; i < FFixedLanguages->Count(); ++i) {
      const String name = FFixedLanguages->Strings(i);
      if (AnsiToString(StringToAnsi(name)) != name)
        throw Exception(u"Binary translation file: the fixed language \"" + name +
                        u"\" cannot be written in the system code page");
    }
  WriteWord(AStream, CheckedLength(fixedBytes.size(), u"the fixed-language text"));
  if (!fixedBytes.empty()) AStream->WriteBuffer(fixedBytes.data(), Integer(fixedBytes.size()));
  std::vector<Int64> places;
  for (size_t i = 0; i < FList.size(); ++i) {
    const AnsiString name = StringToAnsi(FOwners->Strings(Integer(i)));
    if (AnsiToString(name) != FOwners->Strings(Integer(i)))
      throw Exception(u"Binary translation file: the class name \"" + FOwners->Strings(Integer(i)) +
                      u"\" cannot be written in the system code page");
    WriteWord(AStream, CheckedLength(name.size(), u"an owner class name"));
    if (!name.empty()) AStream->WriteBuffer(name.data(), Integer(name.size()));
    places.push_back(AStream->Position());
    WriteInt(AStream, 0);
  }
  std::vector<Int64> offsets;
  for (const TItem& item : FList) {
    offsets.push_back(AStream->Position());
    // The dispatcher link is never stored.
    auto* lang = dynamic_cast<TqlCustomLang*>(item.Comp);
    TqlLangDispatcher* dispatcher = lang ? lang->FLangDispatcher : nullptr;
    if (lang) lang->FLangDispatcher = nullptr;
    Finally restore([&] {
      if (lang) lang->FLangDispatcher = dispatcher;
    });
    WriteComponentToStream(AStream, item.Comp);
  }
  const Int64 end = AStream->Position();
  for (size_t i = 0; i < places.size(); ++i) {
    if (offsets[i] > MaxInt) throw Exception(u"Binary translation file: the file is larger than 2 GB");
    AStream->SetPosition(places[i]);
    WriteInt(AStream, Integer(offsets[i]));
  }
  AStream->SetPosition(end);
  WriteWord(AStream, CheckedLength(CommentsFileName.size() * 2, u"the comments file name"));
  if (!CommentsFileName.empty()) {
    const RawByteString text = EncodeText(CommentsFileName, TTextEncoding::UTF16LE, false);
    AStream->WriteBuffer(text.data(), Integer(text.size()));
  }
}

// The header, checked byte for byte, then C and the fixed languages. The
// header is read up to its NUL, never past the third-to-last byte.
void TQLBFileManager::ReadHeader(TStream* AStream) {
  AStream->SetPosition(0);
  RawByteString header;
  const Int64 limit = AStream->Size() - 2;
  while (AStream->Position() < limit && header.size() < sizeof(qlBinaryFileHeader)) {
    char c = 0;
    AStream->ReadBuffer(&c, 1);
    header.push_back(c);
    if (c == '\0') break;
  }
  if (header != FQlbHeader) throw Exception(u"Unrecognized stream format!");
  FComponentCount = ReadWord(AStream);
  const Word fixedLength = ReadWord(AStream);
  TListPtr fixed(New<TStringList>());
  fixed->SetText(AnsiToString(AnsiString(ReadBytes(AStream, fixedLength))));
  FFixedLanguages->Assign(fixed.get());
}

void TQLBFileManager::LoadFromFile(TComponent* AComp, const String& AOwnerClassName, const String& AFileName) {
  TStreamPtr stream(New<TFileStream>(AFileName, Word(fmOpenRead | fmShareDenyNone)));
  LoadFromStream(AComp, AOwnerClassName, stream.get());
}

void TQLBFileManager::LoadFromStream(TComponent* AComp, const String& AOwnerClassName, TStream* AStream) {
  ReadHeader(AStream);
  const Int64 dataStart = AStream->Position();
  TEntry entry;
  Boolean found = false;
  for (Integer i = 0; i < FComponentCount && !found; ++i) {
    entry = ReadEntry(AStream);
    found = entry.Owner == AOwnerClassName;
  }
  if (!found) return;
  auto* target = dynamic_cast<TqlCustomLang*>(AComp);
  if (!target) throw Exception(u"Binary translation file: " + AComp->ClassName() + u" is not a localization component");

  TClass cls = GetClass(AComp->ClassName());
  if (!cls) {
    RegisterClass(AComp->ClassType());
    cls = GetClass(AComp->ClassName());
  }
  if (!cls) {
    const String who = AComp->Owner() ? AComp->Owner()->ClassName() + u"." + AComp->Name() : AComp->Name();
    throw Exception(Format(u"Unable to obtain the class reference of %s (%s)", {AComp->ClassName(), who}));
  }
  CheckComponentStream(AStream, entry.Offset, dataStart, AOwnerClassName);

  // The entry is read into a component of the target's own class on a
  // temporary owner; both are freed when the load ends.
  std::unique_ptr<TComponent, TObjectFree> holder(New<TComponent>(static_cast<TComponent*>(nullptr)));
  auto* read = static_cast<TqlCustomLang*>(CreateFrom(cls, &TComponent::Create, holder.get()));
  target->FQLBLoading = true;
  read->FQLBLoading = true;
  Finally clearLoading([&] {
    target->FQLBLoading = false;
    read->FQLBLoading = false;
  });
  ReadComponentFromStream(AStream, read);
  if (read->LangNames()->Count() == 0) BadFile(u"the component of \"" + AOwnerClassName + u"\" has no languages");

  target->SetStoreAsUTF8(read->StoreAsUTF8());
  if (read->LangDelim() != target->LangDelim()) read->SetLangDelim(target->LangDelim());
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    TStrings* mine = target->GetPropListByType(TStringsType(k));
    TStrings* theirs = read->GetPropListByType(TStringsType(k));
    if (mine && theirs) mine->Assign(theirs);
  }
  // The owner's own line goes first in the lists that have one.
  if (target->Owner()) {
    const String head = target->Owner()->ClassName() + String(1, target->D());
    for (TStringsType kind : {stCaptions, stHints, stFonts, stCharSets}) {
      TStrings* list = target->GetPropListByType(kind);
      if (!list) continue;
      for (Integer i = 1; i < list->Count(); ++i)
        if (StartsText(head, list->Strings(i))) {
          list->Move(i, 0);
          break;
        }
    }
  }
  const Integer active = target->ActiveLanguage();
  target->SetLangNames(read->LangNames());
  target->SetFileLanguages(target->LangNames()->Count(), active <= target->LangNames()->Count() ? active : 1);
  target->ExtendedTranslations()->Clear();
  for (Integer i = 0; i < read->ExtendedTranslations()->Count(); ++i) {
    TqlExtendedItem* from = read->ExtendedTranslations()->Items(i);
    TqlExtendedItem* item = target->ExtendedTranslations()->Add();
    item->SetIdentifier(from->StoredIdentifier());
    item->SetValues(from->Values());
    item->SetPropertyType(target->GetPropTypeByPath(from->StoredIdentifier()));
  }
}

void TQLBFileManager::LoadAllFromFile(const String& AFileName) {
  Clear();
  ReadAllFromFile(AFileName);
}

void TQLBFileManager::ReadAllFromFile(const String& AFileName) {
  TStreamPtr stream(New<TFileStream>(AFileName, Word(fmOpenRead | fmShareDenyWrite)));
  ReadAllFromStream(stream.get());
}

void TQLBFileManager::ReadAllFromStream(TStream* AStream) {
  Clear();
  CommentsFileName.clear();
  ReadHeader(AStream);
  const Int64 dataStart = AStream->Position();
  Int64 next = dataStart;
  for (Integer i = 0; i < FComponentCount; ++i) {
    AStream->SetPosition(next);
    const TEntry entry = ReadEntry(AStream);
    next = AStream->Position();
    TClass cls = CheckComponentStream(AStream, entry.Offset, dataStart, entry.Owner);
    auto* comp = CreateFrom(cls, &TComponent::Create, static_cast<TComponent*>(nullptr));
    FList.push_back(TItem{comp, true});
    FOwners->Add(entry.Owner);
    ReadComponentFromStream(AStream, comp);
  }
  if (FComponentCount == 0) AStream->SetPosition(next);
  if (AStream->Position() < AStream->Size()) {
    const Word m = ReadWord(AStream);
    if (m > 0) CommentsFileName = DecodeTextAs(ReadBytes(AStream, m - m % 2), TTextEncoding::UTF16LE);
  }
}

void TQLBFileManager::LoadPropFromFile(TStringsType PropType, const String& FileName, TComponent* AComp,
                                       const String& AOwnerClassName) {
  auto* temp = static_cast<TqlCustomLang*>(
      CreateFrom(AComp->ClassType(), &TComponent::Create, static_cast<TComponent*>(nullptr)));
  Finally freeTemp([&] { Free(temp); });
  temp->SetQLBLoading(true);
  if (AComp->Owner()) AComp->Owner()->InsertComponent(temp);
  LoadFromFile(temp, AOwnerClassName, FileName);
  auto* lang = dynamic_cast<TqlCustomLang*>(AComp);
  TStrings* mine = lang ? lang->GetPropListByType(PropType) : nullptr;
  TStrings* theirs = temp->GetPropListByType(PropType);
  if (mine && theirs) mine->Assign(theirs);
}

void TQLBFileManager::AssignTo(TPersistent* Dest) {
  auto* dest = dynamic_cast<TQLBFileManager*>(Dest);
  if (!dest) return;
  dest->FQlbHeader = FQlbHeader;
  dest->FFixedLanguages->Assign(FFixedLanguages);
  dest->Clear();
  dest->FOwners->Assign(FOwners);
  dest->CommentsFileName = CommentsFileName;
  for (const TItem& item : FList) {
    std::unique_ptr<TMemoryStream, TObjectFree> data(New<TMemoryStream>());
    WriteComponentToStream(data.get(), item.Comp);
    data->SetPosition(0);
    auto* copy = CreateFrom(item.Comp->ClassType(), &TComponent::Create, static_cast<TComponent*>(nullptr));
    dest->FList.push_back(TItem{copy, true});
    ReadComponentFromStream(data.get(), copy);
  }
}

// --- The component's binary operations -------------------------------------------------------

void TqlCustomLang::SaveAllToBinaryFile(const String& AFileName) {
  std::unique_ptr<TQLBFileManager, TObjectFree> manager(NewBy<TQLBFileManager>(&TQLBFileManager::CreateByName, AFileName));
  manager->Add(this);
  manager->SaveToFile(AFileName);
}

void TqlCustomLang::LoadAllFromBinaryFile(const String& AFileName) {
  if (!Owner()) return;
  TQLBFileManager* shared = FLangDispatcher && FLangDispatcher->QLBManager() &&
                                    SameText(FLangDispatcher->FileName(), AFileName)
                                ? FLangDispatcher->QLBManager()
                                : nullptr;
  std::unique_ptr<TQLBFileManager, TObjectFree> temp(shared ? nullptr : New<TQLBFileManager>());
  (shared ? shared : temp.get())->LoadFromFile(this, Owner()->ClassName(), AFileName);
  UpdateStrCollections();
  ChangeLanguage();
}

void TqlCustomLang::LoadAllFromBinaryStream(TStream* AStream) {
  if (!Owner()) return;
  std::unique_ptr<TQLBFileManager, TObjectFree> manager(New<TQLBFileManager>());
  manager->LoadFromStream(this, Owner()->ClassName(), AStream);
  UpdateStrCollections();
  ChangeLanguage();
}

void TqlCustomLang::LoadPropFromBinaryFile(TStringsType PropType, const String& FileName) {
  std::unique_ptr<TQLBFileManager, TObjectFree> manager(New<TQLBFileManager>());
  manager->LoadPropFromFile(PropType, FileName, this, Owner() ? Owner()->ClassName() : String());
  if (PropType == stStrings) UpdateStrCollections();
}
