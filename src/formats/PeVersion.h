#pragma once
// Our reader of version resources in PE images: pure functions over bytes,
// every offset checked, so that a damaged file reads as "no resource".
#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

// The bytes of the image's version resource (type 16, name 1, the first
// language); nullopt when there is none or the image is damaged.
std::optional<std::string_view> FindVersionResource(std::string_view image);

// The text at subBlock (components separated by backslashes, matched without
// regard to ASCII case, e.g. "\StringFileInfo\040904E4\FileVersion") of a
// VS_VERSIONINFO block, up to its terminating zero, converted from UTF-16
// to Windows-1252 ('?' for characters it lacks); nullopt when absent.
std::optional<std::string> QueryVersionText(std::string_view block, std::string_view subBlock);

} // namespace tarvex
