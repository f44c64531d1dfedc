// The in-memory cursor, the filter expression and the in-memory data set.
#include "platform/db/MemData.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/TypInfoBuild.h"
#include "platform/db/DBPublish.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

using namespace dbconsts;

// --- Filter expressions ------------------------------------------------------------
//
//   expr  := and { "or" and }        and := not { "and" not }
//   not   := "not" not | "(" expr ")" | operand [ op operand | "is" ["not"] "null" ]
//   op    := = <> < > <= >=          operand := name | [name] | 'text' | number | null | true | false
//
// Text compared with "=" may end in "*" (a prefix match) unless
// foNoPartialCompare; foCaseInsensitive compares text without regard to case.

namespace memdata_detail {

enum TNodeKind { nkOr, nkAnd, nkNot, nkCompare, nkIsNull, nkField, nkValue };
enum TCompareOp { coEq, coNe, coLt, coGt, coLe, coGe };

struct TFilterNode {
  TNodeKind Kind{};
  TCompareOp Op{};
  bool Negated = false;  // "is not null"
  String Name;           // field name
  Variant Value;         // literal
  std::shared_ptr<TFilterNode> L, R;
};

}  // namespace memdata_detail

namespace {

using memdata_detail::TFilterNode;
using NodePtr = std::shared_ptr<TFilterNode>;
using namespace memdata_detail;

class TFilterParser {
 public:
  explicit TFilterParser(const String& Text) : S(Text) {}

  NodePtr Parse() {
    NodePtr n = ParseOr();
    SkipBlanks();
    if (P < S.size()) Fail(u"unexpected text");
    return n;
  }

 private:
  const String& S;
  size_t P = 0;
  int Depth = 0;

  [[noreturn]] void Fail(const String& Why) {
    DatabaseErrorFmt(SFilterExpression, {Why + u" in \"" + S + u"\""});
  }

  void SkipBlanks() {
    while (P < S.size() && (S[P] == u' ' || S[P] == u'\t' || S[P] == u'\r' || S[P] == u'\n')) ++P;
  }

  static bool IsIdentChar(Char C) {
    return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9') || C == u'_' ||
           C > 0x7F;
  }

  // Accepts a keyword (case-insensitive) followed by a non-identifier character.
  bool Keyword(const char16_t* Word) {
    SkipBlanks();
    size_t n = std::char_traits<char16_t>::length(Word);
    if (P + n > S.size()) return false;
    if (CompareText(S.substr(P, n), Word) != 0) return false;
    if (P + n < S.size() && IsIdentChar(S[P + n])) return false;
    P += n;
    return true;
  }

  NodePtr Binary(TNodeKind K, NodePtr L, NodePtr R) {
    auto n = std::make_shared<TFilterNode>();
    n->Kind = K;
    n->L = std::move(L);
    n->R = std::move(R);
    return n;
  }

  NodePtr ParseOr() {
    NodePtr l = ParseAnd();
    while (Keyword(u"or")) l = Binary(nkOr, l, ParseAnd());
    return l;
  }

  NodePtr ParseAnd() {
    NodePtr l = ParseNot();
    while (Keyword(u"and")) l = Binary(nkAnd, l, ParseNot());
    return l;
  }

  NodePtr ParseNot() {
    if (++Depth > 100) Fail(u"nesting too deep");
    Finally depth([&] { --Depth; });
    if (Keyword(u"not")) return Binary(nkNot, ParseNot(), nullptr);
    SkipBlanks();
    if (P < S.size() && S[P] == u'(') {
      ++P;
      NodePtr inner = ParseOr();
      SkipBlanks();
      if (P >= S.size() || S[P] != u')') Fail(u"missing )");
      ++P;
      return inner;
    }
    NodePtr left = ParseOperand();
    if (Keyword(u"is")) {
      auto n = std::make_shared<TFilterNode>();
      n->Kind = nkIsNull;
      n->Negated = Keyword(u"not");
      if (!Keyword(u"null")) Fail(u"NULL expected");
      n->L = left;
      return n;
    }
    SkipBlanks();
    TCompareOp op;
    if (Match(u"<>"))
      op = coNe;
    else if (Match(u"<="))
      op = coLe;
    else if (Match(u">="))
      op = coGe;
    else if (Match(u"="))
      op = coEq;
    else if (Match(u"<"))
      op = coLt;
    else if (Match(u">"))
      op = coGt;
    else
      Fail(u"comparison expected");
    auto n = Binary(nkCompare, left, ParseOperand());
    n->Op = op;
    return n;
  }

  bool Match(const char16_t* Tok) {
    size_t n = std::char_traits<char16_t>::length(Tok);
    if (S.compare(P, n, Tok) == 0) {
      P += n;
      return true;
    }
    return false;
  }

  NodePtr ParseOperand() {
    SkipBlanks();
    if (P >= S.size()) Fail(u"operand expected");
    auto n = std::make_shared<TFilterNode>();
    Char c = S[P];
    if (c == u'\'' || c == u'"') {
      Char q = c;
      ++P;
      String text;
      for (;;) {
        if (P >= S.size()) Fail(u"unterminated string");
        if (S[P] == q) {
          if (P + 1 < S.size() && S[P + 1] == q) {
            text.push_back(q);
            P += 2;
            continue;
          }
          ++P;
          break;
        }
        text.push_back(S[P++]);
      }
      n->Kind = nkValue;
      n->Value = Variant(text);
      return n;
    }
    if (c == u'[') {
      size_t e = S.find(u']', P);
      if (e == String::npos) Fail(u"missing ]");
      n->Kind = nkField;
      n->Name = S.substr(P + 1, e - P - 1);
      P = e + 1;
      return n;
    }
    if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'.') {
      size_t start = P++;
      while (P < S.size() &&
             ((S[P] >= u'0' && S[P] <= u'9') || S[P] == u'.' || S[P] == u'e' || S[P] == u'E' ||
              ((S[P] == u'-' || S[P] == u'+') && (S[P - 1] == u'e' || S[P - 1] == u'E'))))
        ++P;
      String num = S.substr(start, P - start);
      Int64 i;
      if (TryStrToInt64(num, i)) {
        n->Value = i >= -2147483648LL && i <= 2147483647LL ? Variant(static_cast<Integer>(i)) : Variant(i);
      } else {
        // Literals use "." whatever the locale.
        TFormatSettings fs = FormatSettings();
        fs.DecimalSeparator = u'.';
        double d;
        if (!TryStrToFloat(num, d, fs)) Fail(u"bad number " + num);
        n->Value = Variant(d);
      }
      n->Kind = nkValue;
      return n;
    }
    if (IsIdentChar(c)) {
      size_t start = P;
      while (P < S.size() && IsIdentChar(S[P])) ++P;
      String word = S.substr(start, P - start);
      n->Kind = nkValue;
      if (CompareText(word, u"null") == 0)
        n->Value = Null();
      else if (CompareText(word, u"true") == 0)
        n->Value = Variant(true);
      else if (CompareText(word, u"false") == 0)
        n->Value = Variant(false);
      else {
        n->Kind = nkField;
        n->Name = word;
      }
      return n;
    }
    Fail(u"operand expected");
  }
};

bool IsBlankV(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

bool IsTextField(TField* F) {
  switch (F->DataType()) {
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
    case ftGuid:
      return true;
    default:
      return false;
  }
}

struct TFilterEval {
  TDataSet* DataSet;
  TFilterOptions Options;

  // An operand's value and, for a field, the field.
  Variant Operand(const TFilterNode& N, TField*& Field) {
    if (N.Kind == nkField) {
      Field = DataSet->FieldByName(N.Name);
      return Field->AsVariant();
    }
    Field = nullptr;
    return N.Value;
  }

  bool Compare(const TFilterNode& N) {
    TField* lf = nullptr;
    TField* rf = nullptr;
    Variant l = Operand(*N.L, lf);
    Variant r = Operand(*N.R, rf);
    if (IsBlankV(l) || IsBlankV(r)) {
      bool both = IsBlankV(l) && IsBlankV(r);
      return N.Op == coEq ? both : N.Op == coNe ? !both : false;
    }
    TField* f = lf ? lf : rf;
    int cmp;
    if ((f && IsTextField(f)) || (VarIsStr(l) && VarIsStr(r))) {
      String a = VarToStr(l), b = VarToStr(r);
      bool swapped = !lf && rf;
      String& lit = swapped ? a : b;
      String& val = swapped ? b : a;
      if ((N.Op == coEq || N.Op == coNe) && !Options.Contains(foNoPartialCompare) && !lit.empty() &&
          lit.back() == u'*') {
        lit.pop_back();
        if (val.size() > lit.size()) val.resize(lit.size());
      }
      cmp = Options.Contains(foCaseInsensitive) ? AnsiCompareText(a, b) : CompareStr(a, b);
    } else {
      try {
        if (lf && !rf) r = lf->ConvertValue(r);
        if (rf && !lf) l = rf->ConvertValue(l);
        TVariantRelationship rel = VarCompareValue(l, r);
        if (rel == vrNotEqual) return N.Op == coNe;
        cmp = rel == vrEqual ? 0 : rel == vrLessThan ? -1 : 1;
      } catch (const Exception&) {
        return N.Op == coNe;
      }
    }
    switch (N.Op) {
      case coEq:
        return cmp == 0;
      case coNe:
        return cmp != 0;
      case coLt:
        return cmp < 0;
      case coGt:
        return cmp > 0;
      case coLe:
        return cmp <= 0;
      case coGe:
        return cmp >= 0;
    }
    return false;
  }

  bool Eval(const TFilterNode& N) {
    switch (N.Kind) {
      case nkOr:
        return Eval(*N.L) || Eval(*N.R);
      case nkAnd:
        return Eval(*N.L) && Eval(*N.R);
      case nkNot:
        return !Eval(*N.L);
      case nkCompare:
        return Compare(N);
      case nkIsNull: {
        TField* f;
        bool blank = IsBlankV(Operand(*N.L, f));
        return N.Negated ? !blank : blank;
      }
      case nkField: {
        TField* f;
        Variant v = Operand(N, f);
        return !IsBlankV(v) && v.AsBoolean();
      }
      case nkValue:
        return !IsBlankV(N.Value) && N.Value.AsBoolean();
    }
    return false;
  }
};

}  // namespace

// --- Record buffers read from a row store -------------------------------------------

void TRecordBuffer::Clear(size_t Slots) {
  Values.assign(Slots, Null());
  Source = nullptr;
}

void TRecordBuffer::LoadSlot(size_t Index) {
  if (Index >= Source->ColumnCount()) return;  // calculated and lookup slots
  if (Source->Generation() != SourceGeneration) {
    std::ptrdiff_t row = Source->IndexOfId(SourceId);
    if (row < 0) {
      // The row is gone: what was not read yet reads as Null.
      for (size_t i = 0; i < Source->ColumnCount() && i < Values.size(); ++i)
        if (Values[i].VType() == varEmpty) Values[i] = Null();
      Source = nullptr;
      return;
    }
    SourceRow = static_cast<size_t>(row);
    SourceGeneration = Source->Generation();
  }
  Values[Index] = Source->Value(SourceRow, Index);
}

Variant TRecordBuffer::TakeSlot(size_t Index) {
  Variant& v = Values[Index];
  if (v.VType() == varEmpty && Index < Source->ColumnCount() && Source->Generation() == SourceGeneration)
    return Source->Value(SourceRow, Index);
  Slot(Index);
  return Source ? std::move(v) : v;
}

void TRecordBuffer::LoadAll() {
  if (!Source) return;
  for (size_t i = 0; Source && i < Values.size(); ++i)
    if (Values[i].VType() == varEmpty) LoadSlot(i);
  Source = nullptr;
}

// --- TCustomMemDataSet ------------------------------------------------------------------

void TCustomMemDataSet::Destroy() {
  inherited::Destroy();
  FStore.Reset(0);
}

TBookmark TCustomMemDataSet::MakeBookmark(UInt64 Id) {
  TBookmark b(8);
  for (int i = 0; i < 8; ++i) b[static_cast<size_t>(i)] = static_cast<Byte>(Id >> (8 * i));
  return b;
}

bool TCustomMemDataSet::BookmarkToId(const TBookmark& B, UInt64& Id) {
  if (B.size() != 8) return false;
  Id = 0;
  for (int i = 7; i >= 0; --i) Id = (Id << 8) | B[static_cast<size_t>(i)];
  return true;
}

void TCustomMemDataSet::ClearRows() {
  FStore.Reset(FStore.ColumnCount());
  FCursor = -1;
}

UInt64 TCustomMemDataSet::CursorId() const {
  if (FCursor < 0 || FCursor >= static_cast<Integer>(FStore.RowCount())) return 0;
  return FStore.Id(static_cast<size_t>(FCursor));
}

void TCustomMemDataSet::SetCursorToId(UInt64 Id, Integer Otherwise) {
  Integer i = Id ? IndexOfId(Id) : -1;
  FCursor = i >= 0 ? i : std::min(Otherwise, static_cast<Integer>(FStore.RowCount()));
}

void TCustomMemDataSet::InternalInitFieldDefs() {
  // Persistent fields define the structure when no definitions were given.
  if (FieldDefs()->Count() == 0) {
    for (Integer i = 0; i < FieldCount(); ++i) {
      TField* f = Fields()->Fields(i);
      if (f->FieldKind() != fkData) continue;
      FieldDefs()->Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
    }
  }
}

void TCustomMemDataSet::InternalOpen() {
  InternalInitFieldDefs();
  LoadRows();
  FStore.Reshape(static_cast<size_t>(FieldDefs()->Count()));
  FCursor = -1;
  FCursorOpen = true;
}

void TCustomMemDataSet::InternalClose() { FCursorOpen = false; }

void TCustomMemDataSet::FillBuffer(TRecordBuffer* Buffer, Integer Row) {
  // The values are read from the store when a field asks for them.
  size_t slots = static_cast<size_t>(SlotCount());
  if (Buffer->Values.size() != slots) Buffer->Values.resize(slots);
  size_t n = std::min(FStore.ColumnCount(), slots);
  for (size_t i = 0; i < n; ++i)
    if (Buffer->Values[i].VType() != varEmpty) VarClear(Buffer->Values[i]);  // slots moved out are Empty
  size_t row = static_cast<size_t>(Row);
  UInt64 id = FStore.Id(row);
  Buffer->Source = &FStore;
  Buffer->SourceRow = row;
  Buffer->SourceId = id;
  Buffer->SourceGeneration = FStore.Generation();
  Buffer->Bookmark.resize(8);
  for (int i = 0; i < 8; ++i) Buffer->Bookmark[static_cast<size_t>(i)] = static_cast<Byte>(id >> (8 * i));
  Buffer->Flag = bfCurrent;
}

Boolean TCustomMemDataSet::RowAccepted(Integer Index, TRecordBuffer* Scratch) {
  if (!Filtered()) return true;
  FillBuffer(Scratch, Index);
  return RecordFilter(Scratch);
}

TGetResult TCustomMemDataSet::GetRecord(TRecordBuffer* Buffer, TGetMode GetMode, Boolean DoCheck) {
  Integer n = static_cast<Integer>(FStore.RowCount());
  for (;;) {
    switch (GetMode) {
      case gmNext:
        if (FCursor < n) ++FCursor;
        if (FCursor >= n) {
          FCursor = n;
          return grEOF;
        }
        break;
      case gmPrior:
        if (FCursor >= 0) --FCursor;
        if (FCursor < 0) {
          FCursor = -1;
          return grBOF;
        }
        break;
      case gmCurrent:
        if (FCursor < 0 || FCursor >= n) return grError;
        break;
    }
    FillBuffer(Buffer, FCursor);
    if (Filtered() && !RecordFilter(Buffer)) {
      if (GetMode == gmCurrent) return grError;
      continue;
    }
    GetCalcFields(Buffer);
    return grOK;
  }
}

void TCustomMemDataSet::InternalSetToRecord(TRecordBuffer* Buffer) {
  UInt64 id;
  if (Buffer->Flag == bfEOF) {
    FCursor = static_cast<Integer>(FStore.RowCount());
    return;
  }
  if (Buffer->Source == &FStore && Buffer->SourceGeneration == FStore.Generation()) {
    FCursor = static_cast<Integer>(Buffer->SourceRow);
    return;
  }
  if (BookmarkToId(Buffer->Bookmark, id)) {
    Integer i = IndexOfId(id);
    if (i >= 0) FCursor = i;
  }
}

void TCustomMemDataSet::InternalGotoBookmark(const TBookmark& ABookmark) {
  UInt64 id;
  Integer i = BookmarkToId(ABookmark, id) ? IndexOfId(id) : -1;
  if (i < 0) DatabaseError(SRecordNotFound, this);
  FCursor = i;
}

Boolean TCustomMemDataSet::BookmarkValid(const TBookmark& ABookmark) {
  UInt64 id;
  return Active() && BookmarkToId(ABookmark, id) && IndexOfId(id) >= 0;
}

Integer TCustomMemDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
  if (Bookmark1.empty() || Bookmark2.empty()) {
    if (Bookmark1.empty() && Bookmark2.empty()) return 0;
    return Bookmark1.empty() ? -1 : 1;
  }
  UInt64 a, b;
  Integer ia = BookmarkToId(Bookmark1, a) ? IndexOfId(a) : -1;
  Integer ib = BookmarkToId(Bookmark2, b) ? IndexOfId(b) : -1;
  if (ia == ib) return 0;
  return ia < ib ? -1 : 1;
}

void TCustomMemDataSet::InternalPost() {
  inherited::InternalPost();  // required fields
  TRecordBuffer* b = ActiveBuffer();
  b->LoadAll();
  size_t n = static_cast<size_t>(FieldDefs()->Count());
  TMemRow row;
  row.Values.assign(b->Values.begin(),
                    b->Values.begin() + static_cast<std::ptrdiff_t>(std::min(n, b->Values.size())));
  row.Values.resize(n, Null());
  if (State() == dsEdit) {
    UInt64 id;
    Integer i = BookmarkToId(b->Bookmark, id) ? IndexOfId(id) : -1;
    if (i < 0) DatabaseError(SRecordNotFound, this);
    row.Id = id;
    TMemRow old{id, FStore.RowValues(static_cast<size_t>(i))};
    ApplyUpdate(old, row);
    FStore.SetRowValues(static_cast<size_t>(i), row.Values);
    FCursor = i;
    return;
  }
  // Auto-increment fields of the in-memory store take the next number.
  for (Integer d = 0; d < FieldDefs()->Count(); ++d) {
    size_t col = static_cast<size_t>(d);
    if (FieldDefs()->Items(d)->DataType() != ftAutoInc || !VarIsNull(row.Values[col])) continue;
    Int64 max = 0;
    for (size_t r = 0; r < FStore.RowCount(); ++r) {
      if (FStore.IsNull(r, col)) continue;
      Int64 v = FStore.Value(r, col).AsInt64();
      if (v > max) max = v;
    }
    row.Values[col] = Variant(static_cast<Integer>(max + 1));
  }
  row.Id = FLastId + 1;
  ApplyInsert(row);
  FLastId = row.Id;
  Integer at = static_cast<Integer>(FStore.RowCount());
  UInt64 before;
  if (b->Flag == bfInserted && BookmarkToId(b->Bookmark, before)) {
    Integer i = IndexOfId(before);
    if (i >= 0) at = i;
  }
  FStore.Insert(static_cast<size_t>(at), row.Id, row.Values);
  FCursor = at;
}

void TCustomMemDataSet::InternalDelete() {
  if (FCursor < 0 || FCursor >= static_cast<Integer>(FStore.RowCount())) DatabaseError(SRecordNotFound, this);
  size_t i = static_cast<size_t>(FCursor);
  ApplyDelete(TMemRow{FStore.Id(i), FStore.RowValues(i)});
  FStore.Erase(i);
}

void TCustomMemDataSet::InternalRefresh() {
  Integer keep = FCursor;
  UInt64 keepId = CursorId();
  LoadRows();
  FStore.Reshape(static_cast<size_t>(FieldDefs()->Count()));
  // The cursor stays on its row when the row is still there.
  SetCursorToId(keepId, keep);
}

Integer TCustomMemDataSet::GetRecordCount() {
  CheckActive();
  if (!Filtered()) return static_cast<Integer>(FStore.RowCount());
  TRecordBuffer scratch;
  Integer n = 0;
  for (Integer i = 0; i < static_cast<Integer>(FStore.RowCount()); ++i)
    if (RowAccepted(i, &scratch)) ++n;
  return n;
}

Integer TCustomMemDataSet::GetRecNo() {
  CheckActive();
  if (State() == dsInsert || IsEmpty()) return -1;
  TRecordBuffer* b = State() == dsCalcFields || State() == dsFilter ? GetActiveRecBuf() : ActiveBuffer();
  UInt64 id;
  if (!b || !BookmarkToId(b->Bookmark, id)) return -1;
  Integer i = IndexOfId(id);
  if (i < 0) return -1;
  if (!Filtered()) return i + 1;
  TRecordBuffer scratch;
  Integer n = 0;
  for (Integer k = 0; k <= i; ++k)
    if (RowAccepted(k, &scratch)) ++n;
  return n;
}

void TCustomMemDataSet::SetRecNoValue(Integer Value) {
  CheckBrowseMode();
  if (Value < 1) Value = 1;
  TRecordBuffer scratch;
  Integer seen = 0, target = -1, last = -1;
  for (Integer i = 0; i < static_cast<Integer>(FStore.RowCount()); ++i) {
    if (!RowAccepted(i, &scratch)) continue;
    last = i;
    if (++seen == Value) {
      target = i;
      break;
    }
  }
  if (target < 0) target = last;
  if (target < 0) return;
  DoBeforeScroll();
  FCursor = target;
  Resync(TResyncMode{rmExact, rmCenter});
  DoAfterScroll();
}

Integer TCustomMemDataSet::FindRow(const String& KeyFields, const Variant& KeyValues,
                                   TLocateOptions Options) {
  std::vector<TField*> fields = GetFieldList(KeyFields);
  if (fields.empty()) return -1;
  std::vector<Variant> keys;
  for (size_t k = 0; k < fields.size(); ++k) keys.push_back(KeyValue(KeyValues, k, fields.size()));
  bool needCalc = false;
  for (TField* f : fields) needCalc |= !f->IsDataField();
  TRecordBuffer scratch;
  for (Integer i = 0; i < static_cast<Integer>(FStore.RowCount()); ++i) {
    size_t row = static_cast<size_t>(i);
    if (!RowAccepted(i, &scratch)) continue;
    if (needCalc) {
      FillBuffer(&scratch, i);
      GetCalcFields(&scratch);
    }
    bool match = true;
    for (size_t k = 0; k < fields.size() && match; ++k) {
      TField* f = fields[k];
      size_t off = static_cast<size_t>(f->Offset());
      Variant v =
          needCalc ? scratch.Slot(off) : (off < FStore.ColumnCount() ? FStore.Value(row, off) : Null());
      match = LocateMatch(f, v, keys[k], Options);
    }
    if (match) return i;
  }
  return -1;
}

Boolean TCustomMemDataSet::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  CheckBrowseMode();
  Integer i = FindRow(KeyFields, KeyValues, Options);
  if (i < 0) return false;
  DoBeforeScroll();
  FCursor = i;
  Resync(TResyncMode{rmExact, rmCenter});
  DoAfterScroll();
  return true;
}

Variant TCustomMemDataSet::Lookup(const String& KeyFields, const Variant& KeyValues,
                                  const String& ResultFields) {
  CheckActive();
  Integer i = FindRow(KeyFields, KeyValues, TLocateOptions());
  if (i < 0) return Null();
  TRecordBuffer scratch;
  FillBuffer(&scratch, i);
  GetCalcFields(&scratch);
  TDataSetState saved = State();
  TRecordBuffer* savedBuf = GetActiveRecBuf();
  SetTempState(dsCalcFields, &scratch);
  Finally restore([&] { RestoreState(saved, savedBuf); });
  return FieldValues(ResultFields);
}

void TCustomMemDataSet::EmptyDataSet() {
  if (Active()) {
    CheckBrowseMode();
    ClearRows();
    Resync(TResyncMode());
    First();
  } else {
    ClearRows();
  }
}

namespace {
void AssignRecordValues(TDataSet* D, std::initializer_list<Variant> Values) {
  Integer i = 0;
  for (const Variant& v : Values) {
    while (i < D->FieldCount() && !D->Fields()->Fields(i)->IsDataField()) ++i;
    if (i >= D->FieldCount()) break;
    TField* f = D->Fields()->Fields(i++);
    if (!VarIsEmpty(v) && !f->ReadOnly()) f->SetAsVariant(v);
  }
}
}  // namespace

void TCustomMemDataSet::AppendRecord(std::initializer_list<Variant> Values) {
  Append();
  try {
    AssignRecordValues(this, Values);
    Post();
  } catch (...) {
    Cancel();
    throw;
  }
}

void TCustomMemDataSet::InsertRecord(std::initializer_list<Variant> Values) {
  Insert();
  try {
    AssignRecordValues(this, Values);
    Post();
  } catch (...) {
    Cancel();
    throw;
  }
}

// --- Filters --------------------------------------------------------------------------

void TCustomMemDataSet::Refilter() {
  if (Active() && State() != dsInactive) {
    CheckBrowseMode();
    First();
  }
}

void TCustomMemDataSet::SetFilterText(const String& Value) {
  std::shared_ptr<TFilterNode> tree;
  if (!Trim(Value).empty()) tree = TFilterParser(Value).Parse();
  if (Active()) CheckBrowseMode();
  FFilterTree = tree;
  inherited::SetFilterText(Value);
  if (Filtered()) Refilter();
}

void TCustomMemDataSet::SetFilteredValue(Boolean Value) {
  if (Filtered() == Value) return;
  if (Active()) CheckBrowseMode();
  inherited::SetFilteredValue(Value);
  Refilter();
}

void TCustomMemDataSet::SetFilterOptionsValue(TFilterOptions Value) {
  if (Active()) CheckBrowseMode();
  inherited::SetFilterOptionsValue(Value);
  if (Filtered()) Refilter();
}

void TCustomMemDataSet::SetOnFilterRecordValue(const TFilterRecordEvent& Value) {
  if (Active()) CheckBrowseMode();
  inherited::SetOnFilterRecordValue(Value);
  if (Filtered()) Refilter();
}

Boolean TCustomMemDataSet::FilterExpressionAccepts() {
  if (!FFilterTree) return true;
  TFilterEval eval{this, FilterOptions()};
  return eval.Eval(*FFilterTree);
}

// --- TMemDataSet -----------------------------------------------------------------------

void TMemDataSet::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FParams = New<TParams>(static_cast<TPersistent*>(this));
}

void TMemDataSet::Destroy() {
  inherited::Destroy();
  FreeAndNil(FParams);
}

CL_IMPLEMENT_CLASS(TCustomMemDataSet)

CL_IMPLEMENT_CLASS_PUBLISHED(TMemDataSet, P) {
  P.Property(u"Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
  P.Property(u"AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields).Default(true);
  P.Property(u"Filter", &TDataSet::Filter, &TDataSet::SetFilter);
  P.Property(u"Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered).Default(false);
  P.Property(u"FilterOptions", &TDataSet::FilterOptions, &TDataSet::SetFilterOptions)
      .Default(TFilterOptions());
  P.Property(u"Params", &TMemDataSet::Params, &TMemDataSet::SetParams);
  P.Property(u"ReadOnly", &TDataSet::ReadOnly, &TDataSet::SetReadOnly).Default(false);
  PublishDataSetEvents(P);
}
