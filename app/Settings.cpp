#include "app/Settings.h"

#include <unistd.h>

#include "platform/classes/IniFiles.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"

namespace {

const String Section = u"TALVIK";

// Floats are written and read with "." whatever the locale: the program
// sets that separator before it touches the file.
TFormatSettings PointSettings() {
  TFormatSettings fs = FormatSettings();
  fs.DecimalSeparator = u'.';
  return fs;
}

// The program's integer syntax: leading spaces, an optional sign, decimal
// digits or hexadecimal after "$", fitting 32 bits.
Integer ProgramIntDef(const String& S, Integer Default) {
  size_t i = 0;
  while (i < S.size() && S[i] == u' ') ++i;
  if (i < S.size() && (S[i] == u'+' || S[i] == u'-')) ++i;
  if (i < S.size() && (S[i] == u'x' || S[i] == u'X' ||
                       (S[i] == u'0' && i + 1 < S.size() && (S[i + 1] == u'x' || S[i + 1] == u'X'))))
    return Default;
  return StrToIntDef(S, Default);
}

Integer ReadInt(TIniFile* Ini, const String& Key, Integer Default) {
  return ProgramIntDef(Ini->ReadString(Section, Key, String()), Default);
}

Double ReadFloat(TIniFile* Ini, const String& Key, Double Default, const TFormatSettings& FS) {
  double v;
  return TryStrToFloat(Ini->ReadString(Section, Key, String()), v, FS) ? v : Default;
}

}  // namespace

String SettingsFileName() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  const std::string exe = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("cardloader");
  const size_t slash = exe.rfind('/');
  const size_t dot = exe.rfind('.');
  const std::string base =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? exe.substr(0, dot) : exe;
  return UTF8ToUTF16(base + ".ini");
}

void LoadSettings(const String& FileName, Byte& ComPortNumber, TCardRecord& Defaults) {
  const TFormatSettings fs = PointSettings();
  TIniFile* ini = New<TIniFile>(FileName);
  Finally freeIni([&] { Free(ini); });
  Defaults = TCardRecord{};
  ComPortNumber = static_cast<Byte>(ReadInt(ini, u"COM", 1));
  Defaults.Kontor = static_cast<Word>(ReadInt(ini, u"Kontor", 100));
  Defaults.SeriNo = static_cast<Cardinal>(ReadInt(ini, u"SeriNo", 0));
  Defaults.FaturaNo = StringToAnsi(ini->ReadString(Section, u"FaturaNo", u"AB1234"));
  Defaults.T1 = ReadFloat(ini, u"T1", 23.14, fs);
  Defaults.T2 = ReadFloat(ini, u"T2", 32.17, fs);
  Defaults.T3 = ReadFloat(ini, u"T3", 12.97, fs);
  Defaults.T4 = ReadFloat(ini, u"T4", 23.14, fs);
  Defaults.T0 = ReadFloat(ini, u"T0", 24.68, fs);
  Defaults.CokluTarife = ReadInt(ini, u"CokluTarifeAktif", 1) != 0;
  Defaults.TarifeYapisi = static_cast<Byte>(ReadInt(ini, u"TarifeYapisi", 1));
  Defaults.DusukAlarm = static_cast<Byte>(ReadInt(ini, u"DusukAlarm", 10));
  Defaults.TahsilatYeri = StringToAnsi(ini->ReadString(Section, u"TahsilatYeri", u"ABCD"));
}

void SaveSettings(const String& FileName, Byte ComPortNumber, const TCardRecord& Defaults) {
  const TFormatSettings fs = PointSettings();
  TIniFile* ini = New<TIniFile>(FileName);
  Finally freeIni([&] { Free(ini); });
  ini->WriteInteger(Section, u"COM", ComPortNumber);
  ini->WriteInteger(Section, u"Kontor", Defaults.Kontor);
  ini->WriteInteger(Section, u"SeriNo", static_cast<Integer>(Defaults.SeriNo));  // as the 32-bit pattern
  ini->WriteString(Section, u"FaturaNo", AnsiToString(Defaults.FaturaNo.ToAnsi()));
  ini->WriteString(Section, u"T1", FloatToStr(Defaults.T1, fs));
  ini->WriteString(Section, u"T2", FloatToStr(Defaults.T2, fs));
  ini->WriteString(Section, u"T3", FloatToStr(Defaults.T3, fs));
  ini->WriteString(Section, u"T4", FloatToStr(Defaults.T4, fs));
  ini->WriteString(Section, u"T0", FloatToStr(Defaults.T0, fs));
  ini->WriteString(Section, u"CokluTarifeAktif", Defaults.CokluTarife ? u"1" : u"0");
  ini->WriteInteger(Section, u"TarifeYapisi", Defaults.TarifeYapisi);
  ini->WriteInteger(Section, u"DusukAlarm", Defaults.DusukAlarm);
  ini->WriteString(Section, u"TahsilatYeri", AnsiToString(Defaults.TahsilatYeri.ToAnsi()));
}
