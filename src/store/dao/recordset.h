// Recordset: a cursor over the rows of a query or table, with DAO's moves,
// counts, finds and edits.
//
// Rows stream from the prepared statement: a field read takes the value
// straight from the current row, MoveNext steps once, MoveLast steps to the
// end without reading columns (RecordCount is then the total; before that,
// the rows reached so far), and MoveFirst/MovePrevious re-run the statement
// and step to the row wanted. A statement that ran to its end is reset at
// once, so an idle recordset holds no read transaction.
//
// The translation says what the columns are (names and Jet types, which type
// the values read) and whether the recordset is updatable: a dynaset or
// table-type recordset over a statement with a keyed form (translator.h)
// runs that form and finds its rows again by the rowid in its hidden first
// column. Otherwise writes raise 3027.
// After Update the row written is current (its key included); the next move
// goes on from where the cursor was.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "com/unknown.h"
#include "com/variant.h"
#include "store/dao/session.h"
#include "store/dao/statement_cache.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::dao {

enum RecordsetType : int {
  dbOpenTable = 1,
  dbOpenDynaset = 2,
  dbOpenSnapshot = 4,
  dbOpenForwardOnly = 8,
};

enum EditMode : int {
  dbEditNone = 0,
  dbEditInProgress = 1,
  dbEditAdd = 2,
};

// What a recordset runs: a translated statement and the values of its
// parameters, already converted to their types (execution.h).
struct RecordsetSource {
  std::shared_ptr<const jetsql::Translation> translation;
  std::vector<com::Variant> parameters;
};

class Recordset;

// One column of the current row (DAO's Field of a Recordset).
class Field {
 public:
  const std::string& Name() const;
  jetsql::JetType Type() const;
  int64_t Size() const;
  com::Variant Value() const;
  void SetValue(const com::Variant& value) const;

 private:
  friend class Recordset;
  Field(com::ComPtr<Recordset> rs, int index) : rs_(std::move(rs)), index_(index) {}
  com::ComPtr<Recordset> rs_;
  int index_;
};

class FieldCollection {
 public:
  int Count() const;
  Field Item(std::string_view name) const;  // 3265 for an unknown name
  Field Item(int index) const;              // 3265 out of range

 private:
  friend class Recordset;
  explicit FieldCollection(com::ComPtr<Recordset> rs) : rs_(std::move(rs)) {}
  com::ComPtr<Recordset> rs_;
};

class Recordset final : public com::ComObject, private SessionClient {
 public:
  static constexpr std::string_view kInterfaceName = "Recordset";

  static com::ComPtr<Recordset> Open(std::shared_ptr<Session> session, RecordsetSource source, int type);
  ~Recordset() override;

  int Type() const { return type_; }
  bool Updatable() const { return keyed_; }

  bool IsEOF();
  bool IsBOF();
  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();
  int32_t RecordCount();

  // Criteria in Jet SQL over the recordset's table; NoMatch() tells the outcome.
  void FindFirst(std::string_view criteria);
  void FindNext(std::string_view criteria);
  bool NoMatch() const { return noMatch_; }

  void Requery();

  void AddNew();
  void Edit();
  void Update();
  void CancelUpdate();
  void Delete();
  int EditMode() const { return editMode_; }
  // rowid of the row last added or changed through this recordset; 0 before.
  int64_t LastModified() const { return lastModified_; }

  FieldCollection Fields();
  Field Fields(std::string_view name);
  Field Fields(int index);

  void Close();

  // Field access by column index (0-based, as Fields(int)).
  int FieldCount() const { return static_cast<int>(columns().size()); }
  int FindField(std::string_view name) const;  // -1 when unknown
  com::Variant GetValue(int index);
  void SetValue(int index, const com::Variant& value);

 private:
  friend class Field;
  using Column = jetsql::ResultColumn;

  Recordset(std::shared_ptr<Session> session, int type);
  void Prepare(RecordsetSource& source);
  const std::vector<Column>& columns() const { return translation_->columns; }
  const std::string& baseTable() const { return translation_->baseTable; }
  void OnSessionClosing() noexcept override;
  void Detach() noexcept;
  sqlite3* db() const;
  void CheckOpen() const;

  // Cursor.
  void EnsureStarted();
  bool Seek(int64_t target);
  void GoTo(int64_t target);
  bool LeaveShown();
  void StartMove();
  void RequireCurrent();
  int64_t CurrentRowid();
  void Find(std::string_view criteria, int64_t from);

  // Edits.
  void RequireUpdatable() const;
  void ShowRow(int64_t rowid, bool detached);
  void LoadShown();
  com::Variant NextCounterValue();

  std::shared_ptr<Session> session_;
  int type_;
  std::unique_ptr<AttachedFiles> attached_;
  Statement stmt_;
  std::shared_ptr<const jetsql::Translation> translation_;  // columns, base table
  bool keyed_ = false;  // stmt_ runs the keyed form: column 0 is the rowid, field i is column i + 1

  bool started_ = false;
  int64_t pos_ = 0;       // current row, counted in the query's result as it is now
  int64_t stmtPos_ = -1;  // row the statement is on; -1 before the first
  bool ghost_ = false;    // the statement is on a row deleted since; the next step gives row ghostNext_
  int64_t ghostNext_ = 0;
  bool eof_ = false;
  bool bof_ = false;
  bool deleted_ = false;  // the current row was deleted
  int64_t seen_ = 0;      // rows known to exist
  bool counted_ = false;  // seen_ is the total

  // A row written through the recordset, shown as current.
  bool shown_ = false;
  bool shownDetached_ = false;  // not the cursor's row (added)
  bool shownDeleted_ = false;
  bool shownLoaded_ = false;
  int64_t shownRowid_ = 0;
  std::vector<com::Variant> shownValues_;

  int editMode_ = dbEditNone;
  int64_t editRowid_ = 0;
  std::vector<std::optional<com::Variant>> buffer_;
  std::unordered_map<std::string, std::string> insertSql_;  // set-column mask -> INSERT
  int64_t lastModified_ = 0;
  bool noMatch_ = false;
};

}  // namespace albumcore::store::dao
