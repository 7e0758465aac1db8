// Parameter values from the command line: -p name=value, or with a type,
// -p name:type=value, for stored queries and Jet SQL alike.
//
//   item_id=12              a whole number that fits 32 bits is a Long
//                           (VT_I4), anything else text
//   name:text=12            text, whatever it looks like
//   size:number=2.5         a number: Long when whole and in range, else Double
//   taken:date=7/14/2024    a date as Jet reads one: M/D/YYYY or YYYY-MM-DD,
//                           a time may follow ("7/14/2024 18:30"); #...# optional
//   hidden:yesno=true       Yes/No: true/false, yes/no, on/off, -1/0/1
//   note:null               Null (no value)
//
// A name may hold colons: only a known type after the last one is a type.
#pragma once

#include <string>
#include <string_view>

#include "com/variant.h"

namespace albumcore::tools {

struct NamedValue {
  std::string name;
  com::Variant value;
};

// Raises CLI::ValidationError, naming the assignment, for a malformed one.
NamedValue ParseParam(std::string_view assignment);

}  // namespace albumcore::tools
