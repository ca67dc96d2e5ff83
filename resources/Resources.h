#pragma once
// Pictures compiled into the program, looked up by resource id.

#include <QIcon>
#include <QPixmap>

namespace tessaly {

// Registers the compiled-in pictures; safe to call more than once.
void InitResources();

// The icon with a resource id (a category id, 128 or 129); a null icon where none exists.
QIcon LoadResourceIcon(int id);

// The icon of a window that has none of its own: fully transparent, so that the window shows
// no picture where the toolkit would show its own logo.
QIcon BlankIcon();

// The bitmap with a resource id (133, 134, 135, 158, 159); a null pixmap where none exists.
QPixmap LoadResourceBitmap(int id);

}  // namespace tessaly
