// The examples of the integrator reference (docs/*.md): the fenced code blocks, what kind of
// example each is, and how an expected line matches what a program printed.
//
// Every fenced block of a reference document is an example that a test runs; its info string
// says how:
//   xml file=NAME, ini file=NAME   a file of the installation folder, written there as shown
//   console                        "$ command" lines run by the shell in the installation
//                                  folder; the lines after each are what it prints
//   api                            a conversation on one API connection: "→ " a request
//                                  header sent, "← " the first line of a frame expected, lines
//                                  indented by two blanks continue either
//   hex                            the same with the frames' bytes in hexadecimal
// In an expected line, "…" stands for any text (changing values, times).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

struct ExampleBlock {
  std::string info;                // the info string after the opening fence
  int line = 0;                    // line number of the opening fence
  std::vector<std::string> lines;  // the lines between the fences
};

// The fenced blocks of `markdown`, in order.
std::vector<ExampleBlock> FencedBlocks(std::string_view markdown);

// True when `actual` is `expected` with each "…" standing for any text; blanks at the end of
// either do not count.
bool LineMatches(std::string_view expected, std::string_view actual);

// One message of an api or hex block: the direction and its lines, the indentation removed.
struct ExampleMessage {
  bool sent = false;
  std::vector<std::string> lines;
};
std::vector<ExampleMessage> ConversationOf(const ExampleBlock& block);

}  // namespace tavrel
