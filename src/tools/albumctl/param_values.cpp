#include "param_values.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <initializer_list>

#include "store/jetsql/ascii.h"
#include "store/jetsql/jet_dates.h"

namespace albumcore::tools {

namespace {

using store::jetsql::IEquals;

bool IsOneOf(std::string_view text, std::initializer_list<std::string_view> words) {
  for (auto w : words)
    if (IEquals(text, w)) return true;
  return false;
}

std::optional<com::Variant> WholeNumber(std::string_view text) {
  int32_t n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return com::Variant(n);
}

std::optional<com::Variant> Number(std::string_view text) {
  if (auto n = WholeNumber(text)) return n;
  double d = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), d);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(d))
    return std::nullopt;
  return com::Variant(d);
}

std::optional<com::Variant> Date(std::string_view text) {
  if (text.size() >= 2 && text.front() == '#' && text.back() == '#') text = text.substr(1, text.size() - 2);
  if (auto date = store::jetsql::ParseDateText(text)) return com::Variant::Date(*date);
  return std::nullopt;
}

std::optional<com::Variant> YesNo(std::string_view text) {
  if (IsOneOf(text, {"true", "yes", "on", "-1", "1"})) return com::Variant::Bool(true);
  if (IsOneOf(text, {"false", "no", "off", "0"})) return com::Variant::Bool(false);
  return std::nullopt;
}

}  // namespace

NamedValue ParseParam(std::string_view assignment) {
  const std::string what(assignment);
  const size_t eq = assignment.find('=');
  const std::string_view head = assignment.substr(0, eq);
  const std::string_view text = eq == std::string_view::npos ? std::string_view() : assignment.substr(eq + 1);
  // The type follows the last colon; a name may hold colons itself
  // ("[Taken after:]"), so an unknown word there belongs to the name.
  size_t colon = head.rfind(':');
  if (colon != std::string_view::npos && !IsOneOf(head.substr(colon + 1), {"text", "number", "date", "yesno", "null"}))
    colon = std::string_view::npos;
  NamedValue result{std::string(head.substr(0, colon)), com::Variant()};
  if (result.name.empty()) throw CLI::ValidationError("--param wants name=value or name:type=value, got " + what);

  if (colon == std::string_view::npos) {
    if (eq == std::string_view::npos) throw CLI::ValidationError("--param " + what + " has no value: give name=value");
    result.value = WholeNumber(text).value_or(com::Variant(std::string(text)));
    return result;
  }
  const std::string_view type = head.substr(colon + 1);
  std::optional<com::Variant> value;
  if (IEquals(type, "null")) {
    if (!text.empty()) throw CLI::ValidationError("--param " + what + ": null takes no value");
    value = com::Variant::Null();
  } else if (eq == std::string_view::npos) {
    throw CLI::ValidationError("--param " + what + " has no value: give name:type=value");
  } else if (IEquals(type, "text")) {
    value = com::Variant(std::string(text));
  } else if (IEquals(type, "number")) {
    value = Number(text);
  } else if (IEquals(type, "date")) {
    value = Date(text);
  } else {
    value = YesNo(text);
  }
  if (!value) throw CLI::ValidationError("--param " + what + ": not a " + std::string(type));
  result.value = std::move(*value);
  return result;
}

}  // namespace albumcore::tools
