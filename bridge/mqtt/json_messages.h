// The payloads of the JSON format.
//
// A value:  {"v":<value>,"q":"good"|"bad","t":"2026-12-08T07:47:18.945Z","h":<handle>}
// "v" follows the tag's requested type: integers and reals as JSON numbers (64-bit integers
// exactly, from the value's text), booleans as true or false, texts and dates as strings,
// arrays as JSON arrays of those (from `textElements` when given, else read from the value's
// text, whose elements are joined by ", "); a number the value does not hold (a non-finite real, an
// element that could not be read) is null. "t" is the server's time stamp in UTC, null when the
// value has none.
//
// A write's result, on "<topic>/write_result":
//           {"tag":"<path>","h":<handle>,"result":<code>,"error":"<text>"}
// with the code and text of the bridge's write (0 and "" when the server took the value).
#pragma once

#include <string>
#include <vector>

#include "bridge/core/connection_engine.h"
#include "bridge/core/project_tree.h"
#include "bridge/mqtt/text_array_elements.h"

std::string JsonValueMessage(const ProjectTag& tag, const TagLiveValue& value,
                             const TextElements& textElements = std::nullopt);
std::string JsonWriteResultMessage(const std::string& path, TagHandle handle,
                                   const WriteResult& result);
