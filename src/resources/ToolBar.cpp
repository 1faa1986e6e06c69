#include "platform/framework/ResourceTypes.h"
#include "resources/Resource.h"

namespace {

constexpr UINT kMainToolBarButtons[] = {
    ID_FILE_NEW,  ID_FILE_OPEN,  ID_FILE_SAVE, ID_SEPARATOR,  ID_EDIT_CUT,
    ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR, ID_FILE_PRINT, ID_APP_ABOUT,
};

constexpr ToolBarResource kToolBars[] = {{IDR_MAINFRAME, 16, 15, kMainToolBarButtons}};

}  // namespace

const ToolBarResource* FindToolBarResource(UINT id) {
  return FindResourceById<ToolBarResource>(kToolBars, id);
}
