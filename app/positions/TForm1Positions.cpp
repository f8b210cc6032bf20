// The Option menu's "Positions…": the positional test's dialog, made at its first use and
// kept; it follows every capture buffer the window handles.
#include "app/TForm1.h"
#include "app/positions/PositionsDialog.h"

namespace tamsel {

void TForm1::Positions1Click()
{
    if (!PositionsDlg) {
        PositionsDlg = new PositionsDialog(*this);
        capture_.OnBufferQueued = [this](int samples) { PositionsDlg->BufferHandled(samples); };
    }
    PositionsDlg->show();
    PositionsDlg->raise();
    PositionsDlg->activateWindow();
}

} // namespace tamsel
