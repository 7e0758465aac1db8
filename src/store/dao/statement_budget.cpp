#include "store/dao/statement_budget.h"

#include <sqlite3.h>

#include <utility>

namespace albumcore::store::dao {

namespace {

// Virtual-machine steps between two looks at the clock: a few microseconds
// of work, so a deadline is kept to well under a millisecond while reading
// the clock costs nothing measurable.
constexpr int kStepsBetweenChecks = 4096;

thread_local std::optional<std::string> t_expiry;

}  // namespace

StatementBudget::StatementBudget(sqlite3* db, std::chrono::milliseconds budget) : budget_(budget) {
  if (budget_.count() > 0) sqlite3_progress_handler(db, kStepsBetweenChecks, OnProgress, this);
}

StatementBudget::Run StatementBudget::Start() {
  if (armed_ || budget_.count() <= 0) return Run(nullptr);
  armed_ = true;
  deadlineSet_ = false;
  t_expiry.reset();
  return Run(this);
}

std::optional<std::string> StatementBudget::TakeExpiry() { return std::exchange(t_expiry, std::nullopt); }

int StatementBudget::OnProgress(void* self) noexcept {
  auto* budget = static_cast<StatementBudget*>(self);
  if (!budget->armed_) return 0;
  const auto now = std::chrono::steady_clock::now();
  if (!budget->deadlineSet_) {
    budget->deadline_ = now + budget->budget_;
    budget->deadlineSet_ = true;
    return 0;
  }
  if (now < budget->deadline_) return 0;
  try {
    t_expiry = "The statement ran longer than its time budget of " + std::to_string(budget->budget_.count()) +
               " ms and was stopped.";
  } catch (...) {
    t_expiry.reset();
  }
  return 1;
}

}  // namespace albumcore::store::dao
