#include "tests/editor/ProductEditorSession.h"

#include <cstdlib>
#include <filesystem>

namespace editortest {

ProductEditorSession::ProductEditorSession()
{
  char folder[] = "/tmp/tolvane3-editor-XXXXXX";
  if (mkdtemp(folder))
  {
    mHome = folder;
    setenv("HOME", mHome.c_str(), 1);
    setenv("XDG_DATA_HOME", (mHome + "/.local/share").c_str(), 1);
  }
  InstallProductGfx();
  mUnit = std::make_unique<testsupport::ProductUnit>();
  mUnit->Initialize();
  Open();
}

ProductEditorSession::~ProductEditorSession()
{
  Close();
  mUnit.reset();
  tolvane3::SetEditorFunctions(nullptr, nullptr);
  if (!mHome.empty())
  {
    std::error_code ignored;
    std::filesystem::remove_all(mHome, ignored);
  }
}

void ProductEditorSession::Open()
{
  RegisterProductBundle();
  Plug().OpenWindow(nullptr);
}

void ProductEditorSession::Close()
{
  if (G())
    Plug().CloseWindow();
}

} // namespace editortest
