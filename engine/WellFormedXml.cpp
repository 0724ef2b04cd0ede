#include "WellFormedXml.h"

#include <cstdint>
#include <vector>

namespace selvane
{
namespace
{
bool isSpace (char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Letters, digits and "_-:.", as the framework's XML reader reads names.
bool isNameChar (char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || c == '_' || c == '-' || c == ':' || c == '.';
}

int digitValue (char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')      value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The characters XML allows in a document.
bool isXmlChar (std::uint64_t c)
{
    return c == 0x9 || c == 0xa || c == 0xd || (c >= 0x20 && c <= 0xd7ff)
        || (c >= 0xe000 && c <= 0xfffd) || (c >= 0x10000 && c <= 0x10ffff);
}

class Scanner
{
public:
    explicit Scanner (std::string_view t) : text (t) {}

    bool document (int deepestNesting)
    {
        if (! prolog())
            return false;

        std::string_view name;
        bool empty = false;
        if (! startTag (name, empty))
            return false;

        std::vector<std::string_view> open;   // the elements not yet closed, innermost last
        auto enter = [&] (std::string_view element) {
            if ((int) open.size() >= deepestNesting)
                return false;
            open.push_back (element);
            return true;
        };
        if (! empty && ! enter (name))
            return false;

        while (! open.empty())
        {
            if (at >= text.size())
                return false;

            if (text[at] == '&')
            {
                if (! reference())
                    return false;
            }
            else if (text[at] != '<')                { ++at; }
            else if (startsWith ("<!--"))            { if (! skipSection ("<!--", "-->")) return false; }
            else if (startsWith ("<![CDATA["))       { if (! skipSection ("<![CDATA[", "]]>")) return false; }
            else if (startsWith ("</"))
            {
                at += 2;
                if (readName() != open.back())
                    return false;
                skipSpace();
                if (! skip ('>'))
                    return false;
                open.pop_back();
            }
            else
            {
                if (! startTag (name, empty))
                    return false;
                if (! empty && ! enter (name))
                    return false;
            }
        }
        return true;
    }

private:
    std::string_view text;
    size_t at = 0;

    bool startsWith (std::string_view s) const { return text.substr (at, s.size()) == s; }

    bool skip (char c)
    {
        if (at >= text.size() || text[at] != c)
            return false;
        ++at;
        return true;
    }

    // A comment, CDATA section or processing instruction: its opening, then
    // anything up to its closing, which must be there.
    bool skipSection (std::string_view opening, std::string_view closing)
    {
        const auto found = text.find (closing, at + opening.size());
        if (found == std::string_view::npos)
            return false;
        at = found + closing.size();
        return true;
    }

    void skipSpace()
    {
        while (at < text.size() && isSpace (text[at]))
            ++at;
    }

    std::string_view readName()
    {
        const auto start = at;
        while (at < text.size() && isNameChar (text[at]))
            ++at;
        return text.substr (start, at - start);
    }

    // White space, comments and processing instructions before the root.
    bool prolog()
    {
        for (;;)
        {
            skipSpace();
            if (startsWith ("<!--"))     { if (! skipSection ("<!--", "-->")) return false; }
            else if (startsWith ("<?"))  { if (! skipSection ("<?", "?>")) return false; }
            else                         return true;
        }
    }

    // "<name attr='value' ...>" or "<name ... />".
    bool startTag (std::string_view& name, bool& empty)
    {
        if (! skip ('<'))
            return false;
        name = readName();
        if (name.empty())
            return false;

        for (;;)
        {
            const auto before = at;
            skipSpace();
            if (startsWith ("/>")) { at += 2; empty = true;  return true; }
            if (skip ('>'))        {          empty = false; return true; }
            if (at == before)
                return false;   // attributes are separated by white space
            if (readName().empty())
                return false;
            skipSpace();
            if (! skip ('='))
                return false;
            skipSpace();
            if (! attributeValue())
                return false;
        }
    }

    bool attributeValue()
    {
        if (at >= text.size() || (text[at] != '"' && text[at] != '\''))
            return false;
        const char quote = text[at++];
        while (at < text.size() && text[at] != quote)
        {
            if (text[at] == '<')
                return false;
            if (text[at] == '&')
            {
                if (! reference())
                    return false;
            }
            else
            {
                ++at;
            }
        }
        return skip (quote);
    }

    // "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#65;" or "&#x41;".
    bool reference()
    {
        for (std::string_view entity : { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" })
            if (startsWith (entity))
            {
                at += entity.size();
                return true;
            }

        if (! startsWith ("&#"))
            return false;
        at += 2;
        const bool hex = skip ('x');
        const int base = hex ? 16 : 10;
        const size_t mostDigits = hex ? 8 : 12;   // longer ones the framework's reader misreads
        std::uint64_t value = 0;
        size_t digits = 0;
        for (; at < text.size() && digitValue (text[at], base) >= 0; ++at, ++digits)
            value = value * (std::uint64_t) base + (std::uint64_t) digitValue (text[at], base);
        return digits > 0 && digits <= mostDigits && isXmlChar (value) && skip (';');
    }
};
} // namespace

bool isWellFormedXml (std::string_view text, int deepestNesting) noexcept
{
    return Scanner (text).document (deepestNesting);
}
} // namespace selvane
