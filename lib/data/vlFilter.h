// The filter model: a tree of conditions (leaves) and groups combined with
// AND, OR, NOT AND and NOT OR; one operator object per leaf that compares a
// record's value and writes the leaf's texts; evaluation of a record; the
// filter text and caption; the versioned binary form of the tree and its
// component-stream wrapper; and the value lists of the filter drop-downs.
//
// TvlFilterCriteria is abstract about what a leaf is bound to: descendants
// give a leaf's record value, field name and caption and map item links to
// IDs and names for streams.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "lib/data/vlLike.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Delegates.h"
#include "platform/classes/Sets.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

class TStream;
class TList;
class TvlFilterCriteria;
class TvlFilterCriteriaItem;
class TvlFilterCriteriaItemList;
class TvlFilterValueList;

// A LIKE, NOT LIKE, equal or not-equal leaf prepared to match record texts
// directly (TvlFilterCriteria::PreparePlainTextConditions).
struct TvlPlainTextCondition {
  TvlFilterCriteriaItem* Item{};
  TvlLikePattern Pattern;
  String Text;            // the leaf's prepared text, for an equality
  Boolean Exact{};        // an equality with Text instead of the pattern
  Boolean Negated{};
  Boolean NullResult{};   // the leaf's result for a Null record value
  Boolean EmptyResult{};  // and for an empty text
  Boolean UpperCase{};    // the texts are upper-cased first (fcoCaseInsensitive)
  TAnsiUpperCaseUnits Upper;
  // With UpperCase, the first units below U+0800 whose upper case passes the
  // pattern's first literal (all of them when it starts with a wildcard).
  std::bitset<0x800> FirstPasses;
  Boolean Matches(const String* AText) const {
    if (!AText) return NullResult;
    if (AText->empty()) return EmptyResult;
    const Integer N = static_cast<Integer>(AText->size());
    const Char* S = AText->data();
    if (Exact) return EqualsText(S, static_cast<size_t>(N)) != Negated;
    const Boolean FirstFails =
        UpperCase ? (S[0] < 0x800 ? !FirstPasses[S[0]] : Pattern.FirstUnitFails(Upper.At(S, size_t(N), 0)))
                  : Pattern.FirstUnitFails(S[0]);
    if (FirstFails) return Negated;
    return (UpperCase ? Pattern.MatchesUpperCase(S, N, Upper) : Pattern.Matches(S, N)) != Negated;
  }

 private:
  // The upper case keeps the number of code units.
  Boolean EqualsText(const Char* S, size_t N) const {
    if (N != Text.size()) return false;
    if (!UpperCase) return Text.compare(0, N, S, N) == 0;
    const Char* T = Text.data();
    for (size_t I = 0; I < N; ++I)
      if (Upper.At(S, N, I) != T[I]) return false;
    return true;
  }
};

CL_ENUM(TvlFilterBoolOperatorKind, Byte, fboAnd, fboOr, fboNotAnd, fboNotOr)
CL_ENUM(TvlFilterCriteriaOption, Byte, fcoCaseInsensitive, fcoShowOperatorDescription, fcoSoftNull, fcoSoftCompare,
        fcoIgnoreNull)
using TvlFilterCriteriaOptions = TSet<TvlFilterCriteriaOption, 1>;
CL_SET_TYPEINFO(TvlFilterCriteriaOptions)
CL_ENUM(TvlFilterOperatorKind, Byte, foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual, foLike,
        foNotLike, foBetween, foNotBetween, foInList, foNotInList, foYesterday, foToday, foTomorrow, foLast7Days,
        foLastWeek, foLast14Days, foLastTwoWeeks, foLast30Days, foLastMonth, foLastYear, foInPast, foThisWeek,
        foThisMonth, foThisYear, foNext7Days, foNextWeek, foNext14Days, foNextTwoWeeks, foNext30Days, foNextMonth,
        foNextYear, foInFuture)
constexpr Integer vlFilterOperatorKindCount = foInFuture + 1;

// Whether the last-N-days and next-N-days intervals contain today.
extern Boolean vlFilterDayRangesIncludeToday;

// --- Operators ---------------------------------------------------------------------

class TvlFilterOperator : public TObject {
  CL_CLASS(TvlFilterOperator, TObject)
 public:
  virtual String ExpressionText(const Variant& Value);
  virtual String ValueToFilterText(const Variant& Value);
  virtual void AdjustDisplayValue(String& DisplayValue);
  virtual void PrepareForFiltering();
  virtual Boolean ArrayValueToFilterText(const Variant& Value, String& Text);
  virtual void Create(TvlFilterCriteriaItem* ACriteriaItem);
  // AValue1 is the record's value, AValue2 the leaf's, both prepared.
  virtual Boolean CompareValues(const Variant& AValue1, const Variant& AValue2);
  virtual String DisplayText();
  virtual String FilterText();
  virtual Boolean IsDescription();
  virtual Boolean IsExpression();
  virtual Boolean IsNullOperator();

  TvlFilterCriteriaItem* CriteriaItem() const { return FCriteriaItem; }
  TvlFilterCriteria* Criteria() const;

 protected:
  String FieldName() const;

 private:
  TvlFilterCriteriaItem* FCriteriaItem{};
};

using TvlFilterOperatorClass = TClassOf<TvlFilterOperator>;

class TvlFilterEqualOperator : public TvlFilterOperator {
  CL_CLASS(TvlFilterEqualOperator, TvlFilterOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
  Boolean IsExpression() override;
};

class TvlFilterNotEqualOperator : public TvlFilterEqualOperator {
  CL_CLASS(TvlFilterNotEqualOperator, TvlFilterEqualOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
};

// Less, less or equal, greater, greater or equal: vlCompareVariants of the
// record's value against the leaf's.
#define VL_FILTER_COMPARE_OPERATOR(Name)                                      \
  class Name : public TvlFilterOperator {                                     \
    CL_CLASS(Name, TvlFilterOperator)                                         \
   public:                                                                    \
    Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override; \
    String DisplayText() override;                                            \
    String FilterText() override;                                             \
  };

VL_FILTER_COMPARE_OPERATOR(TvlFilterLessOperator)
VL_FILTER_COMPARE_OPERATOR(TvlFilterLessEqualOperator)
VL_FILTER_COMPARE_OPERATOR(TvlFilterGreaterOperator)
VL_FILTER_COMPARE_OPERATOR(TvlFilterGreaterEqualOperator)

#undef VL_FILTER_COMPARE_OPERATOR

class TvlFilterLikeOperator : public TvlFilterOperator {
  CL_CLASS(TvlFilterLikeOperator, TvlFilterOperator)
 public:
  void AdjustDisplayValue(String& DisplayValue) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;

 protected:
  // 0 like, 1 begins with, 2 ends with, 3 contains (the leaf value's wildcards).
  Byte LikeKind() const;
};

class TvlFilterNotLikeOperator : public TvlFilterLikeOperator {
  CL_CLASS(TvlFilterNotLikeOperator, TvlFilterLikeOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
  Boolean IsExpression() override;
};

class TvlFilterBetweenOperator : public TvlFilterOperator {
  CL_CLASS(TvlFilterBetweenOperator, TvlFilterOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  void AdjustDisplayValue(String& DisplayValue) override;
  Boolean ArrayValueToFilterText(const Variant& Value, String& Text) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
  Boolean IsDescription() override;
  Boolean IsExpression() override;
};

class TvlFilterNotBetweenOperator : public TvlFilterBetweenOperator {
  CL_CLASS(TvlFilterNotBetweenOperator, TvlFilterBetweenOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
};

class TvlFilterInListOperator : public TvlFilterOperator {
  CL_CLASS(TvlFilterInListOperator, TvlFilterOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  void AdjustDisplayValue(String& DisplayValue) override;
  Boolean ArrayValueToFilterText(const Variant& Value, String& Text) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
  Boolean IsDescription() override;
  Boolean IsExpression() override;
};

class TvlFilterNotInListOperator : public TvlFilterInListOperator {
  CL_CLASS(TvlFilterNotInListOperator, TvlFilterInListOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
};

class TvlFilterNullOperator : public TvlFilterEqualOperator {
  CL_CLASS(TvlFilterNullOperator, TvlFilterEqualOperator)
 public:
  void AdjustDisplayValue(String& DisplayValue) override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  Boolean IsNullOperator() override;
};

class TvlFilterNotNullOperator : public TvlFilterNullOperator {
  CL_CLASS(TvlFilterNotNullOperator, TvlFilterNullOperator)
 public:
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String DisplayText() override;
  String FilterText() override;
};

// The interval [Date1, Date2) relative to today; 0 leaves a side open.
class TvlFilterDateOperator : public TvlFilterOperator {
  CL_CLASS(TvlFilterDateOperator, TvlFilterOperator)
 public:
  String ExpressionText(const Variant& Value) override;
  void AdjustDisplayValue(String& DisplayValue) override;
  void PrepareForFiltering() override;
  Boolean CompareValues(const Variant& AValue1, const Variant& AValue2) override;
  String FilterText() override;
  Boolean IsExpression() override;

  // The interval for the day AToday (PrepareForFiltering passes today).
  void PrepareForDate(TDateTime AToday);
  TDateTime Date1() const { return FDate1; }
  TDateTime Date2() const { return FDate2; }

 protected:
  // T is the day, W the first day of its week.
  virtual void ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2);

 private:
  TDateTime FDate1{};
  TDateTime FDate2{};
};

class TvlFilterLastNDaysOperator : public TvlFilterDateOperator {
  CL_CLASS(TvlFilterLastNDaysOperator, TvlFilterDateOperator)
 public:
  virtual Integer DaySpan();

 protected:
  void ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2) override;
};

class TvlFilterNextNDaysOperator : public TvlFilterDateOperator {
  CL_CLASS(TvlFilterNextNDaysOperator, TvlFilterDateOperator)
 public:
  virtual Integer DaySpan();

 protected:
  void ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2) override;
};

#define VL_FILTER_DATE_OPERATOR(Name)                                                           \
  class Name : public TvlFilterDateOperator {                                                   \
    CL_CLASS(Name, TvlFilterDateOperator)                                                       \
   public:                                                                                      \
    String DisplayText() override;                                                              \
                                                                                                \
   protected:                                                                                   \
    void ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2) override;         \
  };
#define VL_FILTER_DAYS_OPERATOR(Name, Parent) \
  class Name : public Parent {                \
    CL_CLASS(Name, Parent)                    \
   public:                                    \
    String DisplayText() override;            \
    Integer DaySpan() override;               \
  };

VL_FILTER_DATE_OPERATOR(TvlFilterYesterdayOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterTodayOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterTomorrowOperator)
VL_FILTER_DAYS_OPERATOR(TvlFilterLast7DaysOperator, TvlFilterLastNDaysOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterLastWeekOperator)
VL_FILTER_DAYS_OPERATOR(TvlFilterLast14DaysOperator, TvlFilterLastNDaysOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterLastTwoWeeksOperator)
VL_FILTER_DAYS_OPERATOR(TvlFilterLast30DaysOperator, TvlFilterLastNDaysOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterLastMonthOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterLastYearOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterInPastOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterThisWeekOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterThisMonthOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterThisYearOperator)
VL_FILTER_DAYS_OPERATOR(TvlFilterNext7DaysOperator, TvlFilterNextNDaysOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterNextWeekOperator)
VL_FILTER_DAYS_OPERATOR(TvlFilterNext14DaysOperator, TvlFilterNextNDaysOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterNextTwoWeeksOperator)
VL_FILTER_DAYS_OPERATOR(TvlFilterNext30DaysOperator, TvlFilterNextNDaysOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterNextMonthOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterNextYearOperator)
VL_FILTER_DATE_OPERATOR(TvlFilterInFutureOperator)

#undef VL_FILTER_DATE_OPERATOR
#undef VL_FILTER_DAYS_OPERATOR

// The operator class of a kind (the table without the null substitutions).
TvlFilterOperatorClass vlFilterOperatorClass(TvlFilterOperatorKind AKind);

// --- Nodes -------------------------------------------------------------------------

class TvlCustomFilterCriteriaItem : public TObject {
  CL_CLASS(TvlCustomFilterCriteriaItem, TObject)
 public:
  virtual void NotifyChanged();
  virtual TvlFilterCriteria* GetCriteria();
  virtual Boolean IsGroup();
  virtual void LoadData(TStream* AStream);
  virtual void SaveData(TStream* AStream);
  virtual Boolean IsEmpty();
  // Takes the node out of its group.
  void BeforeDestruction() override;

  TvlFilterCriteria* Criteria() { return GetCriteria(); }
  TvlFilterCriteriaItemList* Parent() const { return FParent; }

 protected:
  friend class TvlFilterCriteriaItemList;
  friend class TvlFilterCriteria;
  TvlFilterCriteriaItemList* FParent{};
};

class TvlFilterCriteriaItemList : public TvlCustomFilterCriteriaItem {
  CL_CLASS(TvlFilterCriteriaItemList, TvlCustomFilterCriteriaItem)
 public:
  TvlFilterCriteria* GetCriteria() override;
  Boolean IsGroup() override;
  void LoadData(TStream* AStream) override;
  void SaveData(TStream* AStream) override;
  Boolean IsEmpty() override;
  virtual void RemoveItem(TvlCustomFilterCriteriaItem* AItem);
  virtual void Create(TvlFilterCriteriaItemList* AOwner, TvlFilterBoolOperatorKind ABoolOperatorKind);
  void Destroy() override;

  TvlFilterCriteriaItem* AddItem(TObject* AItemLink, TvlFilterOperatorKind AOperatorKind,
                                 const String& ADisplayValue, const Variant& AValue);
  TvlFilterCriteriaItemList* AddItemList(TvlFilterBoolOperatorKind ABoolOperatorKind);
  void Clear();
  TvlFilterBoolOperatorKind BoolOperatorKind() const { return FBoolOperatorKind; }
  void SetBoolOperatorKind(TvlFilterBoolOperatorKind Value);
  Integer Count() const;
  // nil for an index out of range.
  TvlCustomFilterCriteriaItem* Items(Integer Index) const;

 private:
  friend class TvlFilterCriteria;
  void Append(TvlCustomFilterCriteriaItem* AItem);
  TvlFilterBoolOperatorKind FBoolOperatorKind{};
  TvlFilterCriteria* FCriteria{};
  TList* FItems{};
};

using TvlFilterCriteriaItemListClass = TClassOf<TvlFilterCriteriaItemList>;

class TvlFilterCriteriaItem : public TvlCustomFilterCriteriaItem {
  CL_CLASS(TvlFilterCriteriaItem, TvlCustomFilterCriteriaItem)
 public:
  Boolean IsGroup() override;
  void LoadData(TStream* AStream) override;
  void SaveData(TStream* AStream) override;
  Boolean IsEmpty() override;
  void Destroy() override;

  virtual Variant GetRecordValue(Pointer AData);
  virtual String GetDisplayValueText();
  virtual String GetValueText(Boolean ACaption);
  virtual String GetFieldCaption();
  virtual String GetFieldName();
  virtual TvlFilterOperatorClass GetFilterOperatorClass();
  virtual TObject* GetItemLink();
  virtual void SetItemLink(TObject* Value);
  virtual void RebuildOperator();
  virtual void Create(TvlFilterCriteriaItemList* AOwner, TObject* AItemLink, TvlFilterOperatorKind AOperatorKind,
                      const Variant& AValue, const String& ADisplayValue);
  virtual Boolean ValueIsNull(const Variant& AValue);

  const String& DisplayValue() const { return FDisplayValue; }
  void SetDisplayValue(const String& Value);
  TObject* ItemLink() { return GetItemLink(); }
  // The object last given to the ItemLink write accessor.
  TObject* StoredItemLink() const { return FItemLink; }
  TvlFilterOperator* Operator() const { return FOperator; }
  TvlFilterOperatorKind OperatorKind() const { return FOperatorKind; }
  void SetOperatorKind(TvlFilterOperatorKind Value);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& Value);

 protected:
  TObject* FItemLink{};

 private:
  friend class TvlFilterCriteria;
  void ApplyBlankRule();
  // The value passed through the criteria's PrepareCompareValue, kept until
  // the criteria changes.
  Variant FPreparedValue;
  uint64_t FPreparedGeneration{};
  String FDisplayValue;
  TvlFilterOperator* FOperator{};
  TvlFilterOperatorKind FOperatorKind{};
  Variant FValue;
};

using TvlFilterCriteriaItemClass = TClassOf<TvlFilterCriteriaItem>;

// --- Value lists -------------------------------------------------------------------

CL_ENUM(TvlFilterValueItemKind, Byte, fviAll, fviCustom, fviBlanks, fviNonBlanks, fviUser, fviValue, fviMRU,
        fviMRUSeparator, fviSpecial)

struct TvlFilterValueItem {
  TvlFilterValueItemKind Kind{};
  Variant Value;
  String DisplayText;
};

// Memory for scratch arrays: blocks of 2 MB and more are aligned to huge
// pages and ask for them (one page fault a block instead of 512).
void* vlAllocateScratch(size_t ABytes);
void vlFreeScratch(void* P) noexcept;

// An allocator whose resize leaves new elements unwritten: for arrays of
// numbers that are written before they are read, kept between uses.
template <class T>
struct TvlScratchAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TvlScratchAllocator<U>;
  };
  TvlScratchAllocator() = default;
  template <class U>
  TvlScratchAllocator(const TvlScratchAllocator<U>&) noexcept {}
  T* allocate(size_t N) { return static_cast<T*>(vlAllocateScratch(N * sizeof(T))); }
  void deallocate(T* P, size_t) noexcept { vlFreeScratch(P); }
  template <class U>
  void construct(U* P) noexcept {
    ::new (static_cast<void*>(P)) U;
  }
  template <class U, class... A>
  void construct(U* P, A&&... AArgs) {
    ::new (static_cast<void*>(P)) U(static_cast<A&&>(AArgs)...);
  }
};
using TvlKeyArray = std::vector<UInt64, TvlScratchAllocator<UInt64>>;
using TvlIndexArray = std::vector<Integer, TvlScratchAllocator<Integer>>;

class TvlFilterValueList : public TObject {
  CL_CLASS(TvlFilterValueList, TObject)
 public:
  virtual Integer CompareItemWith(Integer AIndex, const Variant& AValue, const String& ADisplayText);
  virtual void Create(TvlFilterCriteria* ACriteria);
  virtual void Add(TvlFilterValueItemKind AKind, const Variant& AValue, const String& ADisplayText,
                   Boolean AIsSorted);
  virtual void Clear();
  virtual Boolean Find(const Variant& AValue, const String& ADisplayText, Integer& AIndex);
  virtual Integer GetIndexByCriteriaItem(TvlFilterCriteriaItem* ACriteriaItem);
  void Destroy() override;

  void Delete(Integer AIndex);
  Integer FindItemByKind(TvlFilterValueItemKind AKind, const Variant& AValue);
  Integer FindItemByKind(TvlFilterValueItemKind AKind);
  Integer FindItemByValue(const Variant& AValue);
  Integer GetStartValueIndex() const;
  Integer GetMRUSeparatorIndex() const;

  TvlFilterCriteria* Criteria() const { return FCriteria; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TvlFilterValueItem& Items(Integer AIndex) const { return FItems[AIndex]; }
  Integer MaxCount() const;
  Boolean SortByDisplayText() const { return FSortByDisplayText; }
  void SetSortByDisplayText(Boolean Value) { FSortByDisplayText = Value; }

 protected:
  // Adds many fviValue entries with the result of adding them one by one
  // (sorted, the first of equal values kept, MaxCount respected), in
  // O(n log n) instead of one sorted insertion each (a radix sort when all
  // values are integers, or all floats or dates).
  void AddValues(std::vector<TvlFilterValueItem>& AItems);
  // The same from values alone: the display text of value i is asked for
  // (ATextOf(AContext, i)) only where it is used, every one when the list
  // sorts by display text, else those of the entries added.
  using TValueTextFunc = String (*)(void* AContext, Integer AIndex);
  void AddValues(std::vector<Variant>& AValues, TValueTextFunc ATextOf, void* AContext);
  // The same from the numbers' order keys (vlNumberOrderKey), one per
  // candidate in arrival order, of values that all compare as numbers of
  // one kind (not by display text): candidate i's value and text are asked
  // for (AValueOf, ATextOf) only when it is added.
  using TValueFunc = Variant (*)(void* AContext, Integer AIndex);
  void AddNumberKeys(const TvlKeyArray& AKeys, TValueFunc AValueOf, TValueTextFunc ATextOf, void* AContext);
  // Arrays kept between loads (a drop-down loads its list at every opening).
  struct TLoadScratch {
    TvlKeyArray Keys, Packed, Tmp;
    TvlIndexArray Records;
    std::vector<Integer> Kept, Fresh;
  };
  TLoadScratch& LoadScratch() { return FScratch; }

 private:
  Integer CompareItems(const TvlFilterValueItem& A, const TvlFilterValueItem& B);
  // Of candidates in value order, each the first arrival of its value, adds
  // those that sorted insertion one by one would keep.
  void AddFirstArrivals(const std::vector<Integer>& AKept, TValueFunc AValueOf, TValueTextFunc ATextOf,
                        void* AContext);
  TvlFilterCriteria* FCriteria{};
  std::vector<TvlFilterValueItem, TvlScratchAllocator<TvlFilterValueItem>> FItems;
  Boolean FSortByDisplayText{};
  TLoadScratch FScratch;
};

// A number as an unsigned number of the same order, as the variant
// comparison orders numbers: integers (Boolean as -1) by value; doubles by
// value with every NaN lowest and -0 as 0.
inline UInt64 vlIntegerOrderKey(Int64 V) { return static_cast<UInt64>(V) ^ (UInt64(1) << 63); }
UInt64 vlFloatOrderKey(Double V);

using TvlFilterValueListClass = TClassOf<TvlFilterValueList>;

// --- Criteria ----------------------------------------------------------------------

using TNotifyEvent = TDelegate<void(TObject* Sender)>;

class TvlFilterCriteria : public TPersistent {
  CL_CLASS(TvlFilterCriteria, TPersistent)
 public:
  virtual void Create();
  void Destroy() override;

  virtual void CheckChanged();
  virtual String FormatBooleanValue(const Variant& Value);
  virtual String FormatDateValue(const Variant& Value);
  virtual void FormatFilterTextValue(TvlFilterCriteriaItem* AItem, const Variant& Value, String& Text);
  virtual String GetFilterCaption();
  virtual String BuildFilterText(Boolean ACaption);
  virtual String GetFilterText();
  virtual Integer ItemLinkToID(TObject* AItemLink);
  virtual String ItemLinkToName(TObject* AItemLink);
  virtual TvlFilterCriteriaItemClass CriteriaItemClass();
  virtual TvlFilterCriteriaItemListClass ItemListClass();
  virtual String BuildItemText(TvlFilterCriteriaItem* AItem, Boolean ACaption);
  virtual String ItemFieldText(TvlFilterCriteriaItem* AItem, Boolean ACaption);
  virtual String ItemOperatorText(TvlFilterCriteriaItem* AItem, Boolean ACaption);
  virtual String ItemValueText(TvlFilterCriteriaItem* AItem, Boolean ACaption);
  virtual TObject* IDToItemLink(Integer AID);
  virtual TObject* NameToItemLink(const String& AName);
  virtual TvlFilterValueListClass ValueListClass();
  virtual void PrepareOperators();
  virtual Variant PrepareCompareValue(const Variant& Value);
  virtual void SetFilterText(const String& Value);
  virtual void FireChanged();
  void Assign(TPersistent* Source) override;
  virtual void Assign(TPersistent* Source, Boolean AIgnoreItemNames);
  virtual void AssignEvents(TPersistent* Source);
  virtual void AssignItems(TvlFilterCriteria* Source, Boolean AIgnoreItemNames);
  virtual TvlFilterCriteriaItem* AddItem(TvlFilterCriteriaItemList* AParent, TObject* AItemLink,
                                         TvlFilterOperatorKind AOperatorKind, const Variant& AValue,
                                         const String& ADisplayValue);
  virtual void Changed();
  virtual TvlFilterCriteriaItem* FindItemByItemLink(TObject* AItemLink);
  virtual Boolean IsEmpty();
  virtual void LoadFromStream(TStream* AStream);
  virtual void RestoreDefaults();
  virtual void SaveToStream(TStream* AStream);
  virtual Boolean ValueIsNull(const Variant& AValue);
  virtual void ReadData(TStream* AStream);
  virtual void WriteData(TStream* AStream, Integer AVersion);
  void WriteData(TStream* AStream) { WriteData(AStream, 0); }

  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();
  void Clear();
  void RemoveItemByItemLink(TObject* AItemLink);
  void Refresh();
  Boolean EqualItems(TvlFilterCriteria* AOther, Boolean AIgnoreItemNames);
  Boolean MatchRecord(Pointer AData);
  // When the criteria is one AND of LIKE, NOT LIKE, equal and not-equal
  // leaves (exactly those operator classes) whose values are texts, fills
  // AConditions so that a record matches exactly when every condition
  // matches the leaf's record value taken as a text (nil for Null), as
  // MatchRecord decides; otherwise answers False.
  Boolean PreparePlainTextConditions(std::vector<TvlPlainTextCondition>& AConditions);
  Boolean HasStoredItems();

  TvlFilterCriteriaItemList* Root() const { return FRoot; }
  TvlFilterCriteriaOptions Options() const { return FOptions; }
  void SetOptions(TvlFilterCriteriaOptions Value);
  Char PercentWildcard() const { return FPercentWildcard; }
  void SetPercentWildcard(Char Value);
  Char UnderscoreWildcard() const { return FUnderscoreWildcard; }
  void SetUnderscoreWildcard(Char Value);
  Integer MaxValueListCount() const { return FMaxValueListCount; }
  void SetMaxValueListCount(Integer Value) { FMaxValueListCount = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  const String& DateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const String& Value);
  Boolean SupportedLike() const { return FSupportedLike; }
  void SetSupportedLike(Boolean Value) { FSupportedLike = Value; }
  Boolean TranslateBetween() const { return FTranslateBetween; }
  void SetTranslateBetween(Boolean Value) { FTranslateBetween = Value; }
  Boolean TranslateLike() const { return FTranslateLike; }
  void SetTranslateLike(Boolean Value) { FTranslateLike = Value; }
  Boolean TranslateIn() const { return FTranslateIn; }
  void SetTranslateIn(Boolean Value) { FTranslateIn = Value; }
  Boolean StoreItemLinkNames() const { return FVersion > 2; }
  void SetStoreItemLinkNames(Boolean Value) { FVersion = Value ? 3 : 2; }
  String FilterText() { return GetFilterText(); }
  String FilterCaption() { return GetFilterCaption(); }
  Integer Version() const { return FVersion; }
  Integer LoadedVersion() const { return FLoadedVersion; }
  Integer SavedVersion() const { return FSavedVersion; }
  Integer LockCount() const { return FLockCount; }

 protected:
  void SetVersion(Integer Value) { FVersion = Value; }
  Boolean IsSavingToStream() const { return FSavingToStream; }

 private:
  String BuildGroupText(TvlFilterCriteriaItemList* AGroup, Boolean ACaption);
  Boolean MatchGroup(TvlFilterCriteriaItemList* AGroup, Pointer AData);
  Boolean MatchItem(TvlFilterCriteriaItem* AItem, Pointer AData);
  friend class TvlFilterCriteriaItemList;
  // Reads ACount child records into AGroup; the count is checked against the
  // bytes left and the nesting is bounded.
  void ReadChildren(TvlFilterCriteriaItemList* AGroup, Integer ACount, TStream* AStream);

  TvlFilterCriteriaItemList* FRoot{};
  TvlFilterCriteriaOptions FOptions;
  Char FPercentWildcard{};
  Char FUnderscoreWildcard{};
  Integer FMaxValueListCount{};
  TNotifyEvent FOnChanged;
  String FDateTimeFormat;
  Boolean FSupportedLike{};
  Boolean FTranslateBetween{};
  Boolean FTranslateLike{};
  Boolean FTranslateIn{};
  Boolean FChanged{};
  Integer FLockCount{};
  Integer FVersion{};
  Integer FLoadedVersion{};
  Integer FSavedVersion{};
  Boolean FSavingToStream{};
  Integer FReadDepth{};
  // Counts change signals (from 1), so leaves know when to prepare their value again.
  uint64_t FGeneration{};
};

// The component that carries a criteria through a component stream
// (SaveToStream / LoadFromStream).
class TFilterWrapper : public TComponent {
  CL_CLASS(TFilterWrapper, TComponent)
 public:
  TvlFilterCriteria* Filter() const { return FFilter; }
  void SetFilter(TvlFilterCriteria* Value) { FFilter = Value; }

 private:
  TvlFilterCriteria* FFilter{};
};
