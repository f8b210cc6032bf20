#include "app/scope/Scope.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QStringList>
#include <algorithm>

#include "app/MainMenu.h"
#include "app/scope/ScopeWindow.h"
#include "measurement/BeatScope.h"
#include "measurement/MeasurementSession.h"
#include "settings/TIniSaveProps.h"

namespace tamsel {

namespace {
const QString kSection = QStringLiteral("Tamsel");
const QString kPlaceKey = QStringLiteral("BeatScopeWindow");
// Redrawn at most this often: the templates change slowly, and the meter analyses them once a second.
constexpr int kRedrawMs = 1000;
} // namespace

Scope::Scope(QWidget &owner, QMenu &view, const MeasurementSession &session)
    : owner_(owner), session_(session)
{
    BeatScope1 = menuItem(&view, "Beat scope…", "BeatScope1");
    BeatScope1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    QObject::connect(BeatScope1, &QAction::triggered, &owner, [this] { show(); });
    timer_.setInterval(kRedrawMs);
    QObject::connect(&timer_, &QTimer::timeout, &owner, [this] { redraw(); });
}

void Scope::load(TIniSaveProps &ini)
{
    // "x,y,width,height"; anything else is no place.
    const QStringList parts = ini.ReadStrValue(kSection, kPlaceKey).split(QLatin1Char(','));
    int values[4] = {};
    bool good = parts.size() == 4;
    for (int i = 0; good && i < 4; ++i)
        values[i] = parts[i].trimmed().toInt(&good);
    stored_.reset();
    if (good && values[2] > 0 && values[3] > 0)
        stored_ = QRect(values[0], values[1], values[2], values[3]);
}

void Scope::save(TIniSaveProps &ini) const
{
    if (!window_)
        return;
    const QRect place = window_->geometry();
    ini.WriteStrValue(
        kSection, kPlaceKey,
        QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height()));
}

// Where it was left, if that is still on a screen; else beside the main window, on the screen.
void Scope::place()
{
    if (stored_ && QGuiApplication::screenAt(stored_->center())) {
        window_->setGeometry(*stored_);
        return;
    }
    const QScreen *screen = owner_.screen() ? owner_.screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1000, 700);
    const QSize size = QSize(1000, 700).boundedTo(room.size() - QSize(16, 40));
    const QRect main = owner_.frameGeometry();
    window_->resize(size);
    window_->move(
        std::clamp(main.right() + 1, room.left(), std::max(room.left(), room.right() + 1 - size.width())),
        std::clamp(main.top(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
}

void Scope::show()
{
    if (!window_) {
        window_ = new ScopeWindow(&owner_);
        place();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    redraw();
    timer_.start();
}

void Scope::redraw()
{
    if (window_->isHidden()) {
        timer_.stop(); // closed: nothing to draw until it is opened again
        return;
    }
    window_->setScope(BeatScope::of(session_.engine()));
}

} // namespace tamsel
