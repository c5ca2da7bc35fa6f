// The declaration lines that start the documents the programs write. Each ends with a blank
// before CR LF, as every existing reader of these documents has always been given them.
#pragma once

namespace tavrel {

// API headers and bodies, server list and tag list files.
inline constexpr char kGbkDeclaration[] = "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n";
// The project file.
inline constexpr char kProjectDeclaration[] = "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n";

}  // namespace tavrel
