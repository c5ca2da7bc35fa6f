# cmake -DINPUT=<widl header> -DOUTPUT=<declarations> -P idl_declarations.cmake
#
# Turns a header widl wrote into declarations that can be included inside a namespace, in both
# builds: no #include (the includer has included the COM runtime's declarations), "interface"
# spelled "struct" (the SDK's macro), no __CRT_UUID_DECL (mingw-w64's __uuidof, which must be
# declared at global scope; COM_INTERFACE_ID ties interfaces to their IIDs here), and no
# prototypes of the wire marshalling routines (only the proxy/stub calls them, and it declares
# them itself).
file(READ ${INPUT} text)
string(REGEX REPLACE "\n#include <[^>\n]*>" "" text "${text}")
string(REPLACE "\ntypedef interface " "\ntypedef struct " text "${text}")
string(REPLACE "\ninterface " "\nstruct " text "${text}")
string(REGEX REPLACE "\n#ifdef __CRT_UUID_DECL\n__CRT_UUID_DECL\\([^)]*\\)\n#endif" "" text
  "${text}")
string(REGEX REPLACE "/\\* Begin additional prototypes for all interfaces \\*/.*/\\* End additional prototypes \\*/"
  "" text "${text}")
file(WRITE ${OUTPUT} "${text}")
