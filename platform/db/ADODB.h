// The ADO-style connection, data sets and stored procedure, on SQLite.
//
// The connection string names a provider and the database file
// ("Provider=...;Data Source=<file>;..."); the file is an SQLite database.
// Data sets use a static cursor: the rows are read into memory when the data
// set opens and are navigated there; edits are written back by key.
// Stored procedures are parameterized statements kept in the database's own
// table __procedures(name, params, sql); a call runs in one transaction.
#pragma once

#include <vector>

#include "platform/db/MemData.h"

struct sqlite3;
struct sqlite3_stmt;
class TStrings;
class TStringList;
class TCustomADODataSet;

CL_ENUM(TConnectMode, Byte, cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite,
        cmShareExclusive, cmShareDenyNone)
CL_ENUM(TCursorType, Byte, ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic)
CL_ENUM(TADOLockType, Byte, ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic)
CL_ENUM(TCommandType, Byte, cmdUnknown, cmdText, cmdTable, cmdStoredProc, cmdFile, cmdTableDirect)
CL_ENUM(TParameterDirection, Byte, pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue)

// The providers that open an SQLite database file.
bool IsSupportedProvider(const String& Provider);

// One value of a connection string by key (compared without regard to case);
// "" when absent. Values may be quoted with " or '.
String ConnectionStringValue(const String& ConnectionString, const String& Key);

class TADOConnection : public TComponent {
  CL_CLASS(TADOConnection, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  const String& ConnectionString() const { return FConnectionString; }
  void SetConnectionString(const String& Value);
  Boolean LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(Boolean Value) { FLoginPrompt = Value; }
  TConnectMode Mode() const { return FMode; }
  void SetMode(TConnectMode Value);
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value);
  Boolean KeepConnection() const { return FKeepConnection; }
  void SetKeepConnection(Boolean Value) { FKeepConnection = Value; }
  Boolean Connected() const { return FHandle != nullptr; }
  void SetConnected(Boolean Value);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }
  // The provider and database file named by the connection string.
  String Provider() const;
  String DatabaseFileName() const;

  // Transactions: BeginTrans answers the nesting level.
  Integer BeginTrans();
  // A transaction that takes the database's write lock at once (no other
  // connection can write until it ends), so that a write inside cannot fail
  // for want of the lock; EDatabaseError when the lock or the file's write
  // access cannot be had. Not nested.
  Integer BeginWriteTrans();
  void CommitTrans();
  void RollbackTrans();
  Boolean InTransaction() const { return FTransLevel > 0; }
  // Runs statements that return no rows; answers the rows changed.
  Integer Execute(const String& CommandText);
  void GetTableNames(TStrings* List, Boolean SystemTables = false);
  void GetProcedureNames(TStrings* List);

  const TNotifyEvent& BeforeConnect() const { return FBeforeConnect; }
  void SetBeforeConnect(const TNotifyEvent& V) { FBeforeConnect = V; }
  const TNotifyEvent& AfterConnect() const { return FAfterConnect; }
  void SetAfterConnect(const TNotifyEvent& V) { FAfterConnect = V; }
  const TNotifyEvent& BeforeDisconnect() const { return FBeforeDisconnect; }
  void SetBeforeDisconnect(const TNotifyEvent& V) { FBeforeDisconnect = V; }
  const TNotifyEvent& AfterDisconnect() const { return FAfterDisconnect; }
  void SetAfterDisconnect(const TNotifyEvent& V) { FAfterDisconnect = V; }

  void Loaded() override;

  // Internal: the database handle (nil when closed) and the data sets and
  // commands that use this connection.
  sqlite3* Handle() const { return FHandle; }
  void RegisterClient(TComponent* Client);
  void UnregisterClient(TComponent* Client);
  // Raises EDatabaseError with SQLite's message for the last failure.
  [[noreturn]] void RaiseError(const String& Context) const;
  // Raises EDatabaseError when the database file was moved or deleted since
  // it was opened (what is written then reaches no file anyone will open).
  void CheckFileInPlace() const;

 private:
  void DoConnect();
  void DoDisconnect();

  String FConnectionString;
  Boolean FLoginPrompt{};
  TConnectMode FMode{};
  Integer FCommandTimeout{};
  Boolean FKeepConnection{};
  Boolean FStreamedConnected{};
  Integer FTransLevel{};
  sqlite3* FHandle{};
  std::vector<TComponent*> FClients;
  TNotifyEvent FBeforeConnect, FAfterConnect, FBeforeDisconnect, FAfterDisconnect;
};

// A parameter of a command, data set or stored procedure.
class TParameter : public TCollectionItem {
  CL_CLASS(TParameter, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;
  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  TParameterDirection Direction() const { return FDirection; }
  void SetDirection(TParameterDirection Value) { FDirection = Value; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  Byte Precision() const { return FPrecision; }
  void SetPrecision(Byte Value) { FPrecision = Value; }
  Byte NumericScale() const { return FNumericScale; }
  void SetNumericScale(Byte Value) { FNumericScale = Value; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& V) { FValue = V; }
  String GetDisplayName() override { return FName.empty() ? inherited::GetDisplayName() : FName; }
  void Assign(TPersistent* Source) override;

 private:
  String FName;
  TFieldType FDataType{};
  TParameterDirection FDirection{};
  Integer FSize{};
  Byte FPrecision{};
  Byte FNumericScale{};
  Variant FValue;
};

class TParameters : public TOwnedCollection {
  CL_CLASS(TParameters, TOwnedCollection)
 public:
  void Create(TPersistent* AOwner);
  TParameter* Items(Integer Index) const;
  TParameter* operator[](Integer Index) const { return Items(Index); }
  TParameter* AddParameter();
  TParameter* CreateParameter(const String& Name, TFieldType DataType, TParameterDirection Direction,
                              Integer Size, const Variant& Value);
  TParameter* FindParam(const String& Name) const;
  TParameter* ParamByName(const String& Name) const;  // EDatabaseError when missing
  Variant ParamValues(const String& Name) const { return ParamByName(Name)->Value(); }
  void SetParamValues(const String& Name, const Variant& V) { ParamByName(Name)->SetValue(V); }
  // Fills the parameters from the owner's command (procedure definition or
  // the ":name" markers of its text).
  Boolean Refresh();
};

// The common ADO data set: a static cursor over a command's rows.
class TCustomADODataSet : public TCustomMemDataSet {
  CL_CLASS(TCustomADODataSet, TCustomMemDataSet)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* Value);
  const String& CommandText() const { return FCommandText; }
  void SetCommandText(const String& Value);
  TCommandType CommandType() const { return FCommandType; }
  void SetCommandType(TCommandType Value);
  TCursorType CursorType() const { return FCursorType; }
  void SetCursorType(TCursorType Value);
  TADOLockType LockType() const { return FLockType; }
  void SetLockType(TADOLockType Value);
  TParameters* Parameters() const { return FParameters; }
  void SetParameters(TParameters* Value) { FParameters->Assign(Value); }
  Boolean ParamCheck() const { return FParamCheck; }
  void SetParamCheck(Boolean Value) { FParamCheck = Value; }

  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Internal: the statement text the cursor runs.
  virtual String StatementText() const;

 protected:
  void LoadRows() override;
  void InternalInitFieldDefs() override;
  void InternalClose() override;
  void ApplyInsert(TMemRow& Row) override;
  void ApplyUpdate(const TMemRow& OldRow, TMemRow& NewRow) override;
  void ApplyDelete(const TMemRow& Row) override;
  Boolean GetCanModify() override;
  void CheckConnection();

 private:
  struct TColumnInfo {
    String Table;
    String Column;
    Boolean PrimaryKey{};
    Boolean AutoInc{};
  };
  // The key column's definition index for writing back; -1 when none.
  Integer KeyColumn() const;
  String TableForUpdate() const;

  TADOConnection* FConnection{};
  String FCommandText;
  TCommandType FCommandType{};
  TCursorType FCursorType{};
  TADOLockType FLockType{};
  TParameters* FParameters{};
  Boolean FParamCheck{};
  std::vector<TColumnInfo> FColumns;
};

class TADODataSet : public TCustomADODataSet {
  CL_CLASS(TADODataSet, TCustomADODataSet)
};

class TADOTable : public TCustomADODataSet {
  CL_CLASS(TADOTable, TCustomADODataSet)
 public:
  void Create(TComponent* AOwner) override;
  const String& TableName() const { return CommandText(); }
  void SetTableName(const String& Value) { SetCommandText(Value); }
};

class TADOQuery : public TCustomADODataSet {
  CL_CLASS(TADOQuery, TCustomADODataSet)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  TStrings* SQL() const;
  void SetSQL(TStrings* Value);
  // Runs the SQL as a command; answers the rows changed.
  Integer ExecSQL();
  Integer RowsAffected() const { return FRowsAffected; }
  String StatementText() const override;

 private:
  TStringList* FSQL{};
  Integer FRowsAffected{};
};

class TADOStoredProc : public TCustomADODataSet {
  CL_CLASS(TADOStoredProc, TCustomADODataSet)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  const String& ProcedureName() const { return CommandText(); }
  void SetProcedureName(const String& Value);
  Boolean Prepared() const { return FPrepared; }
  void SetPrepared(Boolean Value);
  // Runs the procedure with the parameters' values in one transaction.
  void ExecProc();
  // Parameters, filled from the procedure's definition on first use when the
  // connection is open and none were defined.
  TParameters* Parameters();

  // Internal: the stored definition (parameter names and types, statements).
  struct TProcDef {
    std::vector<std::pair<String, TFieldType>> Params;
    String Sql;
  };
  // Reads the definition; EDatabaseError when the procedure does not exist.
  static TProcDef LoadProcedure(TADOConnection* Connection, const String& Name);
  // The parameters of a definition ("name:type;..."); EDatabaseError naming
  // the procedure Name for a bad one.
  static std::vector<std::pair<String, TFieldType>> ParseParams(const String& Name, const String& Params,
                                                                TComponent* Component);
  // Defines the parameters from the procedure's declaration ("name:type;..."),
  // as a form does: they exist whether or not the database can be reached,
  // so a call without a database fails for that reason.
  void DeclareParameters(const String& Params);

 protected:
  void LoadRows() override;

 private:
  void Unprepare();

  Boolean FPrepared{};
  TProcDef FDef;
  std::vector<sqlite3_stmt*> FStatements;
};

// Registers the data-access component classes (fields, data source, the
// in-memory and ADO-style data sets) for form streaming.
void RegisterDataClasses();

// Stores a procedure in the database: Params lists "name:type" pairs joined
// by ";" (type: integer, smallint, word, string, float, boolean, datetime,
// currency), Sql the statements with ":name" markers. Replaces one of the same name.
void DefineStoredProcedure(TADOConnection* Connection, const String& Name, const String& Params,
                           const String& Sql);
