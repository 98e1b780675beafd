// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/odl.h"

#include <algorithm>
#include <cctype>
#include <new>

namespace dusk {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_' || c == ':'; }
// Characters that end an unquoted value.
bool EndsToken(char c) {
    return IsBlank(c) || c == ',' || c == '(' || c == ')' || c == '{' || c == '}' || c == '<' || c == '>' ||
           c == '=' || c == '"' || c == '\'' || c == '\0';
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool SameName(std::string_view a, std::string_view b) { return Upper(a) == Upper(b); }

// 12, +1.5, -.5E-3, 1., 16#7F#, -2#101#.
bool IsNumber(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    const std::size_t digitsStart = i;
    while (i < t.size() && IsDigit(t[i])) ++i;
    if (i < t.size() && t[i] == '#' && i > digitsStart) {  // radix form
        ++i;
        const std::size_t start = i;
        while (i < t.size() && (IsDigit(t[i]) || IsLetter(t[i]))) ++i;
        return i > start && i + 1 == t.size() && t[i] == '#';
    }
    bool digits = i > digitsStart;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) ++i, digits = true;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < t.size() && IsDigit(t[i])) ++i;
        if (i == start) return false;
    }
    return i == t.size();
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text.substr(0, std::min(text.size(), kOdlReadLimit))) {}

    OdlLabel Read() {
        ReadStatements();
        return std::move(label_);
    }

private:
    struct Open {
        OdlNodeKind kind;
        std::string name;
    };

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    bool At(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
    void Advance() {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
    }
    bool Fail(const char* what) {
        label_.problem = what;
        label_.problemLine = line_;
        return false;
    }

    // Blanks and /* */ comments.
    bool SkipBlank() {
        for (;;) {
            while (!AtEnd() && IsBlank(Peek())) Advance();
            if (!At("/*")) return true;
            const int startLine = line_;
            const std::size_t close = text_.find("*/", pos_ + 2);
            if (close == std::string_view::npos) {
                line_ = startLine;
                return Fail("a comment is not closed");
            }
            while (pos_ < close + 2) Advance();
        }
    }

    std::string ReadName() {
        const std::size_t start = pos_;
        if (Peek() == '^') Advance();
        if (!IsLetter(Peek())) {
            pos_ = start;
            return {};
        }
        while (!AtEnd() && IsNameChar(Peek())) Advance();
        return std::string(text_.substr(start, pos_ - start));
    }

    void ReadStatements() {
        std::vector<Open> open;
        while (SkipBlank()) {
            if (AtEnd()) return;  // no END: the text's end closes the label
            if (label_.nodes.size() >= kOdlMaxNodes) {
                Fail("the label holds too many statements");
                return;
            }
            const std::string name = ReadName();
            if (name.empty()) {
                Fail("a keyword was expected");
                return;
            }
            const std::string key = Upper(name);
            if (key == "END") return;
            if (key == "END_OBJECT" || key == "END_GROUP") {
                if (!CloseBlock(open, key == "END_OBJECT" ? OdlNodeKind::Object : OdlNodeKind::Group)) return;
                continue;
            }
            if (!SkipBlank()) return;
            if (Peek() != '=') {
                Fail("'=' was expected after a keyword");
                return;
            }
            Advance();
            OdlNode node;
            node.depth = static_cast<int>(open.size());
            if (key == "OBJECT" || key == "GROUP") {
                node.kind = key == "OBJECT" ? OdlNodeKind::Object : OdlNodeKind::Group;
                if (!SkipBlank()) return;
                node.name = ReadName();
                if (node.name.empty()) {
                    Fail("a block has no name");
                    return;
                }
                if (open.size() >= static_cast<std::size_t>(kOdlMaxDepth)) {
                    Fail("blocks are nested too deeply");
                    return;
                }
                open.push_back({node.kind, node.name});
            } else {
                node.name = name;
                if (!ReadValue(node)) return;
            }
            label_.nodes.push_back(std::move(node));
        }
    }

    // END_OBJECT or END_GROUP, with or without "= NAME".
    bool CloseBlock(std::vector<Open>& open, OdlNodeKind kind) {
        if (open.empty() || open.back().kind != kind) return Fail("a block ends that was not begun");
        if (!SkipBlank()) return false;
        if (Peek() == '=') {
            Advance();
            if (!SkipBlank()) return false;
            const std::string name = ReadName();
            if (!SameName(name, open.back().name)) return Fail("a block ends under another name");
        }
        open.pop_back();
        return true;
    }

    bool ReadValue(OdlNode& node) {
        if (!SkipBlank()) return false;
        const char c = Peek();
        if (c != '(' && c != '{') return ReadScalar(node.value, node.valueKind, node.unit, false);
        node.valueKind = c == '(' ? OdlValueKind::Sequence : OdlValueKind::Set;
        // Lists nest; the closers still awaited are kept on a stack of our own.
        std::string closers;
        bool expectItem = true;
        for (;;) {
            if (!SkipBlank()) return false;
            const char d = Peek();
            if (expectItem && (d == '(' || d == '{')) {
                if (closers.size() >= static_cast<std::size_t>(kOdlMaxDepth)) return Fail("lists are nested too deeply");
                closers.push_back(d == '(' ? ')' : '}');
                node.value.push_back(d);
                Advance();
                continue;
            }
            const bool emptyList = expectItem && (node.value.back() == '(' || node.value.back() == '{');
            if (!closers.empty() && d == closers.back() && (!expectItem || emptyList)) {
                closers.pop_back();
                node.value.push_back(d);
                Advance();
                expectItem = false;
                if (closers.empty()) return true;
                continue;
            }
            if (!expectItem) {
                if (d != ',') return Fail("',' or the end of a list was expected");
                node.value += ", ";
                Advance();
                expectItem = true;
                continue;
            }
            OdlValueKind kind{};
            std::string unit;
            if (!ReadScalar(node.value, kind, unit, true)) return false;
            if (!unit.empty()) node.value += " <" + unit + ">";
            expectItem = false;
        }
    }

    // A number with its unit, a quoted text, a 'literal' or a symbol,
    // appended to `out`; in a list a quoted text keeps its quotes.
    bool ReadScalar(std::string& out, OdlValueKind& kind, std::string& unit, bool inList) {
        const char c = Peek();
        if (c == '"') return ReadQuoted(out, kind, inList);
        if (c == '\'') {
            const std::size_t close = text_.find_first_of("'\n", pos_ + 1);
            if (close == std::string_view::npos || text_[close] != '\'') return Fail("a literal is not closed");
            if (inList) out += '\'';
            out.append(text_.substr(pos_ + 1, close - pos_ - 1));
            if (inList) out += '\'';
            pos_ = close + 1;
            kind = OdlValueKind::Symbol;
            return true;
        }
        const std::size_t start = pos_;
        while (!AtEnd() && !EndsToken(Peek()) && !At("/*")) Advance();
        const std::string_view token = text_.substr(start, pos_ - start);
        if (token.empty()) return Fail("a value was expected");
        out.append(token);
        kind = IsNumber(token) ? OdlValueKind::Number : OdlValueKind::Symbol;
        if (kind != OdlValueKind::Number) return true;
        // A unit may follow after blanks; what else follows is the next
        // statement's, and is read there.
        const std::size_t afterNumber = pos_;
        const int lineAfterNumber = line_;
        if (!SkipBlank() || Peek() != '<') {
            pos_ = afterNumber;
            line_ = lineAfterNumber;
            label_.problem.clear();
            label_.problemLine = 0;
            return true;
        }
        const std::size_t close = text_.find('>', pos_);
        if (close == std::string_view::npos || text_.substr(pos_, close - pos_).find('\n') != std::string_view::npos) {
            return Fail("a unit is not closed");
        }
        std::string_view inside = text_.substr(pos_ + 1, close - pos_ - 1);
        while (!inside.empty() && IsBlank(inside.front())) inside.remove_prefix(1);
        while (!inside.empty() && IsBlank(inside.back())) inside.remove_suffix(1);
        unit = inside;
        pos_ = close + 1;
        return true;
    }

    // A quoted text: a run of blanks that holds a line break becomes one blank.
    bool ReadQuoted(std::string& out, OdlValueKind& kind, bool inList) {
        const int startLine = line_;
        const std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string_view::npos) {
            line_ = startLine;
            return Fail("a quoted text is not closed");
        }
        if (inList) out += '"';
        Advance();
        while (pos_ < close) {
            if (!IsBlank(Peek())) {
                out.push_back(Peek());
                Advance();
                continue;
            }
            const std::size_t runStart = pos_;
            bool lineBreak = false;
            while (pos_ < close && IsBlank(Peek())) {
                lineBreak = lineBreak || Peek() == '\n' || Peek() == '\r';
                Advance();
            }
            if (lineBreak) {
                out.push_back(' ');
            } else {
                out.append(text_.substr(runStart, pos_ - runStart));
            }
        }
        Advance();
        if (inList) out += '"';
        kind = OdlValueKind::Text;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    OdlLabel label_;
};

}  // namespace

OdlLabel ParseOdl(std::string_view text) {
    try {
        OdlLabel label = Reader(text).Read();
        label.cut = text.size() > kOdlReadLimit;
        return label;
    } catch (const std::bad_alloc&) {
        OdlLabel label;
        label.problem = "there is not enough memory to read the label";
        label.cut = text.size() > kOdlReadLimit;
        return label;
    }
}

}  // namespace dusk
