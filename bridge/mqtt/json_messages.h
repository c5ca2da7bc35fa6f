// The payloads of the JSON format.
//
// A value:  {"v":<value>,"q":"good"|"bad","t":"2026-12-08T07:47:18.945Z","h":<handle>}
// "v" of a tag that requests a scalar follows the tag's value class: reals and integers as JSON
// numbers (a 64-bit integer tag's value exactly, as its typed value holds it), booleans as true
// or false, texts and dates as the value's text; a real that is not finite is null. "v" of a
// tag that requests an array is a JSON array of the value's typed elements, each by the type it
// arrived in: integers and reals as numbers, booleans as true or false, dates as their text,
// texts as strings; an element without a value, or a real that is not finite, is null; a value
// that is no array (one read as text) is null. "t" is the server's time stamp in UTC, null when
// the value has none.
//
// A write's result, on "<topic>/write_result":
//           {"tag":"<path>","h":<handle>,"result":<code>,"error":"<text>"}
// with the code and text of the bridge's write (0 and "" when the server took the value).
#pragma once

#include <string>
#include <vector>

#include "bridge/core/connection_engine.h"
#include "bridge/core/project_tree.h"
#include "bridge/core/typed_value.h"

namespace tavrel {

std::string JsonValueMessage(const ProjectTag& tag, const TagLiveValue& value,
                             const TypedValue& typed);
std::string JsonWriteResultMessage(const std::string& path, TagHandle handle,
                                   const WriteResult& result);

}  // namespace tavrel
