#include "items/item/item_texts.h"

#include <locale.h>
#include <time.h>

#include "com/oadate.h"
#include "components/string_table/label_format.h"
#include "items/monikers/moniker_splitter.h"

namespace albumcore::items {

std::string Label(const components::StringTable* strings, std::string_view reference) {
  return strings ? strings->Resolve(reference) : std::string(reference);
}

std::string UpperExtensionOf(std::string_view moniker) {
  std::string extension =
      monikers::MonikerSplitter(moniker, monikers::kSplitAll).Compose(monikers::kSplitExtension);
  for (char& c : extension)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return extension;
}

std::string SizeText(uint32_t low, uint32_t high, const components::StringTable* strings) {
  using components::FormatLabel;
  constexpr uint32_t kGB = 1073741824;
  constexpr uint32_t kMB = 1048576;
  if (low == 0 && high == 0) return {};
  if (high > 0 || low >= kGB) {
    const double gb = (static_cast<double>(high) * 4294967296.0 + low) / kGB;
    return FormatLabel(Label(strings, "stringRef:ItemInfo.SizeGB"), {gb});
  }
  if (low > kMB) return FormatLabel(Label(strings, "stringRef:ItemInfo.SizeMB"), {static_cast<double>(low) / kMB});
  if (low > 1024) return FormatLabel(Label(strings, "stringRef:ItemInfo.SizeKB"), {int64_t{(int64_t{low} + 512) / 1024}});
  return FormatLabel(Label(strings, "stringRef:ItemInfo.Size"), {int64_t{low}});
}

std::string LocalDateText(const com::Variant& date) {
  if (date.vt() != com::VT_DATE || date.date() == 0.0 || date.date() == 1.0) return {};
  const std::optional<com::DateTime> t = com::FromOaDate(date.date());
  if (!t) return {};
  struct tm parts {};
  parts.tm_year = t->year - 1900;
  parts.tm_mon = t->month - 1;
  parts.tm_mday = t->day;
  // The user's locale (LC_TIME, then LANG), whatever the process set.
  static const locale_t userLocale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  char buffer[64];
  const size_t n = userLocale ? strftime_l(buffer, sizeof buffer, "%x", &parts, userLocale)
                              : strftime(buffer, sizeof buffer, "%x", &parts);
  return std::string(buffer, n);
}

}  // namespace albumcore::items
