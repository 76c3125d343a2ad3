#pragma once
// What the toolkit asks of its backend: mirror a control's state onto a
// native window. The headless backend keeps no windows and does nothing.
// Internal to the platform layer.
#include "platform/Ui.h"

namespace tarvex::platform::backend {

enum class Aspect { Text, Visible, Enabled, Font, Color, CaptionFont, Progress, Lines, Content, Position, Picture, Default };

NativeWindowOwner Create(Control& control);
void Destroy(NativeWindow* window);
void Sync(Control& control, Aspect aspect);
void RaiseToTop(Control& control);
void Focus(Control& control);
bool HasFocus(const Control& control);
// The control of the form that has the focus, or would have it were the
// form active; none when nothing of it has.
Control* FocusedControl(Form& form);
void Repaint(Control& control);
void Invalidate(Control& control);
void PaintNow(PaintBox& box);
// The control's window under its (new) parent's window, above its siblings.
void Reparent(Control& control);
Size WindowSize(const Form& form);
void LoadScreenCursor(int slot, const char* resource);
// Index of the chosen item, or -1 when the menu was dismissed.
int TrackPopup(const PopupMenu& menu, int screenX, int screenY);

void RunModal(Form& form);
void Close(Form& form);
void Quit(Form& form);

} // namespace tarvex::platform::backend
