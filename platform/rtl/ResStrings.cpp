#include "platform/rtl/ResStrings.h"

#include <atomic>

#include "platform/rtl/Format.h"

namespace {

std::atomic<TStringTableReader> gReader{nullptr};
std::atomic<TLoadResStringFunc> gLoadResString{nullptr};
std::atomic<TLoadStrFunc> gLoadStr{nullptr};
std::atomic<TFmtLoadStrFunc> gFmtLoadStr{nullptr};

TLoadResStringFunc ResStringFunc() {
  TLoadResStringFunc f = gLoadResString.load();
  return f ? f : &DefaultLoadResString;
}
TLoadStrFunc StrFunc() {
  TLoadStrFunc f = gLoadStr.load();
  return f ? f : &DefaultLoadResStr;
}
TFmtLoadStrFunc FmtFunc() {
  TFmtLoadStrFunc f = gFmtLoadStr.load();
  return f ? f : &DefaultFmtLoadStr;
}

}  // namespace

void SetStringTableReader(TStringTableReader Reader) { gReader.store(Reader); }
TStringTableReader GetStringTableReader() { return gReader.load(); }

String LoadResStringDirect(PResStringRec ResStringRec) {
  if (!ResStringRec) return String();
  if (ResStringRec->Identifier >= ResStringAddressBase) {
    const Char* text = reinterpret_cast<const Char*>(ResStringRec->Identifier);
    return String(text);
  }
  TStringTableReader reader = gReader.load();
  if (!reader) return String();
  Char buffer[MaxResStringLength + 1];
  Integer n = reader(ResStringRec->Module, static_cast<Cardinal>(ResStringRec->Identifier), buffer,
                     MaxResStringLength + 1);
  if (n <= 0) return String();
  if (n > MaxResStringLength) n = MaxResStringLength;
  return String(buffer, static_cast<size_t>(n));
}

String DefaultLoadResString(PResStringRec ResStringRec) { return LoadResStringDirect(ResStringRec); }

String DefaultLoadResStr(Cardinal Ident) {
  TResStringRec rec{nullptr, Ident};
  return LoadResString(&rec);
}

String DefaultFmtLoadStr(Cardinal Ident, const TVarRec* Args, size_t Count) {
  String fmt = LoadResStr(Ident);
  if (fmt.empty()) return fmt;
  return Format(fmt, Args, Count);
}

TResStringLoaders SetResStringLoaders(const TResStringLoaders& Loaders) {
  TResStringLoaders old;
  old.LoadResString = ResStringFunc();
  old.LoadStr = StrFunc();
  old.FmtLoadStr = FmtFunc();
  gLoadResString.store(Loaders.LoadResString);
  gLoadStr.store(Loaders.LoadStr);
  gFmtLoadStr.store(Loaders.FmtLoadStr);
  return old;
}

TResStringLoaders GetResStringLoaders() {
  TResStringLoaders cur;
  cur.LoadResString = ResStringFunc();
  cur.LoadStr = StrFunc();
  cur.FmtLoadStr = FmtFunc();
  return cur;
}

String LoadResString(PResStringRec ResStringRec) { return ResStringFunc()(ResStringRec); }

String LoadResStr(Cardinal Ident) { return StrFunc()(Ident); }

String FmtLoadStr(Cardinal Ident, std::initializer_list<TVarRec> Args) {
  return FmtFunc()(Ident, Args.begin(), Args.size());
}

String FmtLoadStr(Cardinal Ident, const TVarRec* Args, size_t Count) { return FmtFunc()(Ident, Args, Count); }
