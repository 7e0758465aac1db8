#include "store/jetsql/sql_quoting.h"
#include "store/dao/recordset.h"

#include <cctype>
#include <limits>
#include <unordered_set>

#include "store/dao/errors.h"
#include "store/dao/stored_queries.h"
#include "store/dao/values.h"

namespace albumcore::store::dao {

using com::ComPtr;
using com::Variant;
using jetsql::JetType;

// ---- Field and FieldCollection --------------------------------------------

const std::string& Field::Name() const { return rs_->columns().at(static_cast<size_t>(index_)).name; }
JetType Field::Type() const { return rs_->columns().at(static_cast<size_t>(index_)).type; }
int64_t Field::Size() const { return rs_->columns().at(static_cast<size_t>(index_)).size; }
Variant Field::Value() const { return rs_->GetValue(index_); }
void Field::SetValue(const Variant& value) const { rs_->SetValue(index_, value); }

int FieldCollection::Count() const { return rs_->FieldCount(); }
Field FieldCollection::Item(std::string_view name) const { return rs_->Fields(name); }
Field FieldCollection::Item(int index) const { return rs_->Fields(index); }

// ---- Opening ----------------------------------------------------------------

namespace {

// What a recordset shows before it opens (and a failed open leaves).
const std::shared_ptr<const jetsql::Translation>& NoStatement() {
  static const auto none = std::make_shared<const jetsql::Translation>();
  return none;
}

}  // namespace

Recordset::Recordset(std::shared_ptr<Session> session, int type)
    : session_(std::move(session)), type_(type), translation_(NoStatement()) {}

ComPtr<Recordset> Recordset::Open(std::shared_ptr<Session> session, RecordsetSource source, int type) {
  if (type != dbOpenTable && type != dbOpenDynaset && type != dbOpenSnapshot && type != dbOpenForwardOnly)
    ThrowJet(jeterr::kInvalidArgument, "Invalid argument.");
  ComPtr<Recordset> rs(new Recordset(std::move(session), type));
  rs->Prepare(source);
  rs->session_->Register(rs.get());
  return rs;
}

void Recordset::Prepare(RecordsetSource& source) {
  const jetsql::Translation& t = *source.translation;
  if (!t.attachments.empty()) attached_ = std::make_unique<AttachedFiles>(*session_, t.attachments);
  StatementCache& cache = session_->statements();
  // A table without rowid (made by other tools) refuses the keyed form:
  // such a recordset is read-only.
  if (t.updatable() && attached_ == nullptr && (type_ == dbOpenTable || type_ == dbOpenDynaset)) {
    stmt_ = cache.TryAcquire(t.keyedSql);
    keyed_ = static_cast<bool>(stmt_);
  }
  if (!stmt_) stmt_ = cache.Acquire(t.sql, attached_ == nullptr);
  const int expected = sqlite3_bind_parameter_count(stmt_.get());
  if (static_cast<int>(source.parameters.size()) < expected)
    ThrowJet(jeterr::kTooFewParameters,
             "Too few parameters. Expected " + std::to_string(expected - static_cast<int>(source.parameters.size())) + ".");
  for (int i = 0; i < expected; ++i) BindVariant(stmt_.get(), i + 1, source.parameters[static_cast<size_t>(i)]);
  translation_ = std::move(source.translation);
}

Recordset::~Recordset() {
  if (!session_) return;
  session_->Unregister(this);
  Detach();
}

void Recordset::Detach() noexcept {
  stmt_.Release();
  attached_.reset();
}

void Recordset::OnSessionClosing() noexcept { Detach(); }

void Recordset::Close() {
  session_->Unregister(this);
  Detach();
  editMode_ = dbEditNone;
}

sqlite3* Recordset::db() const { return session_->db(); }

void Recordset::CheckOpen() const {
  if (!stmt_) ThrowJet(jeterr::kObjectClosed, "Object invalid or no longer set");
}

// ---- Cursor -----------------------------------------------------------------

bool Recordset::Seek(int64_t target) {
  CheckOpen();
  if (counted_ && target >= seen_) return false;
  sqlite3_stmt* s = stmt_.get();
  if (ghost_) {
    ghost_ = false;
    if (target >= ghostNext_) {
      stmtPos_ = ghostNext_ - 1;
    } else {
      sqlite3_reset(s);
      stmtPos_ = -1;
    }
  }
  if (stmtPos_ > target) {
    sqlite3_reset(s);
    stmtPos_ = -1;
  }
  const auto run = session_->TimeRun();  // one move, however many rows it steps over
  while (stmtPos_ < target) {
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
      ++stmtPos_;
      if (stmtPos_ >= seen_) seen_ = stmtPos_ + 1;
      continue;
    }
    const int64_t total = stmtPos_ + 1;
    sqlite3_reset(s);
    stmtPos_ = -1;
    if (rc == SQLITE_DONE) {
      seen_ = total;
      counted_ = true;
      return false;
    }
    ThrowEngineError(db(), rc);
  }
  return true;
}

void Recordset::EnsureStarted() {
  CheckOpen();
  if (started_) return;
  started_ = true;
  pos_ = 0;
  eof_ = bof_ = false;
  if (!Seek(0)) {
    eof_ = bof_ = true;
    pos_ = -1;
  }
}

void Recordset::GoTo(int64_t target) {
  if (target >= 0 && Seek(target)) {
    pos_ = target;
    eof_ = bof_ = false;
  } else if (target < 0) {
    pos_ = -1;
    bof_ = true;
    eof_ = seen_ == 0;
  } else {
    pos_ = seen_;
    eof_ = true;
    bof_ = seen_ == 0;
  }
}

// Leaves a row shown after Update; true when it was not the cursor's row.
bool Recordset::LeaveShown() {
  const bool detached = shown_ && shownDetached_;
  shown_ = shownDetached_ = shownDeleted_ = shownLoaded_ = false;
  shownValues_.clear();
  return detached;
}

void Recordset::StartMove() {
  EnsureStarted();
  editMode_ = dbEditNone;
  noMatch_ = false;
}

bool Recordset::IsEOF() {
  EnsureStarted();
  return eof_ && !(shown_ && shownDetached_);
}

bool Recordset::IsBOF() {
  EnsureStarted();
  return bof_ && !(shown_ && shownDetached_);
}

void Recordset::MoveFirst() {
  StartMove();
  LeaveShown();
  deleted_ = false;
  GoTo(0);
}

void Recordset::MoveLast() {
  StartMove();
  LeaveShown();
  deleted_ = false;
  if (!counted_) Seek(std::numeric_limits<int64_t>::max());
  GoTo(seen_ - 1);
  if (seen_ == 0) eof_ = bof_ = true;
}

void Recordset::MoveNext() {
  StartMove();
  const bool fromAdded = LeaveShown();
  if (eof_) {
    if (fromAdded) return;
    ThrowJet(jeterr::kNoCurrentRecord, "No current record.");
  }
  const int64_t target = bof_ ? 0 : (deleted_ ? pos_ : pos_ + 1);
  deleted_ = false;
  GoTo(target);
}

void Recordset::MovePrevious() {
  StartMove();
  const bool fromAdded = LeaveShown();
  if (bof_) {
    if (fromAdded) return;
    ThrowJet(jeterr::kNoCurrentRecord, "No current record.");
  }
  const int64_t target = eof_ ? seen_ - 1 : pos_ - 1;
  deleted_ = false;
  GoTo(target);
}

int32_t Recordset::RecordCount() {
  EnsureStarted();
  return static_cast<int32_t>(std::min<int64_t>(seen_, std::numeric_limits<int32_t>::max()));
}

void Recordset::Requery() {
  CheckOpen();
  LeaveShown();
  editMode_ = dbEditNone;
  sqlite3_reset(stmt_.get());
  started_ = counted_ = ghost_ = deleted_ = eof_ = bof_ = noMatch_ = false;
  stmtPos_ = -1;
  pos_ = 0;
  seen_ = 0;
}

void Recordset::RequireCurrent() {
  EnsureStarted();
  if (shown_) {
    if (shownDeleted_) ThrowJet(jeterr::kRecordDeleted, "Record is deleted.");
    return;
  }
  if (eof_ || bof_) ThrowJet(jeterr::kNoCurrentRecord, "No current record.");
  if (deleted_) ThrowJet(jeterr::kRecordDeleted, "Record is deleted.");
}

int64_t Recordset::CurrentRowid() {
  RequireCurrent();
  if (shown_) return shownRowid_;
  if (!Seek(pos_)) ThrowJet(jeterr::kNoCurrentRecord, "No current record.");
  return sqlite3_column_int64(stmt_.get(), 0);
}

void Recordset::FindFirst(std::string_view criteria) { Find(criteria, 0); }

void Recordset::FindNext(std::string_view criteria) {
  EnsureStarted();
  Find(criteria, bof_ ? 0 : (deleted_ ? pos_ : pos_ + 1));
}

void Recordset::Find(std::string_view criteria, int64_t from) {
  EnsureStarted();
  if (!keyed_) ThrowJet(jeterr::kNotSupported, "Operation is not supported for this type of object.");
  const std::string jet = "SELECT * FROM [" + baseTable() + "] WHERE " + std::string(criteria);
  auto translation = session_->Translate(jet);
  if (!translation->parameters.empty())
    ThrowJet(jeterr::kTooFewParameters,
             "Too few parameters. Expected " + std::to_string(translation->parameters.size()) + ".");
  if (!translation->updatable()) ThrowJet(jeterr::kNotSupported, "Operation is not supported for this type of object.");
  std::unordered_set<int64_t> matches;
  {
    Statement s = session_->statements().Acquire(translation->keyedSql);
    const auto run = session_->TimeRun();
    int rc;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) matches.insert(sqlite3_column_int64(s.get(), 0));
    if (rc != SQLITE_DONE) ThrowEngineError(db(), rc);
  }
  noMatch_ = true;
  if (!matches.empty()) {
    for (int64_t p = from; Seek(p); ++p) {
      if (matches.count(sqlite3_column_int64(stmt_.get(), 0)) != 0) {
        LeaveShown();
        editMode_ = dbEditNone;
        deleted_ = false;
        pos_ = p;
        eof_ = bof_ = false;
        noMatch_ = false;
        break;
      }
    }
  }
}

// ---- Fields -------------------------------------------------------------------

int Recordset::FindField(std::string_view name) const {
  const auto& fields = columns();
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name == name) return static_cast<int>(i);
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string& c = fields[i].name;
    if (c.size() == name.size()) {
      bool same = true;
      for (size_t k = 0; k < c.size() && same; ++k)
        same = std::tolower(static_cast<unsigned char>(c[k])) == std::tolower(static_cast<unsigned char>(name[k]));
      if (same) return static_cast<int>(i);
    }
  }
  for (size_t i = 0; i < fields.size(); ++i)
    if (jetsql::SameName(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

FieldCollection Recordset::Fields() { return FieldCollection(ComPtr<Recordset>(this)); }

Field Recordset::Fields(std::string_view name) {
  const int i = FindField(name);
  if (i < 0) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
  return Field(ComPtr<Recordset>(this), i);
}

Field Recordset::Fields(int index) {
  if (index < 0 || index >= FieldCount())
    ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::to_string(index));
  return Field(ComPtr<Recordset>(this), index);
}

Variant Recordset::GetValue(int index) {
  const auto i = static_cast<size_t>(index);
  const auto& fields = columns();
  // The common case: reading the row the statement is on.
  if (stmt_ && stmtPos_ == pos_ && editMode_ == dbEditNone && !shown_ && !deleted_ && !ghost_ && started_ && !eof_ &&
      !bof_ && i < fields.size())
    return ReadColumn(stmt_.get(), index + (keyed_ ? 1 : 0), fields[i].type);
  CheckOpen();
  if (i >= fields.size()) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection.");
  if (editMode_ != dbEditNone) {
    if (buffer_[i]) return *buffer_[i];
    if (editMode_ == dbEditAdd) {
      if (fields[i].type == JetType::Counter) {
        buffer_[i] = NextCounterValue();
        return *buffer_[i];
      }
      return Variant::Null();
    }
  }
  RequireCurrent();
  if (shown_) {
    LoadShown();
    return shownValues_[i];
  }
  if (!Seek(pos_)) ThrowJet(jeterr::kNoCurrentRecord, "No current record.");
  return ReadColumn(stmt_.get(), index + (keyed_ ? 1 : 0), fields[i].type);
}

// ---- Edits --------------------------------------------------------------------

void Recordset::RequireUpdatable() const {
  CheckOpen();
  if (!keyed_) ThrowJet(jeterr::kReadOnly, "Database or object is read-only.");
}

void Recordset::SetValue(int index, const Variant& value) {
  RequireUpdatable();
  const auto i = static_cast<size_t>(index);
  if (i >= columns().size()) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection.");
  if (editMode_ == dbEditNone)
    ThrowJet(jeterr::kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit.");
  const Column& c = columns()[i];
  if (c.origin.empty()) ThrowJet(jeterr::kReadOnly, "Field '" + c.name + "' cannot be updated.");
  buffer_[i] = CoerceToColumn(value, c.type, c.size, c.name);
}

void Recordset::AddNew() {
  RequireUpdatable();
  editMode_ = dbEditAdd;
  buffer_.assign(columns().size(), std::nullopt);
}

void Recordset::Edit() {
  RequireUpdatable();
  editRowid_ = CurrentRowid();
  editMode_ = dbEditInProgress;
  buffer_.assign(columns().size(), std::nullopt);
}

void Recordset::CancelUpdate() {
  CheckOpen();
  if (editMode_ == dbEditNone)
    ThrowJet(jeterr::kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit.");
  editMode_ = dbEditNone;
  buffer_.clear();
}

Variant Recordset::NextCounterValue() {
  Statement s = session_->statements().Acquire(
      "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0), "
      "coalesce((SELECT max(rowid) FROM " + jetsql::QuoteIdentifier(baseTable()) + "), 0)) + 1");
  sqlite3_bind_text(s.get(), 1, baseTable().c_str(), -1, SQLITE_TRANSIENT);
  const int rc = sqlite3_step(s.get());
  if (rc != SQLITE_ROW) ThrowEngineError(db(), rc);
  return ReadColumn(s.get(), 0, JetType::Long);
}

void Recordset::Update() {
  RequireUpdatable();
  if (editMode_ == dbEditNone)
    ThrowJet(jeterr::kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit.");
  std::string mask(columns().size(), '0');
  for (size_t i = 0; i < columns().size(); ++i)
    if (buffer_[i]) mask[i] = '1';

  if (editMode_ == dbEditAdd) {
    auto it = insertSql_.find(mask);
    if (it == insertSql_.end()) {
      std::string names, values;
      int n = 0;
      for (size_t i = 0; i < columns().size(); ++i) {
        if (!buffer_[i]) continue;
        names += (n ? ", " : "") + jetsql::QuoteIdentifier(columns()[i].origin);
        values += (n ? ", ?" : "?") + std::to_string(n + 1);
        ++n;
      }
      std::string sql = "INSERT INTO " + jetsql::QuoteIdentifier(baseTable()) +
                        (n ? " (" + names + ") VALUES (" + values + ")" : std::string(" DEFAULT VALUES"));
      it = insertSql_.emplace(mask, std::move(sql)).first;
    }
    Statement s = session_->statements().Acquire(it->second);
    int n = 0;
    for (size_t i = 0; i < columns().size(); ++i)
      if (buffer_[i]) BindVariant(s.get(), ++n, *buffer_[i]);
    const int rc = sqlite3_step(s.get());
    if (rc != SQLITE_DONE) ThrowEngineError(db(), rc);
    const int64_t rowid = sqlite3_last_insert_rowid(db());
    editMode_ = dbEditNone;
    buffer_.clear();
    lastModified_ = rowid;
    ShowRow(rowid, true);
    return;
  }

  if (mask.find('1') != std::string::npos) {
    std::string sql = "UPDATE " + jetsql::QuoteIdentifier(baseTable()) + " SET ";
    int n = 0;
    for (size_t i = 0; i < columns().size(); ++i) {
      if (!buffer_[i]) continue;
      sql += (n ? ", " : "") + jetsql::QuoteIdentifier(columns()[i].origin) + " = ?" + std::to_string(n + 1);
      ++n;
    }
    sql += " WHERE rowid = ?" + std::to_string(n + 1);
    Statement s = session_->statements().Acquire(sql);
    n = 0;
    for (size_t i = 0; i < columns().size(); ++i)
      if (buffer_[i]) BindVariant(s.get(), ++n, *buffer_[i]);
    sqlite3_bind_int64(s.get(), n + 1, editRowid_);
    const int rc = sqlite3_step(s.get());
    if (rc != SQLITE_DONE) ThrowEngineError(db(), rc);
  }
  editMode_ = dbEditNone;
  buffer_.clear();
  lastModified_ = editRowid_;
  ShowRow(editRowid_, shown_ && shownDetached_);
}

void Recordset::Delete() {
  RequireUpdatable();
  if (editMode_ != dbEditNone) editMode_ = dbEditNone;
  const int64_t rowid = CurrentRowid();
  {
    Statement s = session_->statements().Acquire("DELETE FROM " + jetsql::QuoteIdentifier(baseTable()) + " WHERE rowid = ?1");
    sqlite3_bind_int64(s.get(), 1, rowid);
    const int rc = sqlite3_step(s.get());
    if (rc != SQLITE_DONE) ThrowEngineError(db(), rc, jetsql::FailingOperation::Delete);
  }
  if (shown_ && shownDetached_) {
    shownDeleted_ = true;
    return;
  }
  LeaveShown();
  if (stmtPos_ == pos_) {
    ghost_ = true;
    ghostNext_ = pos_;
  }
  deleted_ = true;
  if (seen_ > 0) --seen_;
}

void Recordset::ShowRow(int64_t rowid, bool detached) {
  shown_ = true;
  shownDetached_ = detached;
  shownDeleted_ = false;
  shownLoaded_ = false;
  shownRowid_ = rowid;
}

void Recordset::LoadShown() {
  if (shownLoaded_) return;
  std::string sql = "SELECT ";
  for (size_t i = 0; i < columns().size(); ++i) sql += (i ? ", " : "") + jetsql::QuoteIdentifier(columns()[i].origin);
  sql += " FROM " + jetsql::QuoteIdentifier(baseTable()) + " WHERE rowid = ?1";
  Statement s = session_->statements().Acquire(sql);
  sqlite3_bind_int64(s.get(), 1, shownRowid_);
  const int rc = sqlite3_step(s.get());
  if (rc == SQLITE_DONE) {
    shownDeleted_ = true;
    ThrowJet(jeterr::kRecordDeleted, "Record is deleted.");
  }
  if (rc != SQLITE_ROW) ThrowEngineError(db(), rc);
  shownValues_.clear();
  for (size_t i = 0; i < columns().size(); ++i)
    shownValues_.push_back(ReadColumn(s.get(), static_cast<int>(i), columns()[i].type));
  shownLoaded_ = true;
}

}  // namespace albumcore::store::dao
