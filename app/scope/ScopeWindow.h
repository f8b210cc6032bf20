#pragma once
// View ▸ Beat scope…: the averaged tick and tock large, in a window of its own beside the main
// window: the scope as the engine last gave it, "Overlay tick and tock", and "Save image…"
// (PNG, SVG or PDF, at the size shown).
#include <QWidget>

#include "display/BeatScopePlot.h"
#include "measurement/BeatScope.h"

class QCheckBox;
class QPushButton;

namespace tamsel {

class PictureView;

class ScopeWindow : public QWidget {
public:
    explicit ScopeWindow(QWidget *parent = nullptr);

    // The engine's values, drawn once the event loop gets to it.
    void setScope(const BeatScope &scope);
    const BeatScope &scope() const { return scope_; }
    // Writes the scope at its shown size as PNG, SVG or PDF by the name's extension (whole or
    // not at all). Returns the error text, empty on success.
    QString saveImage(const QString &path) const;

    QCheckBox *OverlayCheck;
    QPushButton *SaveButton;

private:
    BeatScopePlot::Options options() const;
    void saveClicked();

    BeatScope scope_;
    PictureView *view_;
};

} // namespace tamsel
