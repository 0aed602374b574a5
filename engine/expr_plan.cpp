// Character expressions appended straight from the record (see expr_plan.h).
#include "engine/expr_plan.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/expr_functions.h"
#include "engine/expr_text.h"
#include "runtime/dates.h"

namespace engine {
namespace {

bool isCall(const ExprNode& n, std::string_view name, size_t minArgs, size_t maxArgs) {
    return n.kind == ExprNode::Kind::Call && std::string_view(n.fn->name) == name &&
           n.args.size() >= minArgs && n.args.size() <= maxArgs;
}

bool isField(const ExprNode& n, std::string_view types) {
    return n.kind == ExprNode::Kind::Field && types.find(n.fieldType) != std::string_view::npos;
}

// A STR() argument given as a number constant, clamped as STR() clamps it.
bool constantCount(const ExprNode& n, int most, int* value) {
    if (n.kind != ExprNode::Kind::Literal || n.type != ExprType::Numeric) return false;
    double v = n.value.number;
    *value = !(v > 0) ? 0 : v > most ? most : static_cast<int>(v);
    return true;
}

// Width and decimals of STR(field[, width[, decimals]]), as STR() takes them.
bool strShape(const ExprNode& n, int* width, int* decimals) {
    const ExprNode& arg = *n.args[0];
    *width = arg.length > 0 ? arg.length : 10;
    *decimals = n.args.size() > 1 ? 0 : std::max(0, arg.decimals);
    if (n.args.size() > 1 && !constantCount(*n.args[1], 255, width)) return false;
    if (n.args.size() > 2 && !constantCount(*n.args[2], 15, decimals)) return false;
    return true;
}

// GCC turns short copy and fill loops back into calls of the C library's
// copy and fill; the loops below are there to avoid exactly those calls.
#if defined(__GNUC__) && !defined(__clang__)
#define KEPT_AS_LOOPS __attribute__((optimize("no-tree-loop-distribute-patterns")))
#else
#define KEPT_AS_LOOPS
#endif

// The text of a key, composed in a buffer of its own. A key is a few short
// pieces, and copying each inline costs less than a call to the C
// library's copy, most of all where that library is not native (under a
// compatibility layer each such call is several times dearer). What does
// not fit goes on to the string; the destructor hands over the rest.
class KeyText {
public:
    explicit KeyText(std::string* out) : out_(out) {}
    KeyText(const KeyText&) = delete;
    KeyText& operator=(const KeyText&) = delete;
    ~KeyText() { spill(); }

    KEPT_AS_LOOPS void append(std::string_view s) {
        if (s.size() > sizeof buf_ - used_) {
            spill();
            out_->append(s);
            return;
        }
        char* d = buf_ + used_;
        const char* from = s.data();
        size_t n = s.size();
        for (; n >= 8; n -= 8, d += 8, from += 8) std::memcpy(d, from, 8);
        for (size_t i = 0; i < n; ++i) d[i] = from[i];
        used_ += s.size();
    }
    KEPT_AS_LOOPS void append(size_t n, char c) {
        if (n > sizeof buf_ - used_) {
            spill();
            out_->append(n, c);
            return;
        }
        for (size_t i = 0; i < n; ++i) buf_[used_ + i] = c;
        used_ += n;
    }
    void push_back(char c) { append(1, c); }
    // The string itself, everything composed so far in it.
    std::string* whole() {
        spill();
        return out_;
    }

private:
    void spill() {
        if (used_ == 0) return;
        out_->append(buf_, used_);
        used_ = 0;
    }

    std::string* out_;
    size_t used_ = 0;
    char buf_[256];
};

template <class Out>
void appendDtos(int32_t julian, Out* out) {
    int y = 0, m = 0, d = 0;
    if (julian > 0) runtime::ymdFromJulian(julian, &y, &m, &d);
    if (julian <= 0 || y < 0 || y > 9999) {
        out->append(8, ' ');
        return;
    }
    char b[8] = {char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10),
                 char('0' + y % 10),   char('0' + m / 10),       char('0' + m % 10),
                 char('0' + d / 10),   char('0' + d % 10)};
    out->append(std::string_view(b, 8));
}

// DTOS() of a D field stored as `stored`: the stored digits themselves when
// they name a real day of the years 1..9999, which is when reading the field
// and writing the day back gives them unchanged; false otherwise.
template <class Out>
bool dtosOfStored(std::string_view stored, Out* out) {
    if (stored.size() != 8) return false;
    int v[8];
    for (size_t i = 0; i < 8; ++i) {
        if (stored[i] < '0' || stored[i] > '9') return false;
        v[i] = stored[i] - '0';
    }
    int y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], m = v[4] * 10 + v[5], d = v[6] * 10 + v[7];
    if (y < 1 || d < 1 || d > runtime::daysInMonth(y, m)) return false;
    out->append(stored);
    return true;
}

template <class Out>
bool strOfStored(std::string_view s, int width, int decimals, Out* out) {
    size_t i = s.find_first_not_of(' ');
    if (i == std::string_view::npos) return false;  // blank: the value 0, formatted
    bool negative = s[i] == '-';
    if (negative) ++i;
    size_t intFrom = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    std::string_view whole = s.substr(intFrom, i - intFrom);
    std::string_view fraction;
    if (i < s.size() && s[i] == '.') {
        size_t from = ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        fraction = s.substr(from, i - from);
    }
    // Anything else (a trailing blank, a plus sign, stars, letters) and
    // values that would need rounding go through the formatter.
    if (i != s.size() || whole.empty() || fraction.size() > size_t(decimals)) return false;
    if (whole.size() + fraction.size() > 15) return false;
    size_t lead = std::min(whole.find_first_not_of('0'), whole.size() - 1);
    whole.remove_prefix(lead);
    if (whole.size() + size_t(decimals) > 15) return false;
    bool zero = whole == "0" && fraction.find_first_not_of('0') == std::string_view::npos;
    size_t length = (negative && !zero ? 1 : 0) + whole.size() + (decimals > 0 ? 1 + decimals : 0);
    if (length > size_t(width)) {
        out->append(size_t(width), '*');
        return true;
    }
    out->append(size_t(width) - length, ' ');
    if (negative && !zero) out->push_back('-');
    out->append(whole);
    if (decimals > 0) {
        out->push_back('.');
        out->append(fraction);
        out->append(size_t(decimals) - fraction.size(), '0');
    }
    return true;
}

}  // namespace

bool exprStrOfStored(std::string_view s, int width, int decimals, std::string* out) {
    return strOfStored(s, width, decimals, out);
}

bool ExprTextPlan::add(const ExprNode& n, std::vector<Piece>* pieces) {
    Piece p;
    if (n.kind == ExprNode::Kind::Binary && n.op == "+" && n.type == ExprType::Character)
        return add(*n.args[0], pieces) && add(*n.args[1], pieces);
    if (n.kind == ExprNode::Kind::Literal && n.type == ExprType::Character) {
        p.constant = n.value.text;
    } else if (isField(n, "C")) {
        p.kind = Piece::Kind::Text;
        p.field = n.field;
    } else if (isCall(n, "UPPER", 1, 1) && isField(*n.args[0], "C")) {
        p.kind = Piece::Kind::Upper;
        p.field = n.args[0]->field;
    } else if (isCall(n, "DTOS", 1, 1) && isField(*n.args[0], "D")) {
        p.kind = Piece::Kind::Dtos;
        p.field = n.args[0]->field;
    } else if (isCall(n, "STR", 1, 3) && isField(*n.args[0], "NF")) {
        p.kind = Piece::Kind::Str;
        p.field = n.args[0]->field;
        if (!strShape(n, &p.width, &p.decimals)) return false;
    } else {
        return false;
    }
    pieces->push_back(std::move(p));
    return true;
}

std::unique_ptr<ExprTextPlan> ExprTextPlan::compile(const ExprNode& root) {
    std::unique_ptr<ExprTextPlan> plan(new ExprTextPlan());
    if (root.type != ExprType::Character || !add(root, &plan->pieces_)) return nullptr;
    return plan;
}

void ExprTextPlan::textOf(const RecordView& r, std::string* out) const {
    out->clear();
    KeyText text(out);
    for (const Piece& p : pieces_) {
        switch (p.kind) {
            case Piece::Kind::Constant:
                text.append(p.constant);
                break;
            case Piece::Kind::Text: {
                std::string_view bytes = r.stored(p.field);
                if (bytes.size() == r.field(p.field).length)
                    text.append(bytes);
                else
                    text.append(r.text(p.field));
                break;
            }
            case Piece::Kind::Upper: {
                std::string_view bytes = r.stored(p.field);
                if (bytes.size() == r.field(p.field).length)
                    exprAppendUpper(bytes, text.whole());
                else
                    exprAppendUpper(r.text(p.field), text.whole());
                break;
            }
            case Piece::Kind::Dtos: {
                if (dtosOfStored(r.stored(p.field), &text)) break;
                int32_t day = r.julianDay(p.field);
                appendDtos(day > 0 && day < 100000000 ? day : 0, &text);
                break;
            }
            case Piece::Kind::Str:
                if (p.width == 0) break;
                if (!strOfStored(r.stored(p.field), p.width, p.decimals, &text))
                    text.append(exprNumberText(r.number(p.field), p.width, p.decimals));
                break;
        }
    }
}

}  // namespace engine
