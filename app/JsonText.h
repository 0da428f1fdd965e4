#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace kelvanto
{

// The JSON documents of the program (the task form, the control protocol) keep their
// members in the order written.
using Json = nlohmann::ordered_json;

// Texts are bytes. A text that is valid UTF-8 is a JSON string; any other is written as
// {"hex": "..."} with its bytes in hexadecimal, so that every text survives the trip.
Json TextToJson(const std::string& bytes);

// Reads a text in either form into `bytes`. On a fault returns false with the problem in
// *problem ("must be a text or {"hex": "..."}", ...); `bytes` is then left as it was.
// `path` names the member in the problem text.
bool TextFromJson(const Json& value, const std::string& path, std::string& bytes, std::string* problem);

// The text of a member that should hold one; empty when it is missing or not a text.
std::string TextOf(const Json& value);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

} // namespace kelvanto
