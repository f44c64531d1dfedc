#include "lib/foundation/nbCore.h"

#include <cstring>

#include "platform/classes/Lists.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Variants.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

CL_IMPLEMENT_CLASS(TnbProductResourceStrings)
CL_IMPLEMENT_CLASS(TnbResourceStringsRepository)
CL_IMPLEMENT_CLASS(TnbStream)

Boolean nbOSWin9xFamily = false;
Boolean nbOSWindows95 = false;
Boolean nbOSWindows98 = false;
Boolean nbOSWindowsME = false;
Boolean nbOSNTFamily = false;
Boolean nbOSWindows2000 = false;
Boolean nbOSWindows2000OrLater = false;
Boolean nbOSWindowsXP = false;
Boolean nbOSWindowsXPOrLater = false;
Boolean nbOSWindows2000OrXP = false;
Boolean nbOSWindowsVista = false;
Boolean nbOSWindowsVistaOrLater = false;
Boolean nbOSWindows7 = false;
Boolean nbOSWow64 = false;

namespace {

constexpr char kUnicodeSignature[6] = {'N', 'B', 'U', 'F', 'M', 'T'};
constexpr char kAnsiSignature[6] = {'N', 'B', 'A', 'F', 'M', 'T'};
constexpr Cardinal kPlatformWin9x = 1;
constexpr Cardinal kPlatformNT = 2;

TnbResourceStringsRepository* gRepository = nullptr;

// The product's identifiers: sorted, duplicates ignored, compared without
// regard to ASCII case (identifiers are ASCII, and the locale's case rules
// would part "i" and "I" under Turkish).
class TnbResStringNameList : public TStringList {
  CL_CLASS(TnbResStringNameList, TStringList)
 protected:
  Integer CompareStrings(const String& S1, const String& S2) override { return CompareText(S1, S2); }
};

Integer HexDigit(Char C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  return -1;
}

void Startup() {
  win::OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (win::GetVersionExW(&info))
    // A native 64-bit process never runs under WOW64.
    nbInitOSFlags(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, false);
}

void Shutdown() { FreeAndNil(gRepository); }

}  // namespace

CL_IMPLEMENT_CLASS(TnbResStringNameList)
CL_UNIT_STEPS(nbCore, &Startup, &Shutdown);

void nbInitOSFlags(Cardinal APlatformId, Cardinal AMajor, Cardinal AMinor, Boolean AWow64) {
  nbOSWin9xFamily = APlatformId == kPlatformWin9x;
  nbOSWindows95 = nbOSWin9xFamily && AMinor == 0;
  nbOSWindows98 = nbOSWin9xFamily && AMinor == 10;
  nbOSWindowsME = nbOSWin9xFamily && AMinor == 90;
  nbOSNTFamily = APlatformId == kPlatformNT;
  nbOSWindows2000 = nbOSNTFamily && AMajor == 5 && AMinor == 0;
  nbOSWindows2000OrLater = nbOSNTFamily && AMajor >= 5;
  nbOSWindowsXP = nbOSNTFamily && AMajor == 5 && AMinor > 0;
  nbOSWindowsXPOrLater = nbOSWindows2000OrLater && !nbOSWindows2000;
  nbOSWindows2000OrXP = nbOSWindows2000 || nbOSWindowsXP;
  nbOSWindowsVista = nbOSNTFamily && AMajor == 6;
  nbOSWindowsVistaOrLater = nbOSNTFamily && AMajor >= 6;
  nbOSWindows7 = nbOSNTFamily && AMajor == 6 && AMinor == 1;
  nbOSWow64 = AWow64;
}

// --- TnbProductResourceStrings ---------------------------------------------------------

void TnbProductResourceStrings::Create(const String& AName, TnbAddResourceStringsProcedure AInitializeProc) {
  FName = AName;
  FInitializeProc = AInitializeProc;
  auto* list = New<TnbResStringNameList>();
  list->SetSorted(true);
  list->SetDuplicates(dupIgnore);
  FResStringNames = list;
  if (FInitializeProc) FInitializeProc(this);
}

void TnbProductResourceStrings::Destroy() {
  FInitializeProc = nullptr;
  FreeAndNil(FResStringNames);
  inherited::Destroy();
}

void TnbProductResourceStrings::Add(const String& AResStringName, PResStringRec AResStringAddr) {
  FResStringNames->AddObject(AResStringName,
                             reinterpret_cast<TObject*>(const_cast<TResStringRec*>(AResStringAddr)));
}

void TnbProductResourceStrings::Clear() { FResStringNames->Clear(); }

Integer TnbProductResourceStrings::GetIndexByName(const String& AName) const {
  Integer index;
  return FResStringNames->Find(AName, index) ? index : -1;
}

Integer TnbProductResourceStrings::ResStringsCount() const { return FResStringNames->Count(); }

String TnbProductResourceStrings::Names(Integer AIndex) const { return FResStringNames->Strings(AIndex); }

PResStringRec TnbProductResourceStrings::ResStrings(Integer AIndex) const {
  return reinterpret_cast<PResStringRec>(FResStringNames->Objects(AIndex));
}

String TnbProductResourceStrings::Values(Integer AIndex) const {
  return vlGetResourceStringText(ResStrings(AIndex));
}

void TnbProductResourceStrings::Translate() {
  if (!FRepository) return;
  const TnbLocalizationTranslateResStringEvent& handler = FRepository->OnTranslateResString();
  for (Integer i = 0; i < ResStringsCount(); ++i)
    if (handler) handler(Names(i), const_cast<TResStringRec*>(ResStrings(i)));
}

// --- TnbResourceStringsRepository ----------------------------------------------------------

void TnbResourceStringsRepository::Create() { FProducts = New<TObjectList>(true); }

void TnbResourceStringsRepository::Destroy() {
  FListeners.clear();
  FreeAndNil(FProducts);
  inherited::Destroy();
}

void TnbResourceStringsRepository::AddListener(InbLocalizerListener* AListener) {
  if (!AListener) return;
  for (InbLocalizerListener* l : FListeners)
    if (l == AListener) return;
  FListeners.push_back(AListener);
}

void TnbResourceStringsRepository::RemoveListener(InbLocalizerListener* AListener) {
  for (auto it = FListeners.begin(); it != FListeners.end(); ++it)
    if (*it == AListener) {
      FListeners.erase(it);
      return;
    }
}

void TnbResourceStringsRepository::NotifyListeners() {
  // A listener's call may remove (and free) other listeners: call only those
  // still registered.
  const std::vector<InbLocalizerListener*> listeners = FListeners;
  for (InbLocalizerListener* l : listeners) {
    bool present = false;
    for (InbLocalizerListener* cur : FListeners) present = present || cur == l;
    if (present) l->TranslationChanged();
  }
}

Integer TnbResourceStringsRepository::ProductsCount() const { return FProducts->Count(); }

TnbProductResourceStrings* TnbResourceStringsRepository::Products(Integer AIndex) const {
  return static_cast<TnbProductResourceStrings*>(FProducts->Items(AIndex));
}

Integer TnbResourceStringsRepository::GetProductIndexByName(const String& AName) const {
  for (Integer i = 0; i < ProductsCount(); ++i)
    if (Products(i)->Name() == AName) return i;
  return -1;
}

String TnbResourceStringsRepository::GetOriginalValue(const String& AName) const {
  for (Integer i = 0; i < ProductsCount(); ++i) {
    Integer index = Products(i)->GetIndexByName(AName);
    if (index >= 0) return LoadResStringDirect(Products(i)->ResStrings(index));
  }
  return String();
}

void TnbResourceStringsRepository::RegisterProduct(const String& AProductName,
                                                   TnbAddResourceStringsProcedure AAddStringsProc) {
  auto* product = New<TnbProductResourceStrings>(AProductName, AAddStringsProc);
  product->FRepository = this;
  FProducts->Add(product);
}

void TnbResourceStringsRepository::UnRegisterProduct(const String& AProductName) {
  Integer i = GetProductIndexByName(AProductName);
  if (i >= 0) FProducts->Delete(i);
}

void TnbResourceStringsRepository::Translate() {
  if (!FOnTranslateResString) return;
  for (Integer i = 0; i < ProductsCount(); ++i) Products(i)->Translate();
}

TnbResourceStringsRepository* nbResourceStringsRepository() {
  if (!gRepository) gRepository = New<TnbResourceStringsRepository>();
  return gRepository;
}

String vlGetResourceStringText(PResStringRec AResString) { return LoadResString(AResString); }

// --- Text conversions ---------------------------------------------------------------------------

String nbAnsiToWide(const AnsiChar* S, Cardinal CodePage, Integer Length) {
  if (!S) return String();
  size_t len = Length < 0 ? std::strlen(S) : static_cast<size_t>(Length);
  if (len == 0) return String();
  AnsiString bytes(S, len);
  if (CodePage == CP_UTF8) return UTF8ToUTF16(bytes);
  Integer n = MultiByteToWideChar(CodePage, 0, bytes.data(), static_cast<Integer>(len), nullptr, 0);
  if (n <= 0) return String();
  String result(static_cast<size_t>(n), u'\0');
  n = MultiByteToWideChar(CodePage, MB_PRECOMPOSED, bytes.data(), static_cast<Integer>(len), result.data(),
                          n);
  result.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return result;
}

AnsiString nbWideToAnsi(const Char* S, Cardinal CodePage, Integer Length) {
  if (!S) return AnsiString();
  size_t len = 0;
  if (Length < 0)
    while (S[len]) ++len;
  else
    len = static_cast<size_t>(Length);
  if (len == 0) return AnsiString();
  if (CodePage == CP_UTF8) return UTF16ToUTF8(String(S, len));
  Integer n = WideCharToMultiByte(CodePage, 0, S, static_cast<Integer>(len), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return AnsiString();
  AnsiString result(static_cast<size_t>(n), '\0');
  n = WideCharToMultiByte(CodePage, 0, S, static_cast<Integer>(len), result.data(), n, nullptr, nullptr);
  result.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return result;
}

String nbAnsiToUnicodeString(const AnsiString& S, Cardinal CodePage) {
  return nbAnsiToWide(S.data(), CodePage, static_cast<Integer>(S.size()));
}

AnsiString nbUnicodeToAnsiString(const String& S, Cardinal CodePage) {
  return nbWideToAnsi(S.data(), CodePage, static_cast<Integer>(S.size()));
}

String nbShortStringToUnicode(const TShortString<255>& S) { return UTF8ToUTF16(S.ToAnsi()); }

TShortString<255> nbUnicodeToShortString(const String& S) {
  UTF8String bytes = UTF16ToUTF8(S);
  if (bytes.size() > 255) {
    size_t cut = 255;
    // Never end inside a multi-byte sequence.
    while (cut > 0 && (static_cast<Byte>(bytes[cut]) & 0xC0) == 0x80) --cut;
    bytes.resize(cut);
  }
  return TShortString<255>(bytes);
}

String nbBufferToHex(const void* Buffer, Integer Size) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  String result;
  if (!Buffer || Size <= 0) return result;
  const Byte* p = static_cast<const Byte*>(Buffer);
  result.resize(static_cast<size_t>(Size) * 2);
  for (Integer i = 0; i < Size; ++i) {
    result[2 * static_cast<size_t>(i)] = kDigits[p[i] >> 4];
    result[2 * static_cast<size_t>(i) + 1] = kDigits[p[i] & 0x0F];
  }
  return result;
}

String nbStringToHex(const AnsiString& S) { return nbBufferToHex(S.data(), static_cast<Integer>(S.size())); }

AnsiString nbHexToString(const String& S) {
  AnsiString result(S.size() / 2, '\0');
  for (size_t i = 0; i < result.size(); ++i) {
    Integer hi = HexDigit(S[2 * i]);
    Integer lo = HexDigit(S[2 * i + 1]);
    if (hi < 0 || lo < 0)
      throw EConvertError(u"'" + S.substr(2 * i, 2) + u"' is not a valid hexadecimal value");
    result[i] = static_cast<AnsiChar>((hi << 4) | lo);
  }
  return result;
}

AnsiString nbReadStreamToAnsiString(TMemoryStream* AStream) {
  Int64 size = AStream->Size();
  if (size <= 0) return AnsiString();
  AnsiString result(static_cast<size_t>(size), '\0');
  AStream->Read(result.data(), static_cast<Integer>(size));
  return result;
}

Integer nbWriteAnsiStringToStream(TMemoryStream* AStream, const AnsiString& S) {
  if (S.empty()) return 0;
  return AStream->Write(S.data(), static_cast<Integer>(S.size()));
}

// --- Variant conversions -------------------------------------------------------------------------

AnsiString nbVariantAsAnsiString(const Variant& V) {
  if (VarIsArray(V)) {
    if (VarArrayDimCount(V) != 1) throw EVariantInvalidArgError(u"Invalid argument");
    TVarType element = static_cast<TVarType>(VarType(V) & varTypeMask);
    if (element != varByte && element != varShortInt) throw EVariantInvalidArgError(u"Invalid argument");
    Integer low = VarArrayLowBound(V, 1);
    Integer high = VarArrayHighBound(V, 1);
    Int64 count = Int64(high) - Int64(low) + 1;
    if (count <= 0) return AnsiString();
    Variant copy = V;
    AnsiString result(static_cast<size_t>(count), '\0');
    void* data = VarArrayLock(copy);
    std::memcpy(result.data(), data, static_cast<size_t>(count));
    VarArrayUnlock(copy);
    return result;
  }
  if (VarType(V) == varString) return V.AsAnsiString();
  return nbUnicodeToAnsiString(VarToStr(V), CP_ACP);
}

String nbVariantAsWideString(const Variant& V) {
  if (VarIsStr(V)) return V.AsString();
  return nbAnsiToUnicodeString(nbVariantAsAnsiString(V), CP_ACP);
}

String nbVariantAsString(const Variant& V) { return nbVariantAsWideString(V); }

Boolean nbIsBlobVariant(const Variant& V) {
  return VarIsStr(V) || (VarIsArray(V) && VarArrayDimCount(V) == 1);
}

// --- Character and memory helpers ---------------------------------------------------------------------

Boolean nbCharInSet(Char C, std::string_view Chars) {
  if (C > 0xFF) return false;
  for (char c : Chars)
    if (static_cast<Byte>(c) == C) return true;
  return false;
}

Word nbGetCharTypeFlags(Char C) {
  Word flags = 0;
  return GetStringTypeW(CT_CTYPE1, &C, 1, &flags) ? flags : 0;
}

win::RGBQUAD nbColorToRGBQuad(Integer AColor, Byte AReserved) {
  Cardinal rgb = static_cast<Cardinal>(AColor);
  if (AColor < 0) rgb = win::GetSysColor(static_cast<int>(rgb & 0xFF));
  win::RGBQUAD q{};
  q.rgbRed = static_cast<Byte>(rgb & 0xFF);
  q.rgbGreen = static_cast<Byte>((rgb >> 8) & 0xFF);
  q.rgbBlue = static_cast<Byte>((rgb >> 16) & 0xFF);
  q.rgbReserved = AReserved;
  return q;
}

void nbZeroMemory(void* ADest, Integer ACount) {
  if (ADest && ACount > 0) std::memset(ADest, 0, static_cast<size_t>(ACount));
}

void nbMoveMemory(void* ADest, const void* ASource, Integer ACount) {
  if (ADest && ASource && ACount > 0) std::memmove(ADest, ASource, static_cast<size_t>(ACount));
}

void nbSwapIntegers(Integer& A, Integer& B) {
  Integer t = A;
  A = B;
  B = t;
}

// --- Payload signature
// --------------------------------------------------------------------------------------

void nbWriteUnicodeSignature(TStream* AStream) { AStream->WriteBuffer(kUnicodeSignature, 6); }

Boolean nbReadStreamSignature(TStream* AStream) {
  if (AStream->Size() - AStream->Position() < 7) return false;
  char buffer[6];
  AStream->ReadBuffer(buffer, 6);
  if (std::memcmp(buffer, kUnicodeSignature, 6) == 0) return true;
  if (std::memcmp(buffer, kAnsiSignature, 6) == 0) return false;
  AStream->Seek(-6, soCurrent);
  return false;
}

String nbReadCountedString(TStream* AStream, Boolean AUnicode) {
  Byte countBytes[2];
  AStream->ReadBuffer(countBytes, 2);
  Integer count = countBytes[0] | (countBytes[1] << 8);
  if (count == 0) return String();
  if (AUnicode) {
    std::string bytes(static_cast<size_t>(count) * 2, '\0');
    AStream->ReadBuffer(bytes.data(), count * 2);
    String result(static_cast<size_t>(count), u'\0');
    for (Integer i = 0; i < count; ++i)
      result[static_cast<size_t>(i)] =
          static_cast<Char>(static_cast<Byte>(bytes[2 * i]) | (static_cast<Byte>(bytes[2 * i + 1]) << 8));
    return result;
  }
  UTF8String bytes(static_cast<size_t>(count), '\0');
  AStream->ReadBuffer(bytes.data(), count);
  return UTF8ToUTF16(bytes);
}

// --- TnbStream
// --------------------------------------------------------------------------------------------------

void TnbStream::Create(TStream* AStream) {
  FIsUnicode = nbReadStreamSignature(AStream);
  FStream = AStream;
}

Integer TnbStream::Read(void* Buffer, Integer Count) { return FStream->Read(Buffer, Count); }

Integer TnbStream::Write(const void* Buffer, Integer Count) { return FStream->Write(Buffer, Count); }

Int64 TnbStream::Seek(Int64 Offset, TSeekOrigin Origin) { return FStream->Seek(Offset, Origin); }

void TnbStream::SetSize(Int64 NewSize) { FStream->SetSize(NewSize); }

Int64 TnbStream::GetSize() { return FStream->Size(); }

Boolean TnbBoundLibrary::Load(const Char* ALibraryName, const char* const* ANames, Integer ACount) {
  if (Handle) return true;
  Handle = win::LoadLibraryW(ALibraryName);
  if (!Handle) return false;
  Procs.assign(size_t(ACount), nullptr);
  for (Integer i = 0; i < ACount; ++i) Procs[size_t(i)] = win::GetProcAddress(Handle, ANames[i]);
  return true;
}

void TnbBoundLibrary::Unload() {
  if (Handle) win::FreeLibrary(Handle);
  Handle = nullptr;
  Procs.clear();
}

