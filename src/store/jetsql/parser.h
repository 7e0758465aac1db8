// Recursive-descent parser of Jet SQL with Jet's operator precedence, from
// loosest to tightest: IMP, EQV, XOR, OR, AND, NOT, comparisons (= <> < > <=
// >= LIKE BETWEEN IN IS), &, + -, MOD, \, * /, unary -, ^. So "a" & 1 + 2
// is "a" & 3.
//
// Failures raise JetError(3075) for expressions (and nesting deeper than
// kMaxNesting), 3131 in FROM, 3134 in INSERT, 3144 in UPDATE, 3290 in DDL,
// 3289 in a CONSTRAINT clause, 3143 in TRANSFORM, 3129 for an unknown
// statement and 3142 for text after its end; the detail names the position.
// A derived table saved as [SELECT ...]. AS q is parsed as part of the
// statement, within the same nesting bound.
#pragma once

#include <string_view>

#include "store/jetsql/ast.h"

namespace albumcore::store::jetsql {

inline constexpr int kMaxNesting = 200;
inline constexpr int kMaxExpressionHeight = 1000;

Statement ParseStatement(std::string_view text);

}  // namespace albumcore::store::jetsql
