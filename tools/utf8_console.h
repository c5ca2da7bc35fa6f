// tavrel-cli writes UTF-8 (JSON lines, the bridge's texts converted from GBK). A Windows console
// shows the bytes programs write in its own output code page, 936 on a Chinese host, and would
// garble them: while a Utf8Console lives, the console's output code page is UTF-8, and the one it
// had is restored at its end, so the console's later programs are not affected. Output to a
// file or a pipe is the same bytes either way. Nothing to do on Linux, whose terminals take
// UTF-8.
#pragma once

namespace tavrel {

class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  unsigned int previousCodePage_ = 0;  // 0: not changed
};

}  // namespace tavrel
