#pragma once

// The product's name and version as generated pages and messages carry them, and the
// mark by which the tool recognises its own pages. The version here is part of that
// mark and stays "1.0" whatever the program's own version (mavren_version.h) says, so
// that pages generated before remain recognised. Constants only.

#include <string_view>

constexpr std::string_view kProductName = "Mavren";
constexpr std::string_view kProductVersion = "1.0";

// What every generated page carries in its generator META element: CONTENT="Mavren 1.0".
constexpr std::string_view kGeneratorMark = "CONTENT=\"Mavren 1.0\"";

// Where the credit badge of content pages leads.
constexpr std::string_view kProductHomePage = "https://mavren.example.org/";

// The pictures the tool installs beside its programs and places in generated sites.
constexpr std::string_view kGifPlaceholderName = "GifPlaceHolder.gif";
constexpr std::string_view kCreditBadgeName = "GeneratedWithMavren.gif";
constexpr std::string_view kDamagedPlaceholderName = "DamagedPlaceHolder.png";
