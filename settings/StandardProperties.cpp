// The stored properties of the standard controls, under the names the windows' entries use.
#include "settings/PropertyRegistry.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVariant>
#include <QWidget>

namespace tamsel {

namespace {

int32_t Bool(bool b)
{
    return b ? 1 : 0;
}

void RegisterObject(PropertyRegistry &r)
{
    // A free integer any component can carry, as a dynamic property.
    r.AddOrdinal<QObject>(
        "Tag", [](const QObject *o) { return o->property("Tag").toInt(); },
        [](QObject *o, int32_t v) { o->setProperty("Tag", v); });
}

void RegisterWidget(PropertyRegistry &r)
{
    r.AddOrdinal<QWidget>(
        "Left", [](const QWidget *w) { return w->x(); }, [](QWidget *w, int32_t v) { w->move(v, w->y()); });
    r.AddOrdinal<QWidget>(
        "Top", [](const QWidget *w) { return w->y(); }, [](QWidget *w, int32_t v) { w->move(w->x(), v); });
    r.AddOrdinal<QWidget>(
        "Width", [](const QWidget *w) { return w->width(); },
        [](QWidget *w, int32_t v) { w->resize(v, w->height()); });
    r.AddOrdinal<QWidget>(
        "Height", [](const QWidget *w) { return w->height(); },
        [](QWidget *w, int32_t v) { w->resize(w->width(), v); });
    r.AddOrdinal<QWidget>(
        "Visible", [](const QWidget *w) { return Bool(w->isVisible()); },
        [](QWidget *w, int32_t v) { w->setVisible(v != 0); });
    r.AddOrdinal<QWidget>(
        "Enabled", [](const QWidget *w) { return Bool(w->isEnabled()); },
        [](QWidget *w, int32_t v) { w->setEnabled(v != 0); });
    r.AddString<QWidget>(
        "Caption", [](const QWidget *w) { return w->windowTitle(); },
        [](QWidget *w, const QString &v) { w->setWindowTitle(v); });
    r.AddString<QWidget>(
        "Hint", [](const QWidget *w) { return w->toolTip(); },
        [](QWidget *w, const QString &v) { w->setToolTip(v); });
}

void RegisterAction(PropertyRegistry &r)
{
    r.AddOrdinal<QAction>(
        "Checked", [](const QAction *a) { return Bool(a->isChecked()); },
        [](QAction *a, int32_t v) { a->setChecked(v != 0); });
    r.AddOrdinal<QAction>(
        "Enabled", [](const QAction *a) { return Bool(a->isEnabled()); },
        [](QAction *a, int32_t v) { a->setEnabled(v != 0); });
    r.AddOrdinal<QAction>(
        "Visible", [](const QAction *a) { return Bool(a->isVisible()); },
        [](QAction *a, int32_t v) { a->setVisible(v != 0); });
    r.AddString<QAction>(
        "Caption", [](const QAction *a) { return a->text(); },
        [](QAction *a, const QString &v) { a->setText(v); });
    r.AddString<QAction>(
        "Hint", [](const QAction *a) { return a->toolTip(); },
        [](QAction *a, const QString &v) { a->setToolTip(v); });
    r.AddUnstored<QAction>("OnClick");
}

void RegisterButtons(PropertyRegistry &r)
{
    // A toggle button stays down while it is checked; a plain button is down while pressed.
    r.AddOrdinal<QAbstractButton>(
        "Down",
        [](const QAbstractButton *b) { return Bool(b->isCheckable() ? b->isChecked() : b->isDown()); },
        [](QAbstractButton *b, int32_t v) {
            if (b->isCheckable())
                b->setChecked(v != 0);
            else
                b->setDown(v != 0);
        });
    r.AddOrdinal<QAbstractButton>(
        "Checked", [](const QAbstractButton *b) { return Bool(b->isChecked()); },
        [](QAbstractButton *b, int32_t v) { b->setChecked(v != 0); });
    r.AddString<QAbstractButton>(
        "Caption", [](const QAbstractButton *b) { return b->text(); },
        [](QAbstractButton *b, const QString &v) { b->setText(v); });
    r.AddUnstored<QAbstractButton>("OnClick");
    r.AddString<QLabel>(
        "Caption", [](const QLabel *l) { return l->text(); },
        [](QLabel *l, const QString &v) { l->setText(v); });
}

void RegisterValueControls(PropertyRegistry &r)
{
    r.AddOrdinal<QAbstractSlider>(
        "Position", [](const QAbstractSlider *s) { return s->value(); },
        [](QAbstractSlider *s, int32_t v) { s->setValue(v); });
    r.AddOrdinal<QAbstractSlider>(
        "Min", [](const QAbstractSlider *s) { return s->minimum(); },
        [](QAbstractSlider *s, int32_t v) { s->setMinimum(v); });
    r.AddOrdinal<QAbstractSlider>(
        "Max", [](const QAbstractSlider *s) { return s->maximum(); },
        [](QAbstractSlider *s, int32_t v) { s->setMaximum(v); });
    r.AddString<QLineEdit>(
        "Text", [](const QLineEdit *e) { return e->text(); },
        [](QLineEdit *e, const QString &v) { e->setText(v); });
    r.AddOrdinal<QSpinBox>(
        "Value", [](const QSpinBox *s) { return s->value(); },
        [](QSpinBox *s, int32_t v) { s->setValue(v); });
    r.AddFloat<QDoubleSpinBox>(
        "Value", [](const QDoubleSpinBox *s) { return s->value(); },
        [](QDoubleSpinBox *s, double v) { s->setValue(v); });
}

} // namespace

void RegisterStandardProperties(PropertyRegistry &registry)
{
    RegisterObject(registry);
    RegisterWidget(registry);
    RegisterAction(registry);
    RegisterButtons(registry);
    RegisterValueControls(registry);
}

} // namespace tamsel
