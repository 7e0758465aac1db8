#include "store/jetsql/translator.h"

#include "store/jetsql/emitter.h"
#include "store/jetsql/jet_error.h"
#include "store/jetsql/jet_text.h"
#include "store/jetsql/parser.h"

namespace albumcore::store::jetsql {

std::optional<int> Translation::ParameterNumber(std::string_view name) const {
  for (const auto& p : parameters)
    if (SameName(p.name, name)) return p.number;
  return std::nullopt;
}

Translation TranslateStatement(std::string_view jet, SchemaCatalog& catalog) {
  // Text that is not UTF-8 would reach the file, and every reader after it,
  // as bytes no client can have meant.
  if (const auto at = FindInvalidUtf8(jet))
    ThrowJet(jeterr::kInvalidArgument, "The SQL text is not valid UTF-8 (byte " + std::to_string(*at) + ").");
  const Statement statement = ParseStatement(jet);
  return EmitStatement(statement, catalog);
}

Translator::Translator(SchemaCatalog& catalog, size_t cacheCapacity)
    : catalog_(catalog), capacity_(cacheCapacity) {}

std::shared_ptr<const Translation> Translator::Translate(std::string_view jet) {
  const int64_t version = catalog_.SchemaVersion();
  {
    std::lock_guard lock(mutex_);
    if (auto it = index_.find(jet); it != index_.end()) {
      if (it->second->version == version) {
        lru_.splice(lru_.begin(), lru_, it->second);
        ++hits_;
        return it->second->translation;
      }
      lru_.erase(it->second);
      index_.erase(it);
    }
    ++misses_;
  }
  auto translation = std::make_shared<const Translation>(TranslateStatement(jet, catalog_));
  // A statement reading other files depends on their schemas too.
  if (capacity_ == 0 || !translation->attachments.empty() || translation->changesSchema()) return translation;
  std::lock_guard lock(mutex_);
  if (index_.find(jet) != index_.end()) return translation;
  lru_.push_front(Entry{std::string(jet), version, translation});
  index_.emplace(lru_.front().key, lru_.begin());
  while (lru_.size() > capacity_) {
    index_.erase(lru_.back().key);
    lru_.pop_back();
  }
  return translation;
}

void Translator::ClearCache() {
  std::lock_guard lock(mutex_);
  index_.clear();
  lru_.clear();
}

size_t Translator::cacheSize() const {
  std::lock_guard lock(mutex_);
  return lru_.size();
}

}  // namespace albumcore::store::jetsql
