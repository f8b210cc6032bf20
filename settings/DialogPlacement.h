#pragma once
// Where the program's small dialogs appear.
class QWidget;

namespace tamsel {

// Moves a top-level dialog so that it is centred on its parent's window (on the screen
// when it has none), kept inside that screen's available area.
void CentreOnParent(QWidget *dialog);

} // namespace tamsel
