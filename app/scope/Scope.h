#pragma once
// The beat scope of the measurement the window runs: View ▸ Beat scope… (Ctrl+B), its window
// made at the first use, redrawn once a second from the engine's values while it is shown, and
// its place on the screen kept in the settings once it has been opened.
#include <QRect>
#include <QTimer>
#include <optional>

class QAction;
class QMenu;

namespace tamsel {

class MeasurementSession;
class ScopeWindow;
class TIniSaveProps;

class Scope {
public:
    // The menu item is added at the end of `view`; the window is a child of `owner`.
    Scope(QWidget &owner, QMenu &view, const MeasurementSession &session);

    // The place it was left at, from the settings; written back only once it has been opened,
    // so that a run that never opens it leaves the settings as they were.
    void load(TIniSaveProps &ini);
    void save(TIniSaveProps &ini) const;

    void show();
    ScopeWindow *window() const { return window_; }

    QAction *BeatScope1;

private:
    void redraw();
    void place();

    QWidget &owner_;
    const MeasurementSession &session_;
    ScopeWindow *window_ = nullptr; // a child window of the owner
    QTimer timer_;
    std::optional<QRect> stored_; // the place loaded
};

} // namespace tamsel
