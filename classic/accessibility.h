#pragma once
// What a screen reader is told beyond the controls' own names.
#include <QString>

class QWidget;

// Child windows are parts of the main window to assistive technology, not
// windows of their own: a screen reader then keeps the main window as the
// active one and reads a child's caption before its focused control.
void InstallAccessibility();

// A window's client area has been put into a child window of the workspace:
// a screen reader now meets it as that window's nameless inside.
void AdoptedByChildWindow(QWidget *client);

// Says the text without moving the focus: an announcement from near (before
// Qt 6.8, a notification of near's window becoming showing), which screen
// readers read out at once.
void Announce(QWidget *near, const QString &text);

// Tells a screen reader again of the window holding the focus widget and of
// that widget, as when the focus had just moved there: the window's caption,
// then the control.
void RetellFocus(QWidget *focused);

// The text last announced in that window (empty if none).
QString LastAnnouncement(QWidget *near);
