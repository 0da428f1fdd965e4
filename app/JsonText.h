#pragma once

#include "model/JsonNesting.h"
#include "model/Result.h"

#include <nlohmann/json.hpp>

#include <cstddef>
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

// The refusal of a JSON text that nests arrays and objects deeper than maxDepth, found
// before the text is parsed ("arrays and objects nested deeper than 64 levels (at byte
// 64)"); empty when it nests no deeper.
std::string JsonDepthFault(std::string_view text, std::size_t maxDepth = kMaxJsonDepth);

// Parses a JSON text that nests at most maxDepth levels: the document, or the depth's
// refusal, or "not valid JSON: " and the parser's message.
Result<Json> ParseJson(std::string_view text, std::size_t maxDepth = kMaxJsonDepth);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

} // namespace kelvanto
