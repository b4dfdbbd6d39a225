// The product's editor opened outside a test: a temporary home, the built
// bundle registered, the plug-in opened through its module and its editor
// on the recording back-end. For the benchmark and the snapshot tool.
#pragma once

#include <memory>
#include <string>

#include "tests/editor/ProductGfx.h"
#include "tests/plugin/support/ProductHost.h"

namespace editortest {

class ProductEditorSession
{
public:
  ProductEditorSession();
  ~ProductEditorSession();

  tolvane3::Tolvane3& Plug() { return mUnit->Plug(); }
  // The open editor's context; null while closed.
  ProductGfx* G() { return static_cast<ProductGfx*>(Plug().GetUI()); }
  void Open();
  void Close();

private:
  std::string mHome;
  std::unique_ptr<testsupport::ProductUnit> mUnit;
};

} // namespace editortest
