// The card record and its 56-character card text.
//
// A card holds one TCardRecord. On the wire and on the card it is a text of
// 56 characters with fixed fields (credit, meter serial, invoice with the
// check character in its sixth place, five tariffs, flags, alarm, collection
// point, time of loading). Building the text reads the local clock; reading
// it fails only on a text whose length is not 56.
#pragma once

#include "platform/rtl/Strings.h"
#include "platform/rtl/Types.h"

struct TCardRecord {
  Word Kontor{};
  Cardinal SeriNo{};
  TShortString<6> FaturaNo;
  Double T1{};
  Double T2{};
  Double T3{};
  Double T4{};
  Double T0{};
  Boolean CokluTarife{};
  Byte TarifeYapisi{};
  Byte DusukAlarm{};
  TShortString<4> TahsilatYeri;
  TDateTime YuklemeTS{};
};

#pragma pack(push, 1)
// The card's own serial number: its 5 bytes in the order of the reply, and
// the whole 10-digit hexadecimal number.
struct TCardSerial {
  Byte Bytes[5]{};
  Int64 Value{};
};
#pragma pack(pop)
static_assert(sizeof(TCardSerial) == 13, "TCardSerial is packed");

constexpr Integer CardTextLength = 56;

// The signed Value in decimal, right-aligned in a field of Width mod 10
// characters, every space made "0"; a wider number is not cut, width 0 gives "".
String ZeroPadNumber(Integer Value, Integer Width);
// Width spaces, the first min(length, Width) of them replaced by Text.
String PadField(const String& Text, Integer Width);

// The check value of the card text: Kontor's high byte XOR its low byte,
// XOR the low 8 bits of each character at positions 5-17.
Byte CardCheckValue(Word Kontor, const String& SerialDigits, const String& Invoice);

// The card text of a record at the local time Clock (CardClock() by default).
String CardRecordToText(const TCardRecord& Rec);
String CardRecordToText(const TCardRecord& Rec, TDateTime Clock);
// The card text as the bytes that go to the device: the fields through the
// system code page, the check byte (position 18) exactly as computed, since
// the code page may hold no character for it.
AnsiString CardRecordToBytes(const TCardRecord& Rec);
AnsiString CardRecordToBytes(const TCardRecord& Rec, TDateTime Clock);
constexpr Integer CardCheckPosition = 18;  // 1-based
// Decodes a card text. Rec is zeroed first; false (Rec left zero) unless the
// text has exactly 56 characters. Malformed fields give 0 (1 for year, month
// and day); an impossible date leaves YuklemeTS 0.
Boolean CardTextToRecord(const String& Text, TCardRecord& Rec);
// The same from the bytes a device answered: the invoice (with its check
// byte) and the collection point keep their bytes as they stand.
Boolean CardBytesToRecord(const AnsiString& Bytes, TCardRecord& Rec);

// The clock that CardRecordToText reads: Now unless a test fixed it.
using TCardClock = TDateTime (*)();
TDateTime CardClock();
void SetCardClock(TCardClock Clock);  // nil restores Now
