#include "tools/world/figure_measure.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr double missing = std::numeric_limits<double>::quiet_NaN();
constexpr size_t longestText = 1000;
constexpr int deepest = 40;

enum class Kind { number, column, unary, binary, aggregate };

const char* const aggregateNames[] = {"mean", "min", "max", "sum", "last", "count", "first"};

}  // namespace

// A node of the expression; an aggregate also holds what it has seen.
struct MeasureNode {
    Kind kind = Kind::number;
    double number = 0;
    size_t column = 0;
    std::string op;  // "-", "not"; "+", "*", ">=", "and", ...; the aggregate's name
    std::unique_ptr<MeasureNode> left, right;
    int64_t from = 0, to = INT64_MAX;  // an aggregate's frames, both included
    double total = 0, best = 0;
    int64_t seen = 0;
    double found = missing;  // first(): the frame; last(): the value
};

namespace {

double applyBinary(const std::string& op, double a, double b)
{
    if (op == "+")
        return a + b;
    if (op == "-")
        return a - b;
    if (op == "*")
        return a * b;
    if (op == "/")
        return b == 0 ? missing : a / b;
    if (op == "and")
        return (a != 0 && b != 0) ? 1 : 0;
    if (op == "or")
        return (a != 0 || b != 0) ? 1 : 0;
    if (std::isnan(a) || std::isnan(b))
        return 0;  // an empty cell meets no comparison
    if (op == ">")
        return a > b;
    if (op == ">=")
        return a >= b;
    if (op == "<")
        return a < b;
    if (op == "<=")
        return a <= b;
    if (op == "==")
        return a == b;
    return a != b;  // "!="
}

// The value of a row expression for one row.
double rowValue(const MeasureNode& node, const std::vector<double>& cells)
{
    switch (node.kind) {
    case Kind::number:
        return node.number;
    case Kind::column:
        return cells[node.column];
    case Kind::unary: {
        const double v = rowValue(*node.left, cells);
        return node.op == "-" ? -v : (v == 0 ? 1 : 0);
    }
    case Kind::binary:
        return applyBinary(node.op, rowValue(*node.left, cells), rowValue(*node.right, cells));
    case Kind::aggregate:
        break;
    }
    return missing;
}

double aggregateValue(const MeasureNode& node)
{
    if (node.op == "first")
        return node.found;
    if (node.seen == 0)
        return missing;
    if (node.op == "mean")
        return node.total / static_cast<double>(node.seen);
    if (node.op == "sum" || node.op == "count")
        return node.total;
    if (node.op == "last")
        return node.found;
    return node.best;  // min, max
}

double measureValue(const MeasureNode& node)
{
    switch (node.kind) {
    case Kind::number:
        return node.number;
    case Kind::unary:
        return -measureValue(*node.left);
    case Kind::binary:
        return applyBinary(node.op, measureValue(*node.left), measureValue(*node.right));
    case Kind::aggregate:
        return aggregateValue(node);
    case Kind::column:
        break;
    }
    return missing;
}

// Recursive descent over the text; `inside` is true within an aggregate,
// where columns and comparisons may appear and aggregates may not.
class Parser {
public:
    Parser(const std::string& text, const std::vector<std::string>& columns,
           std::vector<MeasureNode*>& aggregates)
        : text_(text), columns_(columns), aggregates_(aggregates)
    {
    }

    std::unique_ptr<MeasureNode> whole(std::string& error)
    {
        std::unique_ptr<MeasureNode> node = logical(false);
        skipBlanks();
        if (node && at_ < text_.size())
            fail("unexpected \"" + text_.substr(at_, 12) + "\"");
        if (!error_.empty()) {
            error = error_;
            return nullptr;
        }
        return node;
    }

private:
    using Node = std::unique_ptr<MeasureNode>;

    void fail(const std::string& what)
    {
        if (error_.empty())
            error_ = what + " at character " + std::to_string(at_ + 1);
    }
    void skipBlanks()
    {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    bool take(const std::string& token)
    {
        skipBlanks();
        if (text_.compare(at_, token.size(), token) != 0)
            return false;
        // A word ends where a name could not go on.
        const bool word = std::isalpha(static_cast<unsigned char>(token[0]));
        const size_t after = at_ + token.size();
        if (word && after < text_.size() &&
            (std::isalnum(static_cast<unsigned char>(text_[after])) || text_[after] == '_'))
            return false;
        at_ = after;
        return true;
    }
    Node binary(const std::string& op, Node left, Node right)
    {
        if (!left || !right)
            return nullptr;
        Node node = std::make_unique<MeasureNode>();
        node->kind = Kind::binary;
        node->op = op;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    Node logical(bool inside)
    {
        Node node = comparison(inside);
        while (node && inside) {
            if (take("and"))
                node = binary("and", std::move(node), comparison(inside));
            else if (take("or"))
                node = binary("or", std::move(node), comparison(inside));
            else
                break;
        }
        return node;
    }
    Node comparison(bool inside)
    {
        Node node = sum(inside);
        if (!node || !inside)
            return node;
        for (const char* op : {">=", "<=", "==", "!=", ">", "<"})
            if (take(op))
                return binary(op, std::move(node), sum(inside));
        return node;
    }
    Node sum(bool inside)
    {
        Node node = product(inside);
        while (node) {
            if (take("+"))
                node = binary("+", std::move(node), product(inside));
            else if (take("-"))
                node = binary("-", std::move(node), product(inside));
            else
                break;
        }
        return node;
    }
    Node product(bool inside)
    {
        Node node = unary(inside);
        while (node) {
            if (take("*"))
                node = binary("*", std::move(node), unary(inside));
            else if (take("/"))
                node = binary("/", std::move(node), unary(inside));
            else
                break;
        }
        return node;
    }
    Node unary(bool inside)
    {
        if (++depth_ > deepest) {
            fail("an expression nested too deeply");
            return nullptr;
        }
        Node node;
        const bool negative = take("-");
        const bool negated = !negative && inside && take("not");
        Node operand = negative || negated ? unary(inside) : primary(inside);
        --depth_;
        if (!operand || (!negative && !negated))
            return operand;
        node = std::make_unique<MeasureNode>();
        node->kind = Kind::unary;
        node->op = negative ? "-" : "not";
        node->left = std::move(operand);
        return node;
    }
    Node primary(bool inside)
    {
        skipBlanks();
        if (take("(")) {
            Node node = logical(inside);
            if (node && !take(")"))
                fail("a \")\" is missing");
            return node;
        }
        if (at_ < text_.size() &&
            (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.'))
            return number();
        const std::string name = word();
        if (name.empty()) {
            fail(at_ < text_.size() ? "unexpected \"" + text_.substr(at_, 1) + "\""
                                    : "the expression ends too soon");
            return nullptr;
        }
        for (const char* aggregate : aggregateNames)
            if (name == aggregate)
                return inside ? (fail(name + "() inside an aggregate"), nullptr)
                              : aggregateCall(name);
        if (!inside) {
            fail("\"" + name + "\" outside an aggregate: write mean(" + name +
                 "), first(...), ... (" + measureFunctionsText() + ")");
            return nullptr;
        }
        const std::string column = name == "population" ? "vobs" : name;
        for (size_t c = 0; c < columns_.size(); ++c)
            if (columns_[c] == column) {
                Node node = std::make_unique<MeasureNode>();
                node->kind = Kind::column;
                node->column = c;
                return node;
            }
        fail("no figure is called \"" + name + "\" (the CSV's columns, or population)");
        return nullptr;
    }
    std::string word()
    {
        const size_t start = at_;
        while (at_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
            ++at_;
        return text_.substr(start, at_ - start);
    }
    Node number()
    {
        const char* begin = text_.c_str() + at_;
        char* end = nullptr;
        const double value = std::strtod(begin, &end);
        if (end == begin || !std::isfinite(value)) {
            fail("a malformed number");
            return nullptr;
        }
        at_ += static_cast<size_t>(end - begin);
        Node node = std::make_unique<MeasureNode>();
        node->number = value;
        return node;
    }
    // A whole frame number for an aggregate's window.
    bool frame(int64_t& value)
    {
        skipBlanks();
        const size_t start = at_;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])))
            ++at_;
        if (at_ == start || at_ - start > 10) {
            fail("a frame (a whole number) is wanted");
            return false;
        }
        value = std::strtoll(text_.substr(start, at_ - start).c_str(), nullptr, 10);
        return true;
    }
    Node aggregateCall(const std::string& name)
    {
        if (!take("(")) {
            fail(name + " wants its figure in parentheses");
            return nullptr;
        }
        Node node = std::make_unique<MeasureNode>();
        node->kind = Kind::aggregate;
        node->op = name;
        node->left = logical(true);
        if (!node->left)
            return nullptr;
        if (take(",")) {
            if (!frame(node->from) || !take(",") || !frame(node->to))
                return (fail(name + "(FIGURE, FROM, TO) wants two frames"), nullptr);
            if (node->to < node->from)
                return (fail(name + ": the frames are reversed"), nullptr);
        }
        if (!take(")")) {
            fail("a \")\" is missing after " + name + "(...");
            return nullptr;
        }
        aggregates_.push_back(node.get());
        return node;
    }

    const std::string& text_;
    const std::vector<std::string>& columns_;
    std::vector<MeasureNode*>& aggregates_;
    size_t at_ = 0;
    int depth_ = 0;
    std::string error_;
};

}  // namespace

FigureMeasure::FigureMeasure() = default;
FigureMeasure::~FigureMeasure() = default;
FigureMeasure::FigureMeasure(FigureMeasure&&) noexcept = default;
FigureMeasure& FigureMeasure::operator=(FigureMeasure&&) noexcept = default;

bool FigureMeasure::parse(const std::string& text, const std::vector<std::string>& columns,
                          std::string& error)
{
    aggregates_.clear();
    root_.reset();
    if (text.size() > longestText) {
        error = "a measure of more than " + std::to_string(longestText) + " characters";
        return false;
    }
    frameColumn_ = 0;
    for (size_t c = 0; c < columns.size(); ++c)
        if (columns[c] == "frame")
            frameColumn_ = c;
    Parser parser(text, columns, aggregates_);
    root_ = parser.whole(error);
    if (root_ && aggregates_.empty()) {
        error = "a measure wants an aggregate over the frames (" + measureFunctionsText() + ")";
        root_.reset();
    }
    if (!root_)
        aggregates_.clear();
    return root_ != nullptr;
}

void FigureMeasure::start()
{
    for (MeasureNode* node : aggregates_) {
        node->total = 0;
        node->best = 0;
        node->seen = 0;
        node->found = missing;
    }
}

void FigureMeasure::row(const std::vector<double>& cells)
{
    const double frame = cells[frameColumn_];
    for (MeasureNode* node : aggregates_) {
        if (frame < static_cast<double>(node->from) || frame > static_cast<double>(node->to))
            continue;
        const double v = rowValue(*node->left, cells);
        if (node->op == "first") {
            if (std::isnan(node->found) && v != 0 && !std::isnan(v))
                node->found = frame;
            continue;
        }
        if (std::isnan(v))
            continue;  // an empty cell (no Vob, no mean strength) is left out
        if (node->op == "count")
            node->total += v != 0 ? 1 : 0;
        else if (node->op == "last")
            node->found = v;
        else if (node->op == "min" || node->op == "max")
            node->best = node->seen == 0     ? v
                         : node->op == "min" ? std::min(node->best, v)
                                             : std::max(node->best, v);
        else
            node->total += v;
        node->seen += 1;
    }
}

double FigureMeasure::value() const { return root_ ? measureValue(*root_) : missing; }

bool FigureMeasure::isTimeToEvent() const
{
    return root_ && root_->kind == Kind::aggregate && root_->op == "first";
}

std::string measureFunctionsText()
{
    return "mean, min, max, sum, last or count (of frames where a condition holds) of a figure, "
           "or first(CONDITION), the first frame where it holds; each may take FROM, TO frames";
}
