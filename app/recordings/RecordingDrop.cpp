#include "app/recordings/RecordingDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "app/recordings/RecordingsMenu.h"

namespace tamsel {

RecordingDrop::RecordingDrop(QWidget &window, RecordingsMenu &menu) : QObject(&menu), menu_(menu)
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

QString RecordingDrop::droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

bool RecordingDrop::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (droppedFile(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        // Opened once the drag has ended: a refusal's message box must not hold the source's drag.
        QTimer::singleShot(0, &menu_, [this, path] { menu_.openRecording(path); });
        return true;
    }
    default: return QObject::eventFilter(watched, event);
    }
}

} // namespace tamsel
