#include "Filter.h"

#include "StoreError.h"

#include <QDate>

namespace store {

namespace {

struct Token {
    enum Kind { End, Name, Text, Number, Op, LParen, RParen } kind = End;
    QString value;
};

class Parser {
public:
    static const int MaxNesting = 20;

    Parser(const QString& text, const TableDef& def) : m_text(text), m_def(def) { advance(); }

    Filter parse()
    {
        Filter filter;
        if (m_token.kind == Token::End)
            return filter;
        filter.sql = orExpr(filter.values, 0);
        if (m_token.kind != Token::End)
            fail();
        return filter;
    }

private:
    [[noreturn]] void fail() const
    {
        throw StoreError(BadFilter, QStringLiteral("No se puede interpretar el filtro: %1").arg(m_text));
    }

    bool keyword(const char* word) const
    {
        return m_token.kind == Token::Name && m_token.value.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    // Terms are joined flat, "(a AND b AND c)": SQLite's parser has a small stack, and a filter of
    // many terms must not nest one parenthesis per term.
    QString orExpr(QVariantList& values, int depth)
    {
        QStringList terms{andExpr(values, depth)};
        while (keyword("or")) {
            advance();
            terms << andExpr(values, depth);
        }
        return terms.size() == 1 ? terms.first()
                                 : QLatin1Char('(') + terms.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }

    QString andExpr(QVariantList& values, int depth)
    {
        QStringList terms{unary(values, depth)};
        while (keyword("and")) {
            advance();
            terms << unary(values, depth);
        }
        return terms.size() == 1 ? terms.first()
                                 : QLatin1Char('(') + terms.join(QStringLiteral(" AND ")) + QLatin1Char(')');
    }

    QString unary(QVariantList& values, int depth)
    {
        // Nesting is bounded so that no text can run this parser, or SQLite's, out of stack.
        if (depth > MaxNesting)
            fail();
        if (keyword("not")) {
            advance();
            return QStringLiteral("(NOT %1)").arg(unary(values, depth + 1));
        }
        if (m_token.kind == Token::LParen) {
            advance();
            const QString sql = orExpr(values, depth + 1);
            if (m_token.kind != Token::RParen)
                fail();
            advance();
            return sql;
        }
        return comparison(values);
    }

    QString comparison(QVariantList& values)
    {
        if (m_token.kind != Token::Name)
            fail();
        const FieldDef* field = m_def.field(m_token.value);
        if (!field)
            throw StoreError(BadFilter,
                             QStringLiteral("El filtro nombra un campo que no existe: %1").arg(m_token.value));
        advance();
        if (m_token.kind != Token::Op)
            fail();
        const QString op = m_token.value;
        advance();
        const QString column = quoteIdentifier(field->name);
        QVariant value;
        if (keyword("null")) {
            advance();
        } else if (m_token.kind == Token::Text || m_token.kind == Token::Number) {
            value = literal(*field, m_token);
            advance();
        } else {
            fail();
        }
        // Empty text is stored as null, so '' and null are one value.
        if (value.isNull()) {
            if (op == QLatin1String("="))
                return column + QStringLiteral(" IS NULL");
            if (op == QLatin1String("<>"))
                return column + QStringLiteral(" IS NOT NULL");
            fail();
        }
        values << value;
        // IS and IS NOT never yield null, so "not x='v'" selects the same rows as "x<>'v'".
        if (op == QLatin1String("<>"))
            return column + QStringLiteral(" IS NOT ?");
        if (op == QLatin1String("="))
            return column + QStringLiteral(" IS ?");
        return column + QLatin1Char(' ') + op + QStringLiteral(" ?");
    }

    QVariant literal(const FieldDef& field, const Token& token) const
    {
        if (token.value.isEmpty())
            return {};  // '' is null in a field of any type
        switch (field.type) {
        case FieldType::Text:
            return token.value;
        case FieldType::Date: {
            const QDate date = QDate::fromString(token.value, QStringLiteral("dd/MM/yyyy"));
            return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant(token.value);
        }
        case FieldType::Float: {
            bool ok = false;
            const double d = QString(token.value).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
            if (!ok)
                fail();
            return d;
        }
        default: {
            bool ok = false;
            const qint64 n = token.value.toLongLong(&ok);
            if (!ok)
                fail();
            return n;
        }
        }
    }

    void advance()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
        m_token = {};
        if (m_pos >= m_text.size())
            return;
        const QChar c = m_text[m_pos];
        if (c == QLatin1Char('\'')) {
            QString value;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size())
                    fail();
                if (m_text[m_pos] == QLatin1Char('\'')) {
                    if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                value += m_text[m_pos++];
            }
            m_token = {Token::Text, value};
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const int start = m_pos;
            while (m_pos < m_text.size() && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == QLatin1Char('_')))
                ++m_pos;
            m_token = {Token::Name, m_text.mid(start, m_pos - start)};
        } else if (c.isDigit() || c == QLatin1Char('-')) {
            const int start = m_pos++;
            while (m_pos < m_text.size() &&
                   (m_text[m_pos].isDigit() || m_text[m_pos] == QLatin1Char('.') || m_text[m_pos] == QLatin1Char(',')))
                ++m_pos;
            m_token = {Token::Number, m_text.mid(start, m_pos - start)};
        } else if (c == QLatin1Char('(')) {
            ++m_pos;
            m_token = {Token::LParen, {}};
        } else if (c == QLatin1Char(')')) {
            ++m_pos;
            m_token = {Token::RParen, {}};
        } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
            QString op(c);
            ++m_pos;
            if (m_pos < m_text.size() &&
                (m_text[m_pos] == QLatin1Char('=') || (c == QLatin1Char('<') && m_text[m_pos] == QLatin1Char('>'))))
                op += m_text[m_pos++];
            if (op == QLatin1String("=<") || op == QLatin1String("=>") || op == QLatin1String("=="))
                fail();
            m_token = {Token::Op, op};
        } else {
            fail();
        }
    }

    const QString& m_text;
    const TableDef& m_def;
    int m_pos = 0;
    Token m_token;
};

}  // namespace

Filter Filter::parse(const QString& text, const TableDef& def) { return Parser(text, def).parse(); }

}  // namespace store
