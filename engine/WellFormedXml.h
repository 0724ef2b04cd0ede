#pragma once

#include <string_view>

namespace selvane
{
// Whether an ASCII text is a well-formed XML document no deeper than
// `deepestNesting` elements: a prolog of white space, comments and processing
// instructions (the XML declaration among them), then one element whose tags
// match, whose attribute values are quoted, and whose content holds text,
// references, comments, CDATA sections and elements. Processing instructions
// among the elements are refused: the framework's reader loops for ever on
// one followed by text.
// References are the five predefined entities and character references to
// characters XML allows. Whatever follows the root element is not looked at.
// Document type declarations are refused: nothing we write has one.
bool isWellFormedXml (std::string_view text, int deepestNesting) noexcept;
} // namespace selvane
