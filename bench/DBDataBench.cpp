// The log grid's controller on a card-load log of 1,000,000 rows appended
// through "Ekle": opening the log into the data-set controller (every field
// an item, key field "Index", smart refresh, as the program's grid), scrolling
// to the end in grid mode and back, sorting by the time of loading and
// filtering by a serial number. Each figure is printed beside SQLite running
// the equivalent query on the same file in the same iteration (the floor):
// "select * from log" reading every column, the last and the first window
// of rows by "Index", ORDER BY YuklemeTS and WHERE SeriNo = ?.
//
// The log is built once per run in a temporary folder with the log's own
// schema; its rows go through the body of "Ekle" (the procedure's own
// statement, prepared once, in one transaction), as bench/LogDbBench makes
// its big log. Times are the thread's CPU seconds, best of the iterations
// (the machine is shared with parallel builds).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDBData.h"
#include "lib/data/vlFilter.h"
#include "platform/db/ADODB.h"
#include "platform/db/LogDatabase.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Variants.h"

#include "LogBenchSupport.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kWindow = 100;
const char16_t* const kFields[] = {u"Index", u"Kontor", u"SeriNo", u"FaturaNo", u"T1", u"T2",
                                   u"T3", u"T4", u"T0", u"TarifeYapisi", u"CokluTarife", u"DusukAlarm",
                                   u"TahsilatYeri", u"YuklemeTS", u"KartSeriNo", u"CihazID"};
constexpr int kSeriNoItem = 2;
constexpr int kTimeItem = 13;
const char* const kSerial = "10004321";

// The rows as "Ekle" appends them: its statement from the database's
// procedure table, bound by its parameter names. Serial numbers repeat every
// 5000 rows (200 loads per card) and the times are scattered.
class TLogFile : public TTempLog {
 public:
  TLogFile() : TTempLog("dbdatabench") {
    if (!Ok()) return;
    char text[32];
    const bool filled = FillLog(Path(), "", "Ekle", kRows, [&](sqlite3_stmt* st, int i) {
      auto bindText = [&](const char* name, const char* value) {
        sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, name), value, -1, SQLITE_TRANSIENT);
      };
      auto bindInt = [&](const char* name, int v) { sqlite3_bind_int(st, sqlite3_bind_parameter_index(st, name), v); };
      auto bindReal = [&](const char* name, double v) {
        sqlite3_bind_double(st, sqlite3_bind_parameter_index(st, name), v);
      };
      bindInt(":Kontor", 50 + i % 900);
      std::snprintf(text, sizeof text, "%d", 10000000 + i % 5000);
      bindText(":SeriNo", text);
      std::snprintf(text, sizeof text, "F%05d", i % 100000);
      bindText(":FaturaNo", text);
      const char* tariffs[] = {":T1", ":T2", ":T3", ":T4", ":T0"};
      for (int t = 0; t < 5; ++t) bindReal(tariffs[t], 0.25 * (i % 7) + t);
      bindInt(":TarifeYapisi", i % 4);
      bindInt(":CokluTarife", i & 1);
      bindInt(":DusukAlarm", 10 + i % 20);
      bindText(":TahsilatYeri", "AB12");
      bindReal(":YuklemeTS", 40000.0 + double((unsigned(i) * 2654435761u) % 4000000u) / 1440.0);
      std::snprintf(text, sizeof text, "%010X", unsigned(i) * 2654435761u);
      bindText(":KartSeriNo", text);
      bindInt(":CihazID", 0);
    });
    if (!filled) Fail();
  }
};

TLogFile& LogFile() {
  static TLogFile file;
  return file;
}

// SQLite alone: the query stepped to its end, every column of every row read
// by its type. Answers the thread's CPU seconds and the rows.
double SqliteQuery(sqlite3* db, const char* sql, const char* text, long long& rows) {
  const double t0 = ThreadCpu();
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (text) sqlite3_bind_text(st, 1, text, -1, SQLITE_STATIC);
  rows = 0;
  long long sink = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    ++rows;
    sink += ReadColumns(st);
  }
  sqlite3_finalize(st);
  benchmark::DoNotOptimize(sink);
  return ThreadCpu() - t0;
}

// The log grid: the connection, "select * from log", the data source and the
// controller with one item per field.
struct TGrid {
  TComponent* Owner{};
  TADODataSet* Set{};
  TDataSource* Source{};
  TvlDBDataController* DC{};
  std::vector<TComponent*> Columns;

  explicit TGrid(const std::string& path, Boolean AGridMode) {
    Owner = New<TComponent>(nullptr);
    auto* conn = New<TADOConnection>(Owner);
    conn->SetLoginPrompt(false);
    conn->SetMode(cmShareDenyNone);
    conn->SetConnectionString(LogConnectionString(UTF8ToUTF16(path)));
    conn->Open();
    Set = New<TADODataSet>(Owner);
    Set->SetConnection(conn);
    Set->SetCursorType(ctStatic);
    Set->SetCommandText(u"select * from log");
    Source = New<TDataSource>(Owner);
    Source->SetDataSet(Set);
    DC = New<TvlDBDataController>(nullptr);
    for (const char16_t* name : kFields) {
      Columns.push_back(New<TComponent>(Owner));
      DC->AddItemForField(Columns.back(), name);
    }
    DC->SetKeyFieldNames(u"Index");
    DC->DataModeController()->SetSmartRefresh(true);
    DC->DataModeController()->SetGridMode(AGridMode);
    DC->SetDataSource(Source);
  }
  ~TGrid() {
    Free(DC);
    Free(Owner);
  }
};

// One benchmark's log, a read-only SQLite connection to it and the grid
// over it (its data set opened when asked).
struct TBench {
  sqlite3* Db{};
  std::unique_ptr<TGrid> Grid;
  TBench(benchmark::State& state, Boolean AGridMode, Boolean AOpen) {
    TLogFile& file = LogFile();
    if (!file.Ok()) {
      state.SkipWithError("no log");
      return;
    }
    sqlite3_open_v2(file.Path().c_str(), &Db, SQLITE_OPEN_READONLY, nullptr);
    Grid = std::make_unique<TGrid>(file.Path(), AGridMode);
    if (AOpen) Grid->Set->Open();
  }
  ~TBench() {
    Grid.reset();
    if (Db) sqlite3_close(Db);
  }
  bool Ok() const { return Grid != nullptr; }
};

// Opening the log into the controller against SQLite reading every column.
void BM_OpenLog(benchmark::State& state) {
  TBench bench(state, false, false);
  if (!bench.Ok()) return;
  sqlite3* db = bench.Db;
  TGrid& grid = *bench.Grid;
  double own = 1e9, floor = 1e9, alone = 1e9;
  long long rows = 0;
  Integer records = 0;
  for (auto _ : state) {
    floor = std::min(floor, SqliteQuery(db, "select * from log", nullptr, rows));
    const double t0 = ThreadCpu();
    grid.Set->Open();
    own = std::min(own, ThreadCpu() - t0);
    records = grid.DC->RecordCount();
    grid.Set->Close();
    // The data set alone, for the controller's share of the opening.
    grid.DC->SetDataSource(nullptr);
    const double t1 = ThreadCpu();
    grid.Set->Open();
    alone = std::min(alone, ThreadCpu() - t1);
    grid.Set->Close();
    grid.DC->SetDataSource(grid.Source);
  }
  if (records != kRows || rows != kRows) state.SkipWithError("row count differs");
  state.counters["open_s"] = own;
  state.counters["data_set_alone_s"] = alone;
  state.counters["sqlite_read_all_s"] = floor;
  state.counters["ratio"] = own / floor;
  state.counters["goal_ratio"] = 1.5;
}
BENCHMARK(BM_OpenLog)->Unit(benchmark::kMillisecond)->Iterations(5);

// Grid mode: the data set to its last record and back to the first (the
// controller's window follows to each end), against SQLite reading the last
// and the first window of rows by "Index".
void BM_GridModeScroll(benchmark::State& state) {
  TBench bench(state, true, true);
  if (!bench.Ok()) return;
  sqlite3* db = bench.Db;
  TGrid& grid = *bench.Grid;
  double own = 1e9, floor = 1e9;
  long long rows = 0, last = 0;
  for (auto _ : state) {
    double f = SqliteQuery(db, "select * from log order by \"Index\" desc limit 100", nullptr, rows);
    f += SqliteQuery(db, "select * from log order by \"Index\" limit 100", nullptr, rows);
    floor = std::min(floor, f);
    const double t0 = ThreadCpu();
    // The view's scroll bar moved to its ends: the data set goes there and the window follows.
    grid.Set->Last();
    last = StrToInt(VarToStr(grid.DC->GetValue(grid.DC->FocusedRecordIndex(), 0)));
    grid.Set->First();
    own = std::min(own, ThreadCpu() - t0);
  }
  if (last != kRows || grid.DC->RecordCount() != kWindow) state.SkipWithError("not at the end");
  state.counters["scroll_end_and_back_ms"] = own * 1e3;
  state.counters["sqlite_two_windows_ms"] = floor * 1e3;
  state.counters["ratio"] = own / floor;
}
BENCHMARK(BM_GridModeScroll)->Unit(benchmark::kMillisecond);

// The open log sorted by the time of loading (a header click), every round
// from storage order, against SQLite's ORDER BY YuklemeTS read to its end.
void BM_SortByDate(benchmark::State& state) {
  TBench bench(state, false, true);
  if (!bench.Ok()) return;
  sqlite3* db = bench.Db;
  TGrid& grid = *bench.Grid;
  double own = 1e9, floor = 1e9;
  long long rows = 0;
  for (auto _ : state) {
    floor = std::min(floor, SqliteQuery(db, "select * from log order by YuklemeTS", nullptr, rows));
    const double t0 = ThreadCpu();
    grid.DC->ChangeSorting(kTimeItem, soAscending);
    own = std::min(own, ThreadCpu() - t0);
    // Back to storage order: removing the sorting alone leaves the rows in
    // the sorted order, and the next round would sort sorted rows.
    grid.DC->ChangeSorting(kTimeItem, soNone);
    grid.DC->DataControllerInfo()->Refresh();
  }
  if (rows != kRows) state.SkipWithError("row count differs");
  state.counters["sort_s"] = own;
  state.counters["sqlite_order_by_s"] = floor;
  state.counters["ratio"] = own / floor;
}
BENCHMARK(BM_SortByDate)->Unit(benchmark::kMillisecond)->Iterations(3);

// The open log filtered to one serial number (200 rows), against SQLite's
// WHERE SeriNo = ? (the column has no index, as in the log).
void BM_FilterBySerial(benchmark::State& state) {
  TBench bench(state, false, true);
  if (!bench.Ok()) return;
  sqlite3* db = bench.Db;
  TGrid& grid = *bench.Grid;
  TvlDataFilterCriteria* filter = grid.DC->Filter();
  double own = 1e9, floor = 1e9;
  long long rows = 0;
  Integer shown = 0;
  for (auto _ : state) {
    floor = std::min(floor, SqliteQuery(db, "select * from log where SeriNo = ?", kSerial, rows));
    const double t0 = ThreadCpu();
    filter->BeginUpdate();
    filter->AddItem(nullptr, grid.Columns[kSeriNoItem], foEqual, Variant(String(u"10004321")), u"10004321");
    filter->SetActive(true);
    filter->EndUpdate();
    shown = grid.DC->FilteredRecordCount();
    own = std::min(own, ThreadCpu() - t0);
    filter->Clear();
  }
  if (rows != kRows / 5000 || shown != rows) state.SkipWithError("filtered count differs");
  state.counters["filter_ms"] = own * 1e3;
  state.counters["sqlite_where_ms"] = floor * 1e3;
  state.counters["ratio"] = own / floor;
}
BENCHMARK(BM_FilterBySerial)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
