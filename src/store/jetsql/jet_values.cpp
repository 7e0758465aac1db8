#include "store/jetsql/ascii.h"
#include "store/jetsql/jet_values.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace albumcore::store::jetsql {

namespace {

std::string Fixed(double v, int decimals) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string GroupThousands(const std::string& fixed) {
  size_t start = fixed[0] == '-' ? 1 : 0;
  size_t dot = fixed.find('.');
  if (dot == std::string::npos) dot = fixed.size();
  std::string intPart = fixed.substr(start, dot - start);
  std::string grouped;
  for (size_t i = 0; i < intPart.size(); ++i) {
    if (i > 0 && (intPart.size() - i) % 3 == 0) grouped += ',';
    grouped += intPart[i];
  }
  return fixed.substr(0, start) + grouped + fixed.substr(dot);
}

}  // namespace

double RoundHalfEven(double v) { return std::nearbyint(v); }

std::string NumberText(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  std::string s = buf;
  const size_t e = s.find('E');
  std::string mantissa = e == std::string::npos ? s : s.substr(0, e);
  std::string exponent = e == std::string::npos ? "" : s.substr(e);
  if (mantissa.find('.') != std::string::npos) {
    while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
    if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
  }
  if (!exponent.empty()) {
    // E+020 -> E+20
    std::string digits = exponent.substr(2);
    while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
    exponent = exponent.substr(0, 2) + digits;
  }
  return mantissa + exponent;
}

std::optional<double> ParseNumberText(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  if (s.empty() || s.size() > 300) return std::nullopt;
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
    const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
    uint64_t v = 0;
    for (size_t i = 2; i < s.size(); ++i) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
      int d = c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99);
      if (d >= base || v > (UINT64_MAX >> 4)) return std::nullopt;
      v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    if (v <= 0xFFFFFFFFu) return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    return static_cast<double>(v);
  }
  std::string text(s);
  for (char c : text)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

double ValText(std::string_view s) {
  std::string compact;
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') compact += c;
  if (compact.size() > 2 && compact[0] == '&') {
    size_t end = 2;
    while (end < compact.size() && std::isxdigit(static_cast<unsigned char>(compact[end]))) ++end;
    return ParseNumberText(compact.substr(0, end)).value_or(0.0);
  }
  size_t i = 0;
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) ++i;
  while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) ++i;
  if (i < compact.size() && compact[i] == '.') {
    ++i;
    while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) ++i;
  }
  if (i < compact.size() && (compact[i] == 'e' || compact[i] == 'E' || compact[i] == 'd' || compact[i] == 'D')) {
    size_t k = i + 1;
    if (k < compact.size() && (compact[k] == '+' || compact[k] == '-')) ++k;
    if (k < compact.size() && std::isdigit(static_cast<unsigned char>(compact[k]))) {
      compact[i] = 'e';
      i = k;
      while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) ++i;
    }
  }
  const std::string number = compact.substr(0, std::min<size_t>(i, 300));
  const double v = std::strtod(number.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

std::string FormatNumber(double v, std::string_view f) {
  if (f.empty() || IEquals(f, "General Number")) return NumberText(v);
  if (IEquals(f, "Fixed")) return Fixed(v, 2);
  if (IEquals(f, "Standard")) return GroupThousands(Fixed(v, 2));
  if (IEquals(f, "Percent")) return Fixed(v * 100, 2) + "%";
  if (IEquals(f, "Currency")) {
    const std::string s = GroupThousands(Fixed(std::fabs(v), 2));
    return v < 0 ? "($" + s + ")" : "$" + s;
  }
  if (IEquals(f, "Scientific")) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2E", v);
    std::string s = buf;
    const size_t e = s.find('E');
    std::string digits = s.substr(e + 2);
    while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
    return s.substr(0, e + 2) + digits;
  }
  if (IEquals(f, "Yes/No")) return v != 0 ? "Yes" : "No";
  if (IEquals(f, "True/False")) return v != 0 ? "True" : "False";
  if (IEquals(f, "On/Off")) return v != 0 ? "On" : "Off";
  // Custom: digits placeholders around one decimal point.
  const size_t semi = f.find(';');
  if (semi != std::string_view::npos) {
    if (v < 0 && semi + 1 < f.size()) {
      v = -v;
      f = f.substr(semi + 1);
      const size_t semi2 = f.find(';');
      if (semi2 != std::string_view::npos) f = f.substr(0, semi2);
    } else {
      f = f.substr(0, semi);
    }
  }
  bool percent = false, grouping = false, seenDot = false;
  int minInt = 0, minFrac = 0, maxFrac = 0;
  size_t firstDigit = std::string_view::npos, lastDigit = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    const char c = f[i];
    if (c == '0' || c == '#') {
      if (firstDigit == std::string_view::npos) firstDigit = i;
      lastDigit = i;
      if (seenDot) {
        ++maxFrac;
        if (c == '0') minFrac = maxFrac;
      } else if (c == '0') {
        ++minInt;
      }
    } else if (c == '.' && firstDigit != std::string_view::npos && !seenDot) {
      seenDot = true;
      lastDigit = i;
    } else if (c == ',' && firstDigit != std::string_view::npos && !seenDot) {
      grouping = true;
    } else if (c == '%') {
      percent = true;
    }
  }
  if (firstDigit == std::string_view::npos) return std::string(f);
  if (percent) v *= 100;
  std::string digits = Fixed(std::fabs(v), maxFrac);
  std::string intPart = digits.substr(0, digits.find('.'));
  std::string fracPart = digits.find('.') == std::string::npos ? "" : digits.substr(digits.find('.') + 1);
  while (static_cast<int>(fracPart.size()) > minFrac && !fracPart.empty() && fracPart.back() == '0') fracPart.pop_back();
  if (intPart == "0" && minInt == 0) intPart.clear();
  while (static_cast<int>(intPart.size()) < minInt) intPart.insert(0, "0");
  if (grouping && !intPart.empty()) intPart = GroupThousands(intPart);
  std::string number = intPart;
  if (seenDot && (!fracPart.empty() || minFrac > 0)) number += "." + fracPart;
  if (number.empty()) number = "0";
  std::string out;
  if (v < 0 && std::stod(Fixed(std::fabs(v), maxFrac)) != 0) out += '-';
  for (size_t i = 0; i < firstDigit; ++i)
    if (f[i] != '"' && f[i] != '\\') out += f[i];
  out += number;
  for (size_t i = lastDigit + 1; i < f.size(); ++i)
    if (f[i] != '"' && f[i] != '\\' && f[i] != ',') out += f[i];
  return out;
}

std::string PartitionText(int64_t number, int64_t start, int64_t stop, int64_t interval) {
  const std::string before = std::to_string(start - 1), after = std::to_string(stop + 1);
  // Both sides as wide as the widest bound, so the ranges sort as text.
  const size_t width = std::max(before.size(), after.size());
  auto pad = [&](const std::string& s) { return std::string(width - std::min(width, s.size()), ' ') + s; };
  if (number < start) return pad("") + ":" + pad(before);
  if (number > stop) return pad(after) + ":" + pad("");
  const int64_t lower = start + (number - start) / interval * interval;
  return pad(std::to_string(lower)) + ":" + pad(std::to_string(std::min(lower + interval - 1, stop)));
}

}  // namespace albumcore::store::jetsql
