#pragma once

// Writing names that come from the file system into pages safely: as link addresses
// (HREF, SRC) and as page text. Names of letters, digits, "-", "_" and "." come out
// unchanged either way. Pure functions, safe from any thread.

#include <string>
#include <string_view>

// The path as a relative URL: every byte but letters, digits, "-", "_", ".", "~" and "/"
// percent-encoded, so "#1.jpg" gives "%231.jpg" and "a b.jpg" gives "a%20b.jpg".
std::string UrlPath(std::string_view path);

// The text with "&", "<", ">" and the double quote as character references, so that it
// shows as written and cannot end an attribute.
std::string HtmlText(std::string_view text);

// The path of file relative to the folder, with "/" separators and ".." where needed;
// the bare file name when the file lies in that folder. Both may be relative to the
// current folder; links in the file's folder are not followed.
std::string RelativePath(const std::string& folder, const std::string& file);
