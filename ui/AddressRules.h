#pragma once

#include <string>
#include <string_view>

namespace pagrovix {

// The text without the blanks and control characters (codes 0 to 32) before and after it.
std::string TrimAddress(std::string_view text);

// Whether the text starts with a URL scheme the browser opens as it is ("https://...",
// "file:///...", "about:blank", "data:..."). "localhost:8080" and "example.org:81/x" are a host and
// a port, not a scheme.
bool HasScheme(std::string_view text);

// A "file://" URL for an absolute path, with the characters a URL cannot hold percent-encoded.
std::string FileUrl(std::string_view absolutePath);

// Makes a trimmed address text a URL, as a browser's address box does: a text with a scheme stays
// as it is; the path of an existing file or folder, absolute or relative to startFolder, becomes a
// file URL; anything else is taken as a web address and gets "http://" in front.
std::string MakeUrl(std::string_view address, const std::string& startFolder);

// The window caption for a page: its title, or its address when the page has no title.
std::string CaptionForPage(std::string_view title, std::string_view url);

// Whether an address may be handed to a new instance of the program as its only argument: it must
// be a URL, so that it can never be read as a command-line option.
bool IsInstanceAddress(std::string_view address);

}  // namespace pagrovix
