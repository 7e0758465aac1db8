// The time one statement run may take on a connection, enforced through
// SQLite's progress handler: while a run is timed, the handler looks at the
// clock every few thousand virtual-machine steps and, once the deadline has
// passed, makes SQLite stop the statement with SQLITE_INTERRUPT. The
// connection stays usable; a write interrupted inside a transaction makes
// SQLite roll that transaction back (the session notices, session.h).
//
// A run is what one call into the adapter does with SQL text: an Execute, a
// cursor move (however many rows it steps over), a FindFirst. Runs nest:
// the outermost one counts. Its deadline is set at the handler's first
// look, a few thousand steps into the run, so the many runs that end
// before that (a cursor moving one row) never read the clock. Statements
// outside any run (the adapter's own bookkeeping, compaction) are never
// stopped.
//
// Owned by the session; one thread uses it at a time, as the session.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct sqlite3;

namespace albumcore::store::dao {

class StatementBudget {
 public:
  // Installs the progress handler on `db`; the budget must live until the
  // connection is closed. A zero budget times nothing.
  StatementBudget(sqlite3* db, std::chrono::milliseconds budget);
  StatementBudget(const StatementBudget&) = delete;
  StatementBudget& operator=(const StatementBudget&) = delete;

  class Run {
   public:
    ~Run() {
      if (owner_ != nullptr) owner_->armed_ = false;
    }
    Run(Run&& other) noexcept : owner_(other.owner_) { other.owner_ = nullptr; }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    Run& operator=(Run&&) = delete;

   private:
    friend class StatementBudget;
    explicit Run(StatementBudget* owner) : owner_(owner) {}
    StatementBudget* owner_;  // null for a nested run
  };

  [[nodiscard]] Run Start();

  std::chrono::milliseconds budget() const { return budget_; }

  // When a budget stopped a statement on this thread since the question was
  // last asked, the message that names it; asking clears it. Errors are
  // mapped on the thread that stepped, right after the step, so this tells
  // an interrupt of ours from any other.
  static std::optional<std::string> TakeExpiry();

 private:
  static int OnProgress(void* self) noexcept;

  std::chrono::milliseconds budget_;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false;
  bool deadlineSet_ = false;
};

}  // namespace albumcore::store::dao
