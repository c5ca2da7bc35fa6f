# cmake -DPROXY=<name>_p.c -P idl_proxy_fix.cmake
#
# Mends, in a proxy/stub widl wrote, the parameters that return a string: [out] LPWSTR*. widl
# (7.0 and 8.0 alike) gives such a parameter the type of the string pointer instead of the
# reference pointer to it (as it does right for every other pointer to a pointer, such as
# [out] OPCSERVERSTATUS**), so the runtime unmarshals the string into the argument's own stack
# slot and the caller receives no string. Each type "pointer to a string pointer" here is
#   /* N (...) */ FC_RP [allocated_on_stack] [pointer_deref], Offset= 2 (M)
# with M the string pointer; the parameters that name M are made to name N.
file(READ ${PROXY} text)
string(REGEX MATCHALL
  "/\\* [0-9]+ \\((LPWSTR \\*|[A-Z]*WCHAR \\*\\*)\\) \\*/\n[^\n]*FC_RP \\[allocated_on_stack\\] \\[pointer_deref\\] \\*/\n[^\n]*Offset= 2 \\([0-9]+\\) \\*/"
  pairs "${text}")
foreach(pair IN LISTS pairs)
  string(REGEX REPLACE "^/\\* ([0-9]+) .*Offset= 2 \\(([0-9]+)\\).*$" "\\1;\\2" offsets "${pair}")
  list(GET offsets 0 outer)
  list(GET offsets 1 inner)
  math(EXPR outerHex "${outer}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR innerHex "${inner}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "NdrFcShort(${innerHex}),\t/* type offset = ${inner} */"
    "NdrFcShort(${outerHex}),\t/* type offset = ${outer} */" text "${text}")
endforeach()
file(WRITE ${PROXY} "${text}")
