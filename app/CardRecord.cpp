#include "app/CardRecord.h"

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Numbers.h"

namespace {

TCardClock gClock = nullptr;

// Round(Value * 100) AND 0xFFFF as 4 hexadecimal digits. A product no 64-bit
// integer holds (NaN, infinities, from 2^63 on) gives "0000": the processor's
// conversion answers its "integer indefinite", whose low 16 bits are 0.
String TariffField(Double Value) {
  const double scaled = Value * 100.0;
  constexpr double kTwo63 = 9223372036854775808.0;  // exactly 2^63
  Int64 n = 0;
  if (scaled >= -kTwo63 && scaled < kTwo63) n = Round(scaled);  // false for NaN
  return IntToHex(static_cast<Integer>(static_cast<UInt64>(n) & 0xFFFF), 4);
}

Integer HexField(const String& Text, Integer Index, Integer Count) {
  return StrToIntDef(u"$" + Copy(Text, Index, Count), 0);
}

}  // namespace

TDateTime CardClock() { return gClock ? gClock() : Now(); }
void SetCardClock(TCardClock Clock) { gClock = Clock; }

String ZeroPadNumber(Integer Value, Integer Width) {
  if (Width == 0) return String();
  Width %= 10;  // truncating, as the platform's mod
  String digits = IntToStr(Value);
  String result = Width > Length(digits) ? StringOfChar(u' ', Width - Length(digits)) + digits : digits;
  for (Char& c : result)
    if (c == u' ') c = u'0';
  return result;
}

String PadField(const String& Text, Integer Width) {
  if (Width <= 0) return String();
  String result = StringOfChar(u' ', Width);
  const size_t n = std::min(Text.size(), static_cast<size_t>(Width));
  for (size_t i = 0; i < n; ++i) result[i] = Text[i];
  return result;
}

Byte CardCheckValue(Word Kontor, const String& SerialDigits, const String& Invoice) {
  Byte check = static_cast<Byte>((Kontor >> 8) ^ (Kontor & 0xFF));
  for (Char c : SerialDigits) check ^= static_cast<Byte>(c & 0xFF);
  for (size_t i = 0; i < Invoice.size() && i < 5; ++i) check ^= static_cast<Byte>(Invoice[i] & 0xFF);
  return check;
}

String CardRecordToText(const TCardRecord& Rec) { return CardRecordToText(Rec, CardClock()); }

String CardRecordToText(const TCardRecord& Rec, TDateTime Clock) {
  Word year, month, day, hour, minute, sec, msec;
  DecodeDateTime(Clock, year, month, day, hour, minute, sec, msec);
  const String time = ZeroPadNumber(Integer(year) - 2000, 2) + ZeroPadNumber(month, 2) +
                      ZeroPadNumber(day, 2) + ZeroPadNumber(hour, 2) + ZeroPadNumber(minute, 2);

  const String kontor = IntToHex(Integer(Rec.Kontor), 4);
  // The modulo is taken on the unsigned value; the result fits an Integer.
  const String serial = ZeroPadNumber(static_cast<Integer>(Rec.SeriNo % 100000000u), 8);
  String invoice = PadField(AnsiToString(Rec.FaturaNo.ToAnsi()), 6);
  invoice[5] = static_cast<Char>(CardCheckValue(Rec.Kontor, serial, invoice));

  const Integer flags = (Rec.TarifeYapisi & 0x7F) + (Rec.CokluTarife ? 0x80 : 0);
  return kontor + serial + invoice + TariffField(Rec.T1) + TariffField(Rec.T2) + TariffField(Rec.T3) +
         TariffField(Rec.T4) + TariffField(Rec.T0) + IntToHex(flags, 2) +
         IntToHex(Integer(Rec.DusukAlarm), 2) + PadField(AnsiToString(Rec.TahsilatYeri.ToAnsi()), 4) + time;
}

AnsiString CardRecordToBytes(const TCardRecord& Rec) { return CardRecordToBytes(Rec, CardClock()); }

AnsiString CardRecordToBytes(const TCardRecord& Rec, TDateTime Clock) {
  const String text = CardRecordToText(Rec, Clock);
  AnsiString bytes = StringToAnsi(text);
  bytes[CardCheckPosition - 1] = static_cast<AnsiChar>(text[CardCheckPosition - 1]);
  return bytes;
}

Boolean CardBytesToRecord(const AnsiString& Bytes, TCardRecord& Rec) {
  if (!CardTextToRecord(AnsiToString(Bytes), Rec)) return false;
  Rec.FaturaNo = Bytes.substr(12, 6);
  Rec.TahsilatYeri = Bytes.substr(42, 4);
  return true;
}

Boolean CardTextToRecord(const String& Text, TCardRecord& Rec) {
  Rec = TCardRecord{};
  if (Length(Text) != CardTextLength) return false;
  Rec.Kontor = static_cast<Word>(HexField(Text, 1, 4) & 0xFFFF);
  Rec.SeriNo = static_cast<Cardinal>(StrToIntDef(Copy(Text, 5, 8), 0));
  Rec.FaturaNo = StringToAnsi(Copy(Text, 13, 6));
  Rec.T1 = HexField(Text, 19, 4) / 100.0;
  Rec.T2 = HexField(Text, 23, 4) / 100.0;
  Rec.T3 = HexField(Text, 27, 4) / 100.0;
  Rec.T4 = HexField(Text, 31, 4) / 100.0;
  Rec.T0 = HexField(Text, 35, 4) / 100.0;
  const Integer flags = HexField(Text, 39, 2);
  Rec.CokluTarife = flags >= 128;
  Rec.TarifeYapisi = static_cast<Byte>(flags & 0x7F);
  Rec.DusukAlarm = static_cast<Byte>(HexField(Text, 41, 2) & 0xFF);
  Rec.TahsilatYeri = StringToAnsi(Copy(Text, 43, 4));

  const Integer year = 2000 + StrToIntDef(Copy(Text, 47, 2), 1);
  const Integer month = StrToIntDef(Copy(Text, 49, 2), 1);
  const Integer day = StrToIntDef(Copy(Text, 51, 2), 1);
  const Integer hour = StrToIntDef(Copy(Text, 53, 2), 0);
  const Integer minute = StrToIntDef(Copy(Text, 55, 2), 0);
  auto word = [](Integer v) { return v >= 0 && v <= 0xFFFF; };
  TDateTime ts = 0;
  if (word(year) && word(month) && word(day) && word(hour) && word(minute) &&
      TryEncodeDateTime(Word(year), Word(month), Word(day), Word(hour), Word(minute), 0, 0, ts))
    Rec.YuklemeTS = ts;
  return true;
}
