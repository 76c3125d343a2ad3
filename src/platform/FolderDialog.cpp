#include "platform/FolderDialog.h"

namespace tarvex::platform {

ScreenPoint FolderDialogPosition(const ScreenRect& dialog, const ScreenRect& foreground)
{
    // Integer division truncates toward zero, as the placement has always done.
    return {foreground.left + (foreground.right - foreground.left) / 2 - (dialog.right - dialog.left) / 2,
            foreground.top + (foreground.bottom - foreground.top) / 4};
}

} // namespace tarvex::platform
