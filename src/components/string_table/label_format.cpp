#include "components/string_table/label_format.h"

#include <cstdio>
#include <string>
#include <vector>

namespace albumcore::components {

namespace {

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '0' || c == '#'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int64_t AsWhole(const LabelArgument& a) {
  if (auto* i = std::get_if<int64_t>(&a)) return *i;
  if (auto* d = std::get_if<double>(&a)) return static_cast<int64_t>(*d);
  return 0;
}

double AsFloating(const LabelArgument& a) {
  if (auto* i = std::get_if<int64_t>(&a)) return static_cast<double>(*i);
  if (auto* d = std::get_if<double>(&a)) return *d;
  return 0.0;
}

std::string AsText(const LabelArgument& a) {
  if (auto* s = std::get_if<std::string_view>(&a)) return std::string(*s);
  if (auto* i = std::get_if<int64_t>(&a)) return std::to_string(*i);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", std::get<double>(a));
  return buffer;
}

// `spec` holds "%", flags, width and precision, all checked; `length` and
// `conversion` are appended here, so snprintf sees only what is known.
template <class T>
std::string Printed(std::string spec, const char* length, char conversion, T value) {
  spec += length;
  spec += conversion;
  const int n = std::snprintf(nullptr, 0, spec.c_str(), value);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  std::snprintf(out.data(), out.size() + 1, spec.c_str(), value);
  return out;
}

}  // namespace

std::string FormatLabel(std::string_view format, std::initializer_list<LabelArgument> arguments) {
  const std::vector<LabelArgument> args(arguments);
  size_t next = 0;
  std::string out;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    // %[flags][width][.precision][length]conversion; width and precision
    // are kept to two digits, which bounds what one placeholder can print.
    size_t j = i + 1;
    while (j < format.size() && IsFlag(format[j])) ++j;
    size_t digits = 0;
    while (j < format.size() && IsDigit(format[j]) && digits < 2) ++j, ++digits;
    if (j < format.size() && format[j] == '.') {
      ++j;
      digits = 0;
      while (j < format.size() && IsDigit(format[j]) && digits < 2) ++j, ++digits;
    }
    std::string spec(format.substr(i, j - i));
    while (j < format.size() && (format[j] == 'l' || format[j] == 'h')) ++j;  // lengths: ours are fixed
    const char conversion = j < format.size() ? format[j] : '\0';
    const bool known = conversion == 'd' || conversion == 'i' || conversion == 'u' || conversion == 'f' ||
                       conversion == 'e' || conversion == 'g' || conversion == 's';
    if (!known || next >= args.size()) {
      out.append(format.substr(i, j < format.size() ? j - i + 1 : j - i));
      i = j + 1;
      continue;
    }
    const LabelArgument& a = args[next++];
    switch (conversion) {
      case 'd':
      case 'i': out += Printed(spec, "ll", 'd', static_cast<long long>(AsWhole(a))); break;
      case 'u': out += Printed(spec, "ll", 'u', static_cast<unsigned long long>(AsWhole(a))); break;
      case 's': out += Printed(spec, "", 's', AsText(a).c_str()); break;
      default: out += Printed(spec, "", conversion, AsFloating(a)); break;
    }
    i = j + 1;
  }
  return out;
}

}  // namespace albumcore::components
