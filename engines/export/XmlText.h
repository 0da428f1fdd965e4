#pragma once

#include <string>
#include <string_view>

namespace kelvanto
{

// The pieces of XML export files that must stay well-formed whatever a server sends.

// True when every character of `text` can stand in an XML 1.0 document, as itself or as a
// character reference: well-formed UTF-8 (no overlong forms, no surrogates, at most
// U+10FFFF) of XML's Char production (TAB, LF, CR, U+0020-U+D7FF, U+E000-U+FFFD,
// U+10000-U+10FFFF). NUL and the other C0 controls are not, not even as references.
bool XmlCanCarry(std::string_view text);

// True when `name` can be an XML attribute name as it stands: an XML Name of ASCII letters,
// digits, "_", "-" and "." (not starting with a digit, "-" or "."), or of the letters beyond
// ASCII that XML allows, and no ":" (which a namespace-aware parser would read as a prefix).
bool IsXmlName(std::string_view name);

// Text inside a double-quoted attribute value: & < > " as entities, and TAB, LF and CR as
// character references, which a parser gives back unchanged (a raw one it turns into a blank).
// The text must satisfy XmlCanCarry.
void AppendXmlAttributeText(std::string& out, std::string_view text);

// The bytes in base64 (RFC 4648, with padding, no line breaks).
void AppendBase64(std::string& out, std::string_view bytes);

} // namespace kelvanto
