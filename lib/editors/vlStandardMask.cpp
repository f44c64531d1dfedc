#include "lib/editors/vlStandardMask.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlStandardMaskCustomItem)
CL_IMPLEMENT_CLASS(TvlStandardMaskLiteralItem)
CL_IMPLEMENT_CLASS(TvlStandardMaskManyItem)
CL_IMPLEMENT_CLASS(TvlStandardMaskAlphaItem)
CL_IMPLEMENT_CLASS(TvlStandardMaskAlphaNumericItem)
CL_IMPLEMENT_CLASS(TvlStandardMaskASCIIItem)
CL_IMPLEMENT_CLASS(TvlStandardMaskNumericItem)
CL_IMPLEMENT_CLASS(TvlStandardMaskNumericSymbolItem)
CL_IMPLEMENT_CLASS(TvlStandardMask)

namespace {

Boolean IsDigit(Char C) { return C >= u'0' && C <= u'9'; }
Boolean IsAsciiLetter(Char C) { return (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z'); }

Boolean IsSlot(const TvlStandardMaskCustomItem* AItem) {
  return AItem->InheritsFrom(TvlStandardMaskManyItem::StaticClass());
}

}  // namespace

// --- Items -------------------------------------------------------------------------------------

Boolean TvlStandardMaskCustomItem::Check(Char&) { AbstractError(); }

void TvlStandardMaskLiteralItem::Create(Char ALiteral) { FLiteral = ALiteral; }

Boolean TvlStandardMaskLiteralItem::Check(Char& ASymbol) { return ASymbol == FLiteral; }

void TvlStandardMaskManyItem::Create(TvlCaseControl ACaseControl, Boolean AOptional) {
  FCaseControl = ACaseControl;
  FOptional = AOptional;
}

void TvlStandardMaskManyItem::ApplyCase(Char& ASymbol) const {
  if (FCaseControl == ccUpperCase)
    ASymbol = AnsiUpperChar(ASymbol);
  else if (FCaseControl == ccLowerCase)
    ASymbol = AnsiLowerChar(ASymbol);
}

// The letter slots take ASCII letters only, so an ASCII letter gets its
// ASCII case: under the Turkish locale "i" would become "İ" and no longer
// fit the slot it was typed into.
void TvlStandardMaskManyItem::ApplyAsciiCase(Char& ASymbol) const {
  if (!IsAsciiLetter(ASymbol)) return ApplyCase(ASymbol);
  if (FCaseControl == ccUpperCase && ASymbol >= u'a') ASymbol = Char(ASymbol - 32);
  if (FCaseControl == ccLowerCase && ASymbol <= u'Z') ASymbol = Char(ASymbol + 32);
}

Boolean TvlStandardMaskAlphaItem::Check(Char& ASymbol) {
  ApplyAsciiCase(ASymbol);
  return IsAsciiLetter(ASymbol);
}

Boolean TvlStandardMaskAlphaNumericItem::Check(Char& ASymbol) {
  ApplyAsciiCase(ASymbol);
  return IsAsciiLetter(ASymbol) || IsDigit(ASymbol);
}

Boolean TvlStandardMaskASCIIItem::Check(Char& ASymbol) {
  ApplyCase(ASymbol);
  return true;
}

Boolean TvlStandardMaskNumericItem::Check(Char& ASymbol) {
  ApplyCase(ASymbol);
  return IsDigit(ASymbol);
}

Boolean TvlStandardMaskNumericSymbolItem::Check(Char& ASymbol) {
  ApplyCase(ASymbol);
  return IsDigit(ASymbol) || ASymbol == u'+' || ASymbol == u'-';
}

// --- The mask ----------------------------------------------------------------------------------

void TvlStandardMask::Create() {
  FBlank = u'_';
  FSaveLiteralCharacters = true;
  FLeading = false;
}

void TvlStandardMask::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlStandardMask::Clear() {
  for (TvlStandardMaskCustomItem* item : FItems) Free(item);
  FItems.clear();
}

void TvlStandardMask::Compile(const String& AMask) {
  Clear();
  FBlank = u'_';
  FSaveLiteralCharacters = true;
  FLeading = false;
  FMask = AMask;

  String body = AMask;
  if (!body.empty() && body[0] == u'!') {
    FLeading = true;
    body.erase(0, 1);
  }
  // The ";S;B" or ";S" section, only at the very end.
  const size_t n = body.size();
  auto isSave = [](Char C) { return C == u'0' || C == u'1'; };
  if (n >= 4 && body[n - 4] == u';' && isSave(body[n - 3]) && body[n - 2] == u';') {
    FSaveLiteralCharacters = body[n - 3] == u'1';
    FBlank = body[n - 1];
    body.resize(n - 4);
  } else if (n >= 2 && body[n - 2] == u';' && isSave(body[n - 1])) {
    FSaveLiteralCharacters = body[n - 1] == u'1';
    body.resize(n - 2);
  }

  TvlCaseControl caseControl = ccUserCase;
  auto addLiteral = [this](Char C) { FItems.push_back(New<TvlStandardMaskLiteralItem>(C)); };
  auto addSlot = [this, &caseControl]<class T>(T*, Boolean AOptional) {
    FItems.push_back(New<T>(caseControl, AOptional));
  };
  const TFormatSettings& fs = FormatSettings();
  for (size_t i = 0; i < body.size(); ++i) {
    const Char c = body[i];
    switch (c) {
      case u'0': addSlot((TvlStandardMaskNumericItem*)nullptr, false); break;
      case u'9': addSlot((TvlStandardMaskNumericItem*)nullptr, true); break;
      case u'#': addSlot((TvlStandardMaskNumericSymbolItem*)nullptr, true); break;
      case u'L': addSlot((TvlStandardMaskAlphaItem*)nullptr, false); break;
      case u'l': addSlot((TvlStandardMaskAlphaItem*)nullptr, true); break;
      case u'A': addSlot((TvlStandardMaskAlphaNumericItem*)nullptr, false); break;
      case u'a': addSlot((TvlStandardMaskAlphaNumericItem*)nullptr, true); break;
      case u'C': addSlot((TvlStandardMaskASCIIItem*)nullptr, false); break;
      case u'c': addSlot((TvlStandardMaskASCIIItem*)nullptr, true); break;
      case u'>': caseControl = ccUpperCase; break;
      case u'<':
        if (i + 1 < body.size() && body[i + 1] == u'>') {
          caseControl = ccUserCase;
          ++i;
        } else {
          caseControl = ccLowerCase;
        }
        break;
      case u'\\':
        if (i + 1 < body.size()) addLiteral(body[++i]);
        break;
      case u'/': addLiteral(fs.DateSeparator); break;
      case u':': addLiteral(fs.TimeSeparator); break;
      default: addLiteral(c); break;
    }
  }
}

String TvlStandardMask::FullEmptyString() const {
  String result;
  result.reserve(FItems.size());
  for (TvlStandardMaskCustomItem* item : FItems)
    result += IsSlot(item) ? FBlank : static_cast<TvlStandardMaskLiteralItem*>(item)->Literal();
  return result;
}

String TvlStandardMask::EmptyString() const {
  String result;
  for (TvlStandardMaskCustomItem* item : FItems) {
    if (IsSlot(item))
      result += u' ';
    else if (FSaveLiteralCharacters)
      result += static_cast<TvlStandardMaskLiteralItem*>(item)->Literal();
  }
  return result;
}

void TvlStandardMask::Format(String& AText, Boolean AChangeCharCase, Boolean AMatchForBlanksAndLiterals) const {
  String result = FullEmptyString();
  const Integer count = Count();
  const Integer length = Integer(AText.size());
  const Integer step = Step();
  Integer item = FLeading ? count - 1 : 0;
  for (Integer k = 0; k < length; ++k) {
    const Char c = AText[size_t(FLeading ? length - 1 - k : k)];
    for (Integer i = item; i >= 0 && i < count; i += step) {
      TvlStandardMaskCustomItem* it = FItems[size_t(i)];
      const Boolean slot = IsSlot(it);
      if (!(FSaveLiteralCharacters || AMatchForBlanksAndLiterals || slot)) continue;
      Char symbol = c;
      if (it->Check(symbol)) {
        result[size_t(i)] = AChangeCharCase ? symbol : c;
        item = i + step;
        break;
      }
      if (IsBlank(c) && slot) {
        item = i + step;
        break;
      }
    }
  }
  AText = result;
}

void TvlStandardMask::Format2(String& AText) const {
  String result;
  const size_t n = std::min(AText.size(), FItems.size());
  for (size_t i = 0; i < n; ++i) {
    if (!IsSlot(FItems[i])) {
      if (FSaveLiteralCharacters) result += AText[i];
    } else {
      result += AText[i] == FBlank ? Char(u' ') : AText[i];
    }
  }
  AText = result;
}

Boolean TvlStandardMask::IsFullValid(String& AText) const {
  if (AText.size() != FItems.size()) return false;
  for (size_t i = 0; i < FItems.size(); ++i) {
    TvlStandardMaskCustomItem* item = FItems[i];
    if (item->Check(AText[i])) continue;
    if (IsBlank(AText[i]) && IsSlot(item) && static_cast<TvlStandardMaskManyItem*>(item)->Optional()) continue;
    return false;
  }
  return true;
}

Boolean TvlStandardMask::IsValid(String& AText) const {
  if (AText.size() > FItems.size()) return false;
  for (size_t i = 0; i < AText.size(); ++i) {
    TvlStandardMaskCustomItem* item = FItems[i];
    if (item->Check(AText[i])) continue;
    if (IsBlank(AText[i]) && IsSlot(item)) continue;
    return false;
  }
  return true;
}
