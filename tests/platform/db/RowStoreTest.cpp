// The compact row store: every kind of value comes back as it went in, ids
// stay with their rows, and text freed by edits is reclaimed without
// disturbing the rest.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/db/RowStore.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/FMTBcd.h"

namespace {

void ExpectSame(const Variant& Got, const Variant& Want, const std::string& What) {
  ASSERT_EQ(Got.VType(), Want.VType()) << What;
  if (VarIsNull(Want) || VarIsEmpty(Want)) return;
  if (Want.VType() == varString) {
    EXPECT_EQ(Got.AsAnsiString(), Want.AsAnsiString()) << What;
  } else if (VarIsArray(Want)) {
    EXPECT_EQ(VarArrayHighBound(Got, 1), VarArrayHighBound(Want, 1)) << What;
  } else if (Want.VType() == varUString) {
    EXPECT_TRUE(Got.AsString() == Want.AsString()) << What;
  } else {
    EXPECT_TRUE(Got == Want) << What;
  }
}

TEST(RowStore, ValuesComeBackWithTheirTypes) {
  Variant arr = VarArrayCreate({0, 2}, varVariant);
  arr.SetElement(1, Variant(7));
  TBcd bcd;
  ASSERT_TRUE(TryStrToBcd(u"123456789012345678901234", bcd));
  const struct {
    const char* What;
    Variant V;
  } cases[] = {
      {"null", Null()},
      {"empty", Variant()},
      {"true", Variant(true)},
      {"false", Variant(false)},
      {"shortint", Variant(static_cast<ShortInt>(-5))},
      {"byte", Variant(static_cast<Byte>(200))},
      {"smallint", Variant(static_cast<SmallInt>(-32768))},
      {"word", Variant(static_cast<Word>(65535))},
      {"integer", Variant(static_cast<Integer>(INT_MIN))},
      {"longword", Variant(static_cast<Cardinal>(4000000000u))},
      {"int64 min", Variant(static_cast<Int64>(LLONG_MIN))},
      {"int64 max", Variant(static_cast<Int64>(LLONG_MAX))},
      {"uint64", Variant(static_cast<UInt64>(ULLONG_MAX))},
      {"single", Variant(static_cast<Single>(1.5f))},
      {"double", Variant(-1e308)},
      {"date", VarFromDateTime(45000.75)},
      {"currency", Variant(Currency::FromRaw(-922337203685477LL))},
      {"empty text", Variant(String())},
      {"4 units inline", Variant(String(u"Şeri"))},
      {"5 units in the arena", Variant(String(u"Kontö"))},
      {"lone surrogate", Variant(String(u"a\xD800z"))},
      {"long text", Variant(String(5000, u'ğ'))},
      {"empty bytes", Variant(AnsiString())},
      {"8 bytes inline", Variant(AnsiString("\x00\x01\x02\x03\x04\x05\x06\x07", 8))},
      {"9 bytes with zeros", Variant(AnsiString("\x00\xFF\x00\xFF\x00\xFF\x00\xFF\x00", 9))},
      {"fmtbcd", VarFMTBcdCreate(bcd)},
      {"array", arr},
  };
  TRowStore s;
  s.Reset(2);
  for (const auto& c : cases) {
    size_t r = s.AppendRow(s.RowCount() + 1);
    s.SetValue(r, 1, c.V);
    ExpectSame(s.Value(r, 1), c.V, c.What);
    EXPECT_TRUE(VarIsNull(s.Value(r, 0))) << c.What;
  }
  // Overwriting every value with every other kind leaves no trace of the old one.
  for (size_t r = 0; r < s.RowCount(); ++r) {
    const auto& next = cases[(r + 7) % std::size(cases)];
    s.SetValue(r, 1, next.V);
    ExpectSame(s.Value(r, 1), next.V, std::string("overwritten by ") + next.What);
  }
}

TEST(RowStore, LoadedTextAndBytesReadLikeTheDatabaseGaveThem) {
  const struct {
    const char* What;
    std::string Bytes;
  } texts[] = {
      {"empty", ""},
      {"8 bytes", "12345678"},
      {"9 bytes", "123456789"},
      {"non-ASCII", "Y\xC3\xBCkleme Tarihi"},
      {"invalid UTF-8", "ab\xFF\xC3"},
      {"embedded zero", std::string("ab\0cd", 5)},
  };
  TRowStore s;
  s.Reset(2);
  for (const auto& t : texts) {
    size_t r = s.AppendRow(s.RowCount() + 1);
    s.SetUtf8(r, 0, t.Bytes.data(), t.Bytes.size());
    s.SetBytes(r, 1, t.Bytes.data(), t.Bytes.size());
    ExpectSame(s.Value(r, 0), Variant(UTF8ToUTF16(t.Bytes)), t.What);
    ExpectSame(s.Value(r, 1), Variant(AnsiString(t.Bytes)), t.What);
  }
  size_t r = s.AppendRow(100);
  s.SetInt(r, 0, varWord, 65535);
  s.SetFloat(r, 1, varDate, 45000.5);
  ExpectSame(s.Value(r, 0), Variant(static_cast<Word>(65535)), "word");
  ExpectSame(s.Value(r, 1), VarFromDateTime(45000.5), "date");
  s.SetInt(r, 0, varBoolean, 42);
  ExpectSame(s.Value(r, 0), Variant(true), "boolean");
}

TEST(RowStore, IdsStayWithTheirRows) {
  TRowStore s;
  s.Reset(1);
  for (UInt64 id = 1; id <= 5; ++id) s.SetValue(s.AppendRow(id * 10), 0, Variant(static_cast<Integer>(id)));
  UInt64 g = s.Generation();
  // A row with a higher id before others: lookups can no longer rely on order.
  s.Insert(1, 60, {Variant(6)});
  EXPECT_NE(s.Generation(), g);
  s.Erase(3);  // the row with id 30
  const UInt64 ids[] = {10, 60, 20, 40, 50};
  ASSERT_EQ(s.RowCount(), std::size(ids));
  for (size_t i = 0; i < std::size(ids); ++i) {
    EXPECT_EQ(s.Id(i), ids[i]);
    EXPECT_EQ(s.IndexOfId(ids[i]), static_cast<std::ptrdiff_t>(i));
  }
  EXPECT_EQ(s.IndexOfId(30), -1);
  EXPECT_EQ(s.Value(1, 0).AsInteger(), 6);
  EXPECT_EQ(s.Value(2, 0).AsInteger(), 2);
  // Columns added later read as Null; dropped ones are gone.
  s.Reshape(3);
  EXPECT_EQ(s.Value(4, 0).AsInteger(), 5);
  EXPECT_TRUE(VarIsNull(s.Value(4, 2)));
  s.SetValue(4, 2, Variant(String(100, u'x')));
  s.Reshape(1);
  EXPECT_EQ(s.ColumnCount(), 1u);
  EXPECT_EQ(s.Value(4, 0).AsInteger(), 5);
}

TEST(RowStore, TextFreedByEditsIsReclaimed) {
  TRowStore s;
  s.Reset(2);
  const size_t rows = 2000;
  auto text = [](size_t Row, int Round) { return String(300, static_cast<Char>(u'A' + (Row + Round) % 26)); };
  for (size_t r = 0; r < rows; ++r) {
    s.AppendRow(r + 1);
    s.SetValue(r, 0, Variant(text(r, 0)));
    s.SetValue(r, 1, Variant(static_cast<Integer>(r)));
  }
  for (int round = 1; round <= 20; ++round) {
    for (size_t r = 0; r < s.RowCount(); ++r) s.SetValue(r, 0, Variant(text(r, round)));
    // Deleting rows frees their text too.
    if (round % 5 == 0) s.Erase(s.RowCount() - 1);
  }
  // 2000 texts of 600 bytes live; without reclaiming, 20 rounds would hold 24 MB.
  EXPECT_LT(s.ArenaBytes(), size_t(10) << 20);
  for (size_t r = 0; r < s.RowCount(); ++r) {
    ASSERT_TRUE(s.Value(r, 0).AsString() == text(r, 20)) << r;
    ASSERT_EQ(s.Value(r, 1).AsInteger(), static_cast<Integer>(r));
  }
}

// Rows live in chunks (64 rows each at 4096 columns): inserts, deletes,
// growth and a change of shape across chunk boundaries keep every row's id
// and values, checked against a plain model.
TEST(RowStore, RowsMoveAcrossChunks) {
  const size_t cols = 4096;
  TRowStore s;
  s.Reset(cols);
  std::vector<std::pair<UInt64, Integer>> model;  // id, value
  auto put = [&](size_t Row, Integer V) {
    s.SetValue(Row, 0, Variant(V));
    s.SetValue(Row, cols - 1, Variant(String(20, static_cast<Char>(u'a' + V % 26))));
  };
  for (Integer i = 0; i < 300; ++i) {
    put(s.AppendRow(UInt64(i) + 1), i);
    model.push_back({UInt64(i) + 1, i});
  }
  for (Integer k = 0; k < 40; ++k) {
    const size_t at = size_t(k * 37) % (model.size() + 1);
    s.Insert(at, 1000 + UInt64(k), {Variant(1000 + k)});
    s.SetValue(at, cols - 1, Variant(String(20, static_cast<Char>(u'a' + (1000 + k) % 26))));
    model.insert(model.begin() + std::ptrdiff_t(at), {1000 + UInt64(k), 1000 + k});
    const size_t gone = size_t(k * 53) % model.size();
    s.Erase(gone);
    model.erase(model.begin() + std::ptrdiff_t(gone));
  }
  while (model.size() > 130) {  // down across several chunks, the last one emptied
    s.Erase(model.size() - 1);
    model.pop_back();
  }
  s.Reshape(cols + 1);
  ASSERT_EQ(s.RowCount(), model.size());
  for (size_t r = 0; r < model.size(); ++r) {
    ASSERT_EQ(s.Id(r), model[r].first) << r;
    ASSERT_EQ(s.IndexOfId(model[r].first), std::ptrdiff_t(r));
    ASSERT_EQ(s.Value(r, 0).AsInteger(), model[r].second) << r;
    ASSERT_TRUE(s.Value(r, cols - 1).AsString() ==
                String(20, static_cast<Char>(u'a' + model[r].second % 26)));
    ASSERT_TRUE(VarIsNull(s.Value(r, 1)));
    ASSERT_TRUE(VarIsNull(s.Value(r, cols)));
  }
  put(s.AppendRow(5000), 7);
  EXPECT_EQ(s.Value(s.RowCount() - 1, 0).AsInteger(), 7);
}

}  // namespace
