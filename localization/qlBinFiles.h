// Binary translation files (".QLB"): the localization components of several
// forms in one file, each stored in the binary component-stream format behind
// a header and a directory that maps the owner (form) class name to the
// component's position:
//   42 bytes  "QLB file: TqlLang binary translation data" and a NUL
//   2 bytes   component count C
//   2 bytes   byte length L of the fixed languages, then L bytes of ANSI text
//             (one name per line, CR LF)
//   C entries name length (2 bytes), owner class name (ANSI), offset (4 bytes,
//             signed, from the start of the file)
//   C component streams, in directory order
//   2 bytes   byte length M of the comments file name, then M bytes UTF-16LE
// Integers are little-endian. The readers check every length and offset
// against the stream and create only localization component classes.
#pragma once

#include <vector>

#include "localization/qlComp.h"

class TQLBFileManager : public TPersistent {
  CL_CLASS(TQLBFileManager, TPersistent)
 public:
  void Create();
  // Create, then every entry of the file when it exists.
  void CreateByName(const String& AFileName);
  void Destroy() override;

  void Clear();
  // Replaces the entry of AComp's owner class (the replaced component freed
  // when it has no owner) or appends one; answers the last entry's index.
  Integer Add(TComponent* AComp);
  void Remove(Integer Index);
  void Move(Integer FromIndex, Integer ToIndex);

  void SaveToFile(const String& AFileName);
  // Writes at the stream's position; offsets are absolute positions.
  void SaveToStream(TStream* AStream);
  // Loads the entry of AOwnerClassName into AComp; nothing when there is none.
  void LoadFromFile(TComponent* AComp, const String& AOwnerClassName, const String& AFileName);
  void LoadFromStream(TComponent* AComp, const String& AOwnerClassName, TStream* AStream);
  void LoadAllFromFile(const String& AFileName);
  void ReadAllFromFile(const String& AFileName);
  // Every entry into a new component without owner, which the manager frees.
  void ReadAllFromStream(TStream* AStream);
  void LoadPropFromFile(TStringsType PropType, const String& FileName, TComponent* AComp,
                        const String& AOwnerClassName);

  Integer CompCount() const;
  TComponent* Components(Integer Index) const;
  TStringList* Owners() const { return FOwners; }
  const RawByteString& QLBHeader() const { return FQlbHeader; }
  TStringList* FixedLanguages() const { return FFixedLanguages; }
  // Takes over Value, which the manager then frees.
  void SetFixedLanguages(TStringList* Value);

  String CommentsFileName;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void ReadHeader(TStream* AStream);

  // A component and whether the manager made it (and frees it).
  struct TItem {
    TComponent* Comp;
    Boolean Owned;
  };
  std::vector<TItem> FList;
  Integer FComponentCount{};
  TStringList* FOwners{};
  RawByteString FQlbHeader;
  TStringList* FFixedLanguages{};
};

// The exact header of a binary translation file, with its NUL (42 bytes).
extern const char qlBinaryFileHeader[42];
