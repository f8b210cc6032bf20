#pragma once
// A file dropped on the window is opened as File ▸ Open recording opens it; a file that is
// not a recording is refused with the same message, and the capture in use goes on.
#include <QObject>

class QMimeData;
class QWidget;

namespace tamsel {

class RecordingsMenu;

class RecordingDrop : public QObject {
public:
    // Makes `window` take drops; owned by `menu`.
    RecordingDrop(QWidget &window, RecordingsMenu &menu);

    // The local file a drag carries (the first of several); empty for anything else.
    static QString droppedFile(const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RecordingsMenu &menu_;
};

} // namespace tamsel
