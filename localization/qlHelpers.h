// Small helpers the sources of the localization component share (internal
// to localization/; included by source files only).
#pragma once

#include "platform/classes/Classes.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Strings.h"

namespace ql_internal {

// Whether the list holds S (ignoring ASCII case).
inline Boolean ListHas(TStrings* List, const String& S) {
  for (Integer i = 0; i < List->Count(); ++i)
    if (SameText(List->Strings(i), S)) return true;
  return false;
}

// The path of a line: the text before the first delimiter, the whole line
// when it has none.
inline String PathOf(const String& Line, Char D) {
  size_t p = Line.find(D);
  return p == String::npos ? Line : Line.substr(0, p);
}

// The beginning of Line equals Prefix, ignoring ASCII case (never the
// Turkish dotted and dotless i rules).
inline Boolean StartsSameText(const String& Prefix, const String& Line) {
  return Line.size() >= Prefix.size() && SameText(Line.substr(0, Prefix.size()), Prefix);
}

inline Boolean ReadWrite(const TPropInfo* P) { return P && P->Getter && P->Setter; }

// Whether a control takes its parent's font.
inline Boolean UsesParentFont(TObject* AObject) {
  const TPropInfo* p = GetPropInfo(AObject, u"ParentFont", TTypeKinds{tkEnumeration});
  return p && p->Getter && GetOrdProp(AObject, p) != 0;
}

// The file replaced by the whole of Data: written beside it under another
// name and renamed over it, so that a failure (a full disk, a folder that
// cannot be written) leaves the old file as it was. Defined in qlTextFiles.cpp.
void ReplaceFile(const String& FileName, TMemoryStream* Data);

}  // namespace ql_internal
