#pragma once
// View: the sweep's lengths and the zooms, and the chart's buttons that step them. A choice goes
// to the measurement session; what it chose is checked, named in the status bar's first panel,
// and enables the buttons that can step on from it.
#include <QString>
#include <cstdint>

namespace tamsel {

class TForm1;

class ViewMenu {
public:
    explicit ViewMenu(TForm1 &form) : form_(form) {}

    // The next longer (+1) or shorter (-1) length, or closer or farther zoom, from the checked one.
    void stepLength(int step);
    void stepZoom(int step);
    // What the session chose.
    void lengthChosen(int32_t seconds);
    void zoomChosen(int32_t factor);
    // The length and the zoom, as the status bar's first panel names them.
    QString text() const;
    // What that panel shows now: a short view chosen last is named by its length alone.
    QString shownText() const;

private:
    TForm1 &form_;
    bool lengthAlone_ = false;
};

} // namespace tamsel
