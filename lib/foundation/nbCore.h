// The library's core: the resource-string repository with its products and
// localization listeners, text and variant conversions, the payload
// signature ("NBUFMT" / "NBAFMT") with its stream wrapper and counted
// strings, the library's base exception, and the operating-system flags.
#pragma once

#include <string_view>
#include <vector>

#include "platform/classes/Delegates.h"
#include "platform/classes/Interfaces.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ResStrings.h"
#include "platform/rtl/Strings.h"

class Variant;
namespace win {
struct RGBQUAD;
struct HINSTANCE__;
}
class TStringList;
class TObjectList;
class TMemoryStream;

// The base of the library's own exceptions.
RTL_EXCEPTION_CLASS(EnbException, Exception);

// --- Operating-system flags -------------------------------------------------
// Set once by the unit's start-up step from the platform's version answer.

extern Boolean nbOSWin9xFamily;
extern Boolean nbOSWindows95;
extern Boolean nbOSWindows98;
extern Boolean nbOSWindowsME;
extern Boolean nbOSNTFamily;
extern Boolean nbOSWindows2000;
extern Boolean nbOSWindows2000OrLater;
extern Boolean nbOSWindowsXP;
extern Boolean nbOSWindowsXPOrLater;
extern Boolean nbOSWindows2000OrXP;
extern Boolean nbOSWindowsVista;
extern Boolean nbOSWindowsVistaOrLater;
extern Boolean nbOSWindows7;
extern Boolean nbOSWow64;

// Sets the flags from a platform id (1: 9x family, 2: NT family), a version
// and the WOW64 answer. The start-up step calls it with the platform's own
// answers; tests call it to check the table.
void nbInitOSFlags(Cardinal APlatformId, Cardinal AMajor, Cardinal AMinor, Boolean AWow64);

// A library loaded at run time with its entry points bound by name (nil for
// a name the library lacks), as the units that must run without a library
// use them.
struct TnbBoundLibrary {
  win::HINSTANCE__* Handle{};
  std::vector<void (*)()> Procs;
  // Loads the library (when not loaded yet) and binds the names; false when
  // it does not load.
  Boolean Load(const Char* ALibraryName, const char* const* ANames, Integer ACount);
  // Frees the library when loaded and forgets the entry points.
  void Unload();
  Boolean Loaded() const { return Handle != nullptr; }
  void (*Proc(Integer AIndex) const)() { return size_t(AIndex) < Procs.size() ? Procs[size_t(AIndex)] : nullptr; }
};

// --- Resource strings -----------------------------------------------------------

// Told after translations changed (controls and format controllers register).
class InbLocalizerListener : public virtual IInterface {
  CL_INTERFACE(InbLocalizerListener, "{2E983B3B-1A56-4599-8A85-C2540E182031}")
 public:
  virtual void TranslationChanged() = 0;
};

class TnbProductResourceStrings;
class TnbResourceStringsRepository;

// Adds a product's resource strings (one Add per string).
using TnbAddResourceStringsProcedure = void (*)(TnbProductResourceStrings* AProduct);
// Called for each registered resource string by a translation pass.
using TnbLocalizationTranslateResStringEvent =
    TDelegate<void(const String& AResStringName, Pointer AResString)>;

// The resource strings of one part of the library, by identifier.
class TnbProductResourceStrings : public TObject {
  CL_CLASS(TnbProductResourceStrings, TObject)
 public:
  // Keeps AInitializeProc and calls it at once with this product.
  void Create(const String& AName, TnbAddResourceStringsProcedure AInitializeProc);
  void Destroy() override;

  // Inserts the identifier in order (compared without regard to ASCII case);
  // an identifier already present keeps its first record.
  void Add(const String& AResStringName, PResStringRec AResStringAddr);
  void Clear();
  // By binary search without regard to ASCII case; -1 when absent.
  Integer GetIndexByName(const String& AName) const;

  const String& Name() const { return FName; }
  Integer ResStringsCount() const;
  // The identifier, the record and the loaded text of an entry.
  String Names(Integer AIndex) const;
  PResStringRec ResStrings(Integer AIndex) const;
  String Values(Integer AIndex) const;

 protected:
  // Calls the repository's OnTranslateResString for every entry in order.
  void Translate();

 private:
  String FName;
  TnbAddResourceStringsProcedure FInitializeProc{};
  TStringList* FResStringNames{};
  TnbResourceStringsRepository* FRepository{};

  friend class TnbResourceStringsRepository;
};

// The process-wide registry of products and localization listeners.
class TnbResourceStringsRepository : public TObject {
  CL_CLASS(TnbResourceStringsRepository, TObject)
 public:
  void Create();
  void Destroy() override;

  // Appends the listener unless present; listeners are not counted.
  void AddListener(InbLocalizerListener* AListener);
  void RemoveListener(InbLocalizerListener* AListener);
  // TranslationChanged on every listener in list order (a listener removed
  // by an earlier one's call is not called).
  void NotifyListeners();

  // The first product of exactly that name (case-sensitive), -1 when none.
  Integer GetProductIndexByName(const String& AName) const;
  // The loaded text of AName from the first product (in registration order)
  // that has it; "" when none has.
  String GetOriginalValue(const String& AName) const;
  void RegisterProduct(const String& AProductName, TnbAddResourceStringsProcedure AAddStringsProc);
  // Frees the first product of exactly that name; nothing when none.
  void UnRegisterProduct(const String& AProductName);
  // With OnTranslateResString assigned, the translation pass of every product.
  void Translate();

  const TnbLocalizationTranslateResStringEvent& OnTranslateResString() const { return FOnTranslateResString; }
  void SetOnTranslateResString(const TnbLocalizationTranslateResStringEvent& Value) {
    FOnTranslateResString = Value;
  }
  Integer ProductsCount() const;
  TnbProductResourceStrings* Products(Integer AIndex) const;

 private:
  std::vector<InbLocalizerListener*> FListeners;
  TObjectList* FProducts{};
  TnbLocalizationTranslateResStringEvent FOnTranslateResString;
};

// The repository, made on first call; the unit's shut-down step frees it.
TnbResourceStringsRepository* nbResourceStringsRepository();

// The current text of a resource string (through the process's loaders).
String vlGetResourceStringText(PResStringRec AResString);
inline String vlGetResourceStringText(const TResStringRec& AResString) {
  return vlGetResourceStringText(&AResString);
}

// --- Text conversions -----------------------------------------------------------
// An empty input gives an empty result; a length of -1 means the whole text
// (up to a NUL).

String nbAnsiToWide(const AnsiChar* S, Cardinal CodePage, Integer Length = -1);
AnsiString nbWideToAnsi(const Char* S, Cardinal CodePage, Integer Length = -1);
String nbAnsiToUnicodeString(const AnsiString& S, Cardinal CodePage);
AnsiString nbUnicodeToAnsiString(const String& S, Cardinal CodePage);
inline String nbStringToWide(const String& S) { return S; }
inline String nbWideToString(const String& S) { return S; }
// A short string holding UTF-8 to text, and back (cut to 255 bytes at a
// character boundary).
String nbShortStringToUnicode(const TShortString<255>& S);
TShortString<255> nbUnicodeToShortString(const String& S);

// Each byte as two upper-case hexadecimal digits.
String nbStringToHex(const AnsiString& S);
String nbBufferToHex(const void* Buffer, Integer Size);
// Each pair of hexadecimal digits (either case) as one byte; a last odd digit
// is ignored. A pair that is not hexadecimal raises EConvertError.
AnsiString nbHexToString(const String& S);

// The stream's Size bytes read from its position by one Read (bytes the read
// could not fill are zero).
AnsiString nbReadStreamToAnsiString(TMemoryStream* AStream);
// Writes the bytes at the position; answers the count written.
Integer nbWriteAnsiStringToStream(TMemoryStream* AStream, const AnsiString& S);

// --- Variant conversions --------------------------------------------------------

// A one-dimensional byte array gives its bytes; an 8-bit string variant its
// bytes; anything else its text in the system code page. An array of another
// element type raises EVariantInvalidArgError (its storage holds no bytes).
AnsiString nbVariantAsAnsiString(const Variant& V);
// A string variant gives its text; anything else nbVariantAsAnsiString
// decoded from the system code page.
String nbVariantAsWideString(const Variant& V);
String nbVariantAsString(const Variant& V);
// A string variant or a one-dimensional array.
Boolean nbIsBlobVariant(const Variant& V);

// --- Character and memory helpers -------------------------------------------------

// Whether C is one of the 8-bit characters Chars.
Boolean nbCharInSet(Char C, std::string_view Chars);
// The CT_CTYPE1 flags of C; 0 when they cannot be had.
Word nbGetCharTypeFlags(Char C);
// The colour (a system colour, 0xFF000000 + index, resolved to its RGB
// value first) as blue, green, red and AReserved.
win::RGBQUAD nbColorToRGBQuad(Integer AColor, Byte AReserved = 0);
void nbZeroMemory(void* ADest, Integer ACount);
void nbMoveMemory(void* ADest, const void* ASource, Integer ACount);
void nbSwapIntegers(Integer& A, Integer& B);

// --- Payload signature -------------------------------------------------------------

// Writes "NBUFMT" at the stream's position.
void nbWriteUnicodeSignature(TStream* AStream);
// True for a Unicode payload. Fewer than 7 bytes left: nothing read, false.
// "NBUFMT": consumed, true. "NBAFMT": consumed, false. Anything else: the
// position is restored, false.
Boolean nbReadStreamSignature(TStream* AStream);
// A 16-bit count, then that many UTF-16 units (AUnicode) or UTF-8 bytes.
// A short stream raises EReadError.
String nbReadCountedString(TStream* AStream, Boolean AUnicode);

// A stream that forwards to another (not owned) after testing its signature.
class TnbStream : public TStream {
  CL_CLASS(TnbStream, TStream)
 public:
  void Create(TStream* AStream);

  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SetSize(Int64 NewSize) override;

  Boolean IsUnicode() const { return FIsUnicode; }
  TStream* Stream() const { return FStream; }

 protected:
  Int64 GetSize() override;

 private:
  Boolean FIsUnicode{};
  TStream* FStream{};
};
