#pragma once

// Windows beside the document that leave the keyboard where it is: the Constants palette, the
// Symbols bar and the kernel's start-up window. The window system is asked not to activate them
// as they show; where it activates them anyway (a window manager that gives every new window
// the focus, the offscreen platform), the window that had the keyboard gets it back at once.

class QWidget;

namespace activation {

// Shows `window` and leaves the keyboard with the window that has it. A click into `window`
// still activates it afterwards, as with any other window.
void ShowInactive(QWidget* window);

// `window` never keeps the keyboard: it is shown without activation, and whenever the window
// system activates it (a click, on most window managers), `keeper` is activated again. For a bar
// of buttons that act on what `keeper` shows. The rule holds only while `window` is a window of
// its own (a floating dock widget), and ends with either of them.
void NeverActive(QWidget* window, QWidget* keeper);

} // namespace activation
