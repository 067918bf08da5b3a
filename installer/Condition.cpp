#include "installer/Condition.h"

#include <algorithm>
#include <charconv>
#include <variant>
#include <vector>

namespace installer {
namespace {

enum class TokenKind
{
    Name,
    Integer,
    String,
    Operator,
    Open,
    Close,
    End
};

struct Token
{
    TokenKind kind = TokenKind::End;
    std::string text;
};

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lower);
    return lowered;
}

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<long long> AsInteger(std::string_view text)
{
    if (text.empty() || text.size() > 11) {
        return std::nullopt;
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

class Parser
{
public:
    Parser(std::string_view text, const PropertyLookup& property)
        : m_text(text), m_property(property)
    {}

    ConditionResult Run()
    {
        ConditionResult result;
        if (!Tokenize()) {
            result.error = m_error;
            return result;
        }
        if (m_tokens.size() == 1) {
            result.value = true; // only the end: an empty condition
            return result;
        }
        const bool value = Implication();
        if (m_error.empty() && Peek().kind != TokenKind::End) {
            m_error = "unexpected \"" + Peek().text + "\"";
        }
        result.value = value;
        result.error = m_error;
        return result;
    }

private:
    using Value = std::variant<std::string, long long>;

    bool Tokenize()
    {
        std::size_t i = 0;
        while (i < m_text.size()) {
            const char c = m_text[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++i;
            } else if (c == '(' || c == ')') {
                m_tokens.push_back({c == '(' ? TokenKind::Open : TokenKind::Close, {c}});
                ++i;
            } else if (c == '"') {
                const std::size_t end = m_text.find('"', i + 1);
                if (end == std::string_view::npos) {
                    m_error = "a string without its closing quote";
                    return false;
                }
                m_tokens.push_back(
                    {TokenKind::String, std::string(m_text.substr(i + 1, end - i - 1))});
                i = end + 1;
            } else if (IsDigit(c) ||
                       (c == '-' && i + 1 < m_text.size() && IsDigit(m_text[i + 1]))) {
                std::size_t end = i + 1;
                while (end < m_text.size() && IsDigit(m_text[end])) {
                    ++end;
                }
                m_tokens.push_back({TokenKind::Integer, std::string(m_text.substr(i, end - i))});
                i = end;
            } else if (IsNameStart(c)) {
                std::size_t end = i + 1;
                while (end < m_text.size() && IsNameChar(m_text[end])) {
                    ++end;
                }
                m_tokens.push_back({TokenKind::Name, std::string(m_text.substr(i, end - i))});
                i = end;
            } else if (std::string_view("=<>~").find(c) != std::string_view::npos) {
                std::size_t end = i + 1;
                while (end < m_text.size() && end - i < 3 &&
                       std::string_view("=<>").find(m_text[end]) != std::string_view::npos) {
                    ++end;
                }
                m_tokens.push_back({TokenKind::Operator, std::string(m_text.substr(i, end - i))});
                i = end;
            } else {
                m_error = std::string("\"") + c + "\" (component, feature and environment " +
                          "states are not supported)";
                return false;
            }
        }
        m_tokens.push_back({TokenKind::End, {}});
        return true;
    }

    const Token& Peek() const { return m_tokens[m_at]; }

    bool IsKeyword(const char* word) const
    {
        return Peek().kind == TokenKind::Name && Lowered(Peek().text) == word;
    }

    bool Implication()
    {
        bool value = Equivalence();
        while (m_error.empty() && IsKeyword("imp")) {
            ++m_at;
            const bool right = Equivalence();
            value = !value || right;
        }
        return value;
    }

    bool Equivalence()
    {
        bool value = ExclusiveOr();
        while (m_error.empty() && IsKeyword("eqv")) {
            ++m_at;
            value = value == ExclusiveOr();
        }
        return value;
    }

    bool ExclusiveOr()
    {
        bool value = Or();
        while (m_error.empty() && IsKeyword("xor")) {
            ++m_at;
            value = value != Or();
        }
        return value;
    }

    bool Or()
    {
        bool value = And();
        while (m_error.empty() && IsKeyword("or")) {
            ++m_at;
            const bool right = And();
            value = value || right;
        }
        return value;
    }

    bool And()
    {
        bool value = Not();
        while (m_error.empty() && IsKeyword("and")) {
            ++m_at;
            const bool right = Not();
            value = value && right;
        }
        return value;
    }

    bool Not()
    {
        if (m_depth > kMaxDepth) {
            m_error = "nested too deeply";
            return false;
        }
        if (IsKeyword("not")) {
            ++m_at;
            ++m_depth;
            const bool value = !Not();
            --m_depth;
            return value;
        }
        return Comparison();
    }

    bool Comparison()
    {
        if (Peek().kind == TokenKind::Open) {
            ++m_at;
            ++m_depth;
            const bool value = Implication();
            --m_depth;
            if (!m_error.empty()) {
                return false;
            }
            if (Peek().kind != TokenKind::Close) {
                m_error = "a \"(\" without its \")\"";
                return false;
            }
            ++m_at;
            return value;
        }
        const std::optional<Value> left = Operand();
        if (!left) {
            return false;
        }
        if (Peek().kind != TokenKind::Operator) {
            return Truth(*left);
        }
        const std::string op = m_tokens[m_at++].text;
        const std::optional<Value> right = Operand();
        if (!right) {
            return false;
        }
        return Compare(*left, op, *right);
    }

    std::optional<Value> Operand()
    {
        const Token& token = Peek();
        switch (token.kind) {
        case TokenKind::Integer:
            ++m_at;
            if (const std::optional<long long> number = AsInteger(token.text)) {
                return Value(*number);
            }
            m_error = "an integer out of range";
            return std::nullopt;
        case TokenKind::String:
            ++m_at;
            return Value(token.text);
        case TokenKind::Name:
            if (IsKeyword("not") || IsKeyword("and") || IsKeyword("or") || IsKeyword("xor") ||
                IsKeyword("eqv") || IsKeyword("imp")) {
                break;
            }
            ++m_at;
            return Value(m_property(token.text));
        default:
            break;
        }
        m_error = token.kind == TokenKind::End ? "an operand is missing"
                                               : "unexpected \"" + token.text + "\"";
        return std::nullopt;
    }

    static bool Truth(const Value& value)
    {
        if (const long long* number = std::get_if<long long>(&value)) {
            return *number != 0;
        }
        return !std::get<std::string>(value).empty();
    }

    bool Compare(const Value& left, std::string op, const Value& right)
    {
        const bool anyCase = op.front() == '~';
        if (anyCase) {
            op.erase(0, 1);
        }
        auto integer = [](const Value& value) -> std::optional<long long> {
            if (const long long* number = std::get_if<long long>(&value)) {
                return *number;
            }
            return AsInteger(std::get<std::string>(value));
        };
        const std::optional<long long> a = integer(left);
        const std::optional<long long> b = integer(right);
        if (a && b) {
            if (op == "=")
                return *a == *b;
            if (op == "<>")
                return *a != *b;
            if (op == "<")
                return *a < *b;
            if (op == ">")
                return *a > *b;
            if (op == "<=")
                return *a <= *b;
            if (op == ">=")
                return *a >= *b;
        }
        if (std::holds_alternative<long long>(left) || std::holds_alternative<long long>(right)) {
            // An integer against a text that is no integer: only "different" holds.
            if (!IsKnown(op)) {
                m_error = "unknown operator \"" + op + "\"";
                return false;
            }
            return op == "<>";
        }
        std::string x = std::get<std::string>(left);
        std::string y = std::get<std::string>(right);
        if (anyCase) {
            x = Lowered(x);
            y = Lowered(y);
        }
        if (op == "=")
            return x == y;
        if (op == "<>")
            return x != y;
        if (op == "<")
            return x < y;
        if (op == ">")
            return x > y;
        if (op == "<=")
            return x <= y;
        if (op == ">=")
            return x >= y;
        if (op == "><")
            return x.find(y) != std::string::npos;
        if (op == "<<")
            return x.starts_with(y);
        if (op == ">>")
            return x.ends_with(y);
        m_error = "unknown operator \"" + op + "\"";
        return false;
    }

    static bool IsKnown(std::string_view op)
    {
        for (const char* known : {"=", "<>", "<", ">", "<=", ">=", "><", "<<", ">>"}) {
            if (op == known) {
                return true;
            }
        }
        return false;
    }

    static constexpr int kMaxDepth = 64;

    std::string_view m_text;
    const PropertyLookup& m_property;
    std::vector<Token> m_tokens;
    std::size_t m_at = 0;
    int m_depth = 0;
    std::string m_error;
};

} // namespace

ConditionResult EvaluateCondition(std::string_view condition, const PropertyLookup& property)
{
    return Parser(condition, property).Run();
}

} // namespace installer
