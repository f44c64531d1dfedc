// The states of a list of captioned items as one edit value, and back.
#include <climits>
#include <map>

#include "lib/editors/vlCheckBox.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

namespace {

// The only bits cvfInteger keeps.
constexpr Integer kIntegerFormatBits = 64;

Boolean IsDigit(Char C) { return C >= u'0' && C <= u'9'; }

// A decimal number starting at P (0-based), stopping before a digit that
// would overflow a 32-bit signed value. False when no digit starts it.
Boolean ReadNumber(const String& S, size_t& P, Integer& ANumber) {
  if (P >= S.size() || !IsDigit(S[P])) return false;
  Int64 n = 0;
  while (P < S.size() && IsDigit(S[P])) {
    const Int64 next = n * 10 + (S[P] - u'0');
    if (next > INT_MAX) break;
    n = next;
    ++P;
  }
  ANumber = Integer(n);
  return true;
}

String CaptionsOfState(const TvlCheckStates& AStates, IvlCaptionItems* AItems, TvlCheckBoxState AState) {
  String r;
  for (size_t i = 0; i < AStates.size(); ++i) {
    if (AStates[i] != AState) continue;
    const String caption = AItems->GetCaption(Integer(i));
    r += IntToStr(Integer(caption.size())) + u":" + caption;
  }
  return r;
}

String IndicesOfState(const TvlCheckStates& AStates, TvlCheckBoxState AState) {
  String r;
  for (size_t i = 0; i < AStates.size(); ++i) {
    if (AStates[i] != AState) continue;
    if (!r.empty()) r += u",";
    r += IntToStr(Integer(i));
  }
  return r;
}

Boolean AnyChecked(const TvlCheckStates& AStates) {
  for (TvlCheckBoxState s : AStates)
    if (s == cbsChecked) return true;
  return false;
}

Boolean CaptionsToStates(const String& S, IvlCaptionItems* AItems, TvlCheckStates& AStates) {
  std::map<String, TvlCheckBoxState> entries;
  TvlCheckBoxState part = cbsGrayed;
  size_t p = 0;
  while (p < S.size()) {
    if (S[p] == u';' && part == cbsGrayed) {
      part = cbsChecked;
      ++p;
      continue;
    }
    Integer length = 0;
    if (!ReadNumber(S, p, length)) return false;
    if (p >= S.size() || S[p] != u':') return false;
    ++p;
    if (size_t(length) > S.size() - p) return false;
    entries[S.substr(p, size_t(length))] = part;
    p += size_t(length);
  }
  for (size_t i = 0; i < AStates.size(); ++i) {
    auto e = entries.find(AItems->GetCaption(Integer(i)));
    if (e == entries.end()) continue;
    AStates[i] = e->second;
  }
  // Two items may share a caption: every entry must have found one.
  for (const auto& e : entries) {
    Boolean found = false;
    for (size_t i = 0; i < AStates.size() && !found; ++i) found = AItems->GetCaption(Integer(i)) == e.first;
    if (!found) return false;
  }
  return true;
}

// A comma-separated run of indices below the item count.
Boolean ReadIndices(const String& S, TvlCheckBoxState AState, TvlCheckStates& AStates) {
  size_t p = 0;
  while (true) {
    Integer index = 0;
    if (!ReadNumber(S, p, index) || size_t(index) >= AStates.size()) return false;
    AStates[size_t(index)] = AState;
    if (p == S.size()) return true;
    if (S[p] != u',') return false;
    ++p;
  }
}

Boolean IndicesToStates(const String& S, TvlCheckStates& AStates) {
  const size_t semicolon = S.find(u';');
  const String grayed = S.substr(0, semicolon);
  if (!grayed.empty() && !ReadIndices(grayed, cbsGrayed, AStates)) return false;
  if (semicolon == String::npos) return true;
  return ReadIndices(S.substr(semicolon + 1), cbsChecked, AStates);
}

Boolean IntegerToStates(const Variant& AValue, TvlCheckStates& AStates) {
  Int64 bits = 0;
  if (VarIsNull(AValue))
    bits = 0;
  else if (VarIsStr(AValue)) {
    if (!TryStrToInt64(Trim(VarToStr(AValue)), bits)) return false;
  } else if (VarIsNumeric(AValue) || VarType(AValue) == varDate) {
    try {
      bits = AValue.AsInt64();
    } catch (const Exception&) {
      return false;
    }
  } else
    return false;
  const size_t n = std::min<size_t>(AStates.size(), kIntegerFormatBits);
  for (size_t i = 0; i < n; ++i) AStates[i] = ((UInt64(bits) >> i) & 1) ? cbsChecked : cbsUnchecked;
  return true;
}

Boolean StatesStringToStates(const String& S, TvlCheckStates& AStates) {
  const size_t n = std::min(S.size(), AStates.size());
  for (size_t i = 0; i < n; ++i) {
    if (S[i] < u'0' || S[i] > u'2') return false;
    AStates[i] = TvlCheckBoxState(S[i] - u'0');
  }
  return true;
}

}  // namespace

Variant vlCheckStatesToEditValue(const TvlCheckStates& ACheckStates, IvlCaptionItems* AItems,
                                 TvlCheckStatesValueFormatEx AValueFormat) {
  switch (AValueFormat) {
    case cvfCaptions: {
      String r = CaptionsOfState(ACheckStates, AItems, cbsGrayed);
      if (AnyChecked(ACheckStates)) r += u";" + CaptionsOfState(ACheckStates, AItems, cbsChecked);
      return Variant(r);
    }
    case cvfIndices: {
      String r = IndicesOfState(ACheckStates, cbsGrayed);
      if (AnyChecked(ACheckStates)) r += u";" + IndicesOfState(ACheckStates, cbsChecked);
      return Variant(r);
    }
    case cvfInteger: {
      UInt64 bits = 0;
      const size_t n = std::min<size_t>(ACheckStates.size(), kIntegerFormatBits);
      for (size_t i = 0; i < n; ++i)
        if (ACheckStates[i] == cbsChecked) bits |= UInt64(1) << i;
      return Variant(Int64(bits));
    }
    case cvfStatesString: {
      String r(ACheckStates.size(), u'0');
      for (size_t i = 0; i < ACheckStates.size(); ++i) r[i] = Char(u'0' + Integer(ACheckStates[i]));
      return Variant(r);
    }
    default: return Variant();
  }
}

Boolean vlEditValueToCheckStates(const Variant& AValue, IvlCaptionItems* AItems,
                                 TvlCheckStatesValueFormatEx AValueFormat, TvlCheckStates& ACheckStates) {
  const Integer count = AItems ? AItems->GetCount() : 0;
  ACheckStates.assign(size_t(count), cbsUnchecked);
  Boolean ok = false;
  if (AValueFormat == cvfInteger)
    ok = IntegerToStates(AValue, ACheckStates);
  else if (AValueFormat != cvfCustom && (VarIsNull(AValue) || VarIsStr(AValue))) {
    const String s = VarIsNull(AValue) ? String() : VarToStr(AValue);
    if (s.empty())
      ok = true;
    else if (AValueFormat == cvfCaptions)
      ok = CaptionsToStates(s, AItems, ACheckStates);
    else if (AValueFormat == cvfIndices)
      ok = IndicesToStates(s, ACheckStates);
    else
      ok = StatesStringToStates(s, ACheckStates);
  }
  if (!ok) ACheckStates.assign(size_t(count), cbsUnchecked);
  return ok;
}
