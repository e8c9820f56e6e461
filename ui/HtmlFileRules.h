#pragma once

#include <string>
#include <string_view>

namespace pagrovix {

// Whether a URL names a local file that a browser opens as HTML: a "file:" URL whose path ends in
// ".html" or ".htm", in any letter case. ".xhtml" is not among them: it stays XML.
bool IsLocalHtmlFileUrl(std::string_view url);

// The text of an HTML file as UTF-8: a file that already is UTF-8 stays as it is (a leading byte
// order mark is dropped); any other is read as Windows-1252, as browsers read a page without a
// declared character set.
std::string HtmlFileTextAsUtf8(std::string_view bytes);

}  // namespace pagrovix
