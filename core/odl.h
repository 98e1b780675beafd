// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keyword reader of detached labels: `KEYWORD = VALUE` statements in
// OBJECT and GROUP blocks, up to END. It reads the text in one pass, holds
// no recursion, never throws and looks at no more than kOdlReadLimit bytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dusk {

inline constexpr std::size_t kOdlReadLimit = 1 << 20;  // 1 MiB
// Reading stops at a block or list nested deeper than kOdlMaxDepth, and
// after kOdlMaxNodes statements.
inline constexpr int kOdlMaxDepth = 64;
inline constexpr std::size_t kOdlMaxNodes = 100'000;

enum class OdlNodeKind { Keyword, Object, Group };

enum class OdlValueKind {
    None,      // a block
    Number,    // 12, -3.5E2, 16#FF#
    Text,      // "quoted", over several lines
    Symbol,    // NAME, 'LITERAL', 1983-11-03T04:10:00
    Sequence,  // ( ... )
    Set,       // { ... }
};

// One node of the label in reading order: a statement, or the opening of a
// block whose members follow it one level deeper.
struct OdlNode {
    OdlNodeKind kind = OdlNodeKind::Keyword;
    int depth = 0;      // 0 at the top level
    std::string name;   // keyword (a pointer keeps its '^'), or block name
    std::string value;  // the value as written; line breaks and blanks
                        // inside a quoted text become one blank, and
                        // blanks between the items of a list are dropped
    std::string unit;   // of a number: the text between '<' and '>'
    OdlValueKind valueKind = OdlValueKind::None;
};

struct OdlLabel {
    // Empty when the text is no keyword label (its first statement is not one).
    std::vector<OdlNode> nodes;
    // Where a label stops being readable: what went wrong and its line
    // (counted from 1); the nodes read before it are kept. Empty when the
    // text was read to END or to its end.
    std::string problem;
    int problemLine = 0;
    // The text went on past kOdlReadLimit: only its first 1 MiB was read.
    bool cut = false;
};

// Reads `text` (its first kOdlReadLimit bytes; give it one byte more to
// learn whether the text was cut). Blocks left open at the end are closed
// there.
OdlLabel ParseOdl(std::string_view text);

}  // namespace dusk
