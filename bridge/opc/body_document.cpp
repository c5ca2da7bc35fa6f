#include "bridge/opc/body_document.h"

#include "common/markup_declarations.h"

namespace tavrel {

MarkupDocument NewBodyDocument() {
  MarkupDocument body(MarkupBuild::kBridge);
  body.SetText(kGbkDeclaration);
  body.AddElement("root");
  body.SetAttribute("ver", 0);
  body.EnterElement();
  return body;
}

}  // namespace tavrel
