// Why a markup file did not load, in one line for people.
#pragma once

#include <string>

namespace tavrel {

class MarkupDocument;

// For a `document` whose LoadFile(`path`) failed: "<path> cannot be read: <the system's
// reason>" when the file cannot be opened, else "<path> is not well formed: <problems>" with
// the line and column of every offset (DescribeMarkupProblems).
std::string MarkupFileProblem(const std::string& path, const MarkupDocument& document);

}  // namespace tavrel
