#include "platform/framework/ResourceTypes.h"
#include "resources/Resource.h"

namespace {

constexpr std::uint8_t kCtrl = FVIRTKEY | FCONTROL;

constexpr ACCEL kMainAccelerators[] = {
    {kCtrl, 'N', ID_FILE_NEW},
    {kCtrl, 'O', ID_FILE_OPEN},
    {kCtrl, 'S', ID_FILE_SAVE},
    {kCtrl, 'P', ID_FILE_PRINT},
    {kCtrl, 'Z', ID_EDIT_UNDO},
    {kCtrl, 'X', ID_EDIT_CUT},
    {kCtrl, 'C', ID_EDIT_COPY},
    {kCtrl, 'V', ID_EDIT_PASTE},
    {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
    {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
    {kCtrl, VK_INSERT, ID_EDIT_COPY},
    {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
    {FVIRTKEY, VK_F6, ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
};

// One table serves the frame and the page windows alike.
constexpr AcceleratorResource kAccelerators[] = {{IDR_MAINFRAME, kMainAccelerators}};

}  // namespace

const AcceleratorResource* FindAcceleratorResource(UINT id) {
  return FindResourceById<AcceleratorResource>(kAccelerators, id);
}
