// Components of a small form for the localization tests: a root with a
// caption and a font that streams its owned components, and a control with
// properties of every kind the translation model reads and writes.
#pragma once

#include <memory>
#include <string>

#include "localization/qlComp.h"
#include "platform/classes/Classes.h"
#include "platform/classes/StringLists.h"
#include "platform/vcl/Graphics.h"

namespace loc_test {

// The root of the test forms; its class name keys the owner's lines.
class TComPortForm : public TComponent {
  CL_CLASS(TComPortForm, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value) { FCaption = Value; }
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }

 private:
  String FCaption;
  TFont* FFont{};
};

class TTestColumn : public TCollectionItem {
  CL_CLASS(TTestColumn, TCollectionItem)
 public:
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value) { FCaption = Value; }

 private:
  String FCaption;
};

CL_ENUM(TTestKind, Byte, tkdPlain, tkdBold, tkdItalic)
using TTestKinds = TSet<TTestKind, 1>;
CL_SET_TYPEINFO(TTestKinds)

class TTestControl : public TComponent {
  CL_CLASS(TTestControl, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value) { FCaption = Value; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TStringList* Items() const { return FItems; }
  void SetItems(TStringList* Value) { FItems->Assign(Value); }
  TOwnedCollection* Columns() const { return FColumns; }
  void SetColumns(TOwnedCollection* Value) { FColumns->Assign(Value); }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }
  double Ratio() const { return FRatio; }
  void SetRatio(double Value) { FRatio = Value; }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 Value) { FBig = Value; }
  TTestKind Kind() const { return FKind; }
  void SetKind(TTestKind Value) { FKind = Value; }
  TTestKinds Kinds() const { return FKinds; }
  void SetKinds(TTestKinds Value) { FKinds = Value; }
  Char Accel() const { return FAccel; }
  void SetAccel(Char Value) { FAccel = Value; }

 private:
  String FCaption;
  String FHint;
  TFont* FFont{};
  TStringList* FItems{};
  TOwnedCollection* FColumns{};
  Integer FWidth{};
  double FRatio{};
  Int64 FBig{};
  TTestKind FKind{};
  TTestKinds FKinds{};
  Char FAccel{};
};

struct TFreeObject {
  void operator()(TObject* Obj) const { Free(Obj); }
};
template <class T>
using TOwned = std::unique_ptr<T, TFreeObject>;

// A root with no owner, freed by the caller.
TOwned<TComPortForm> NewForm();
TTestControl* AddControl(TComponent* Owner, const String& Name);

// Lines written with "|" standing for the delimiter character 1, and back.
String L(const std::u16string& Text);
std::string Show(const String& Line);
// The lines of a list, "|" for the delimiter, one per element.
std::vector<std::string> Lines(TStrings* List);
void SetLines(TStrings* List, std::initializer_list<std::u16string> Lines);

// Text form -> binary form, and the binary form read into Root.
RawByteString FormBinary(const std::string& Text);
void ReadForm(const RawByteString& Binary, TComponent* Root);
RawByteString WriteForm(TComponent* Root, TComponent* Ancestor = nullptr);
std::string ReadFile(const std::string& Path);

}  // namespace loc_test
