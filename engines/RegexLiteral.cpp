#include "engines/RegexLiteral.h"

#include "engines/AnsiFold.h"

#include <algorithm>

namespace {

// Texts are kept this short: a longer one rules out hardly more names, and
// the work on alternatives grows with their length.
constexpr size_t MaxLength = 64;
constexpr size_t MaxFactors = 4;
// Alternatives are searched for a shared text up to this long.
constexpr size_t MaxShared = 32;

std::string Front(const std::string &text)
{
    return text.substr(0, MaxLength);
}

std::string Back(const std::string &text)
{
    return text.size() <= MaxLength ? text : text.substr(text.size() - MaxLength);
}

// The one byte (folded when ignoring case) that every member of `set`
// stands for, if there is one.
std::optional<char> LiteralOf(const TByteSet &set, bool ignoreCase)
{
    int literal = -1;
    for (int b = 0; b < 256; ++b) {
        if (!set.Has(uint8_t(b)))
            continue;
        const int value = ignoreCase ? FoldAnsi(uint8_t(b)) : b;
        if (literal >= 0 && value != literal)
            return std::nullopt;
        literal = value;
    }
    if (literal < 0)
        return std::nullopt; // the empty set matches nothing: no text to require
    return char(literal);
}

std::string Repeated(const std::string &text, int count)
{
    std::string out;
    for (int i = 0; i < count && out.size() <= 2 * MaxLength; ++i)
        out += text;
    return out;
}

} // namespace

std::vector<std::string> TRegexLiteral::Required(const std::vector<TRegexNode> &nodes, int root, bool ignoreCase)
{
    // Kids come before their parents, so one pass in order sees every kid
    // worked out (and a long expression needs no deep recursion).
    std::vector<TInfo> done;
    done.reserve(nodes.size());
    for (const TRegexNode &node : nodes)
        done.push_back(Of(node, done, ignoreCase));
    if (root < 0 || size_t(root) >= done.size())
        return {};
    return done[size_t(root)].factors; // longest first
}

TRegexLiteral::TInfo TRegexLiteral::Of(const TRegexNode &node, const std::vector<TInfo> &done, bool ignoreCase)
{
    std::vector<const TInfo *> kids;
    for (const int kid : node.kids) {
        if (kid < 0 || size_t(kid) >= done.size())
            return {}; // not in the expected order: claim nothing
        kids.push_back(&done[size_t(kid)]);
    }
    switch (node.kind) {
    case TRegexNode::Set: {
        const std::optional<char> literal = LiteralOf(node.set, ignoreCase);
        return literal ? Exact(std::string(1, *literal)) : TInfo{};
    }
    case TRegexNode::Empty:
    case TRegexNode::Begin:
    case TRegexNode::End:
        return Exact({}); // they read nothing
    case TRegexNode::Concat: {
        if (kids.empty())
            return Exact({});
        TInfo info = *kids.front();
        for (size_t k = 1; k < kids.size(); ++k)
            info = Concat(info, *kids[k]);
        return info;
    }
    case TRegexNode::Alt: return kids.empty() ? TInfo{} : Alternatives(kids);
    case TRegexNode::Repeat: return kids.size() == 1 ? Repeat(*kids.front(), node.min, node.max) : TInfo{};
    }
    return {};
}

TRegexLiteral::TInfo TRegexLiteral::Exact(const std::string &text)
{
    TInfo info;
    if (text.size() <= MaxLength)
        info.exact = text;
    info.prefix = Front(text);
    info.suffix = Back(text);
    return Tidy(std::move(info));
}

TRegexLiteral::TInfo TRegexLiteral::Concat(const TInfo &a, const TInfo &b)
{
    if (a.exact && b.exact)
        return Exact(*a.exact + *b.exact);
    TInfo info;
    info.prefix = a.exact ? Front(*a.exact + b.prefix) : a.prefix;
    info.suffix = b.exact ? Back(a.suffix + *b.exact) : b.suffix;
    info.factors = a.factors;
    info.factors.insert(info.factors.end(), b.factors.begin(), b.factors.end());
    // What ends the first part runs straight on into what starts the second.
    info.factors.push_back(a.suffix + b.prefix);
    return Tidy(std::move(info));
}

TRegexLiteral::TInfo TRegexLiteral::Alternatives(const std::vector<const TInfo *> &kids)
{
    const TInfo &first = *kids.front();
    const bool allSame = std::all_of(kids.begin(), kids.end(), [&](const TInfo *kid) {
        return kid->exact && first.exact && *kid->exact == *first.exact;
    });
    if (allSame)
        return first;
    TInfo info;
    info.prefix = first.prefix;
    info.suffix = first.suffix;
    for (const TInfo *kid : kids) {
        size_t p = 0;
        while (p < info.prefix.size() && p < kid->prefix.size() && info.prefix[p] == kid->prefix[p])
            ++p;
        info.prefix.resize(p);
        size_t s = 0;
        while (s < info.suffix.size() && s < kid->suffix.size()
               && info.suffix[info.suffix.size() - 1 - s] == kid->suffix[kid->suffix.size() - 1 - s])
            ++s;
        info.suffix.erase(0, info.suffix.size() - s);
    }
    info.factors.push_back(CommonFactor(kids));
    return Tidy(std::move(info));
}

std::string TRegexLiteral::CommonFactor(const std::vector<const TInfo *> &kids)
{
    // The longest piece of one of the first branch's factors that some
    // factor of every other branch holds too.
    const auto everyKidHas = [&](const std::string &piece) {
        return std::all_of(kids.begin() + 1, kids.end(), [&](const TInfo *kid) {
            return std::any_of(kid->factors.begin(), kid->factors.end(),
                               [&](const std::string &factor) { return factor.find(piece) != std::string::npos; });
        });
    };
    std::string best;
    for (const std::string &factor : kids.front()->factors) {
        for (size_t length = std::min(factor.size(), MaxShared); length > best.size(); --length) {
            for (size_t start = 0; start + length <= factor.size() && length > best.size(); ++start) {
                std::string piece = factor.substr(start, length);
                if (everyKidHas(piece))
                    best = std::move(piece);
            }
        }
    }
    return best;
}

TRegexLiteral::TInfo TRegexLiteral::Repeat(const TInfo &kid, int min, int max)
{
    if (max == 0 || (kid.exact && kid.exact->empty()))
        return Exact({});
    if (kid.exact && min == max)
        return Exact(Repeated(*kid.exact, min));
    if (min == 0)
        return {}; // it may match nothing at all
    TInfo info = kid;
    info.exact.reset();
    if (kid.exact) {
        // Every match is the text at least `min` times over.
        const std::string run = Repeated(*kid.exact, min);
        info.prefix = Front(run);
        info.suffix = Back(run);
    }
    return Tidy(std::move(info));
}

TRegexLiteral::TInfo TRegexLiteral::Tidy(TInfo info)
{
    std::vector<std::string> &factors = info.factors;
    factors.push_back(info.prefix);
    factors.push_back(info.suffix);
    for (std::string &factor : factors)
        if (factor.size() > MaxLength)
            factor = Front(factor); // any piece of a required text is required too
    std::sort(factors.begin(), factors.end(), [](const std::string &a, const std::string &b) {
        return a.size() > b.size() || (a.size() == b.size() && a < b);
    });
    factors.erase(std::unique(factors.begin(), factors.end()), factors.end());
    while (!factors.empty() && factors.back().empty())
        factors.pop_back();
    if (factors.size() > MaxFactors)
        factors.resize(MaxFactors);
    return info;
}
