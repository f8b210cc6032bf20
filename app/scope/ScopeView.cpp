#include "app/scope/ScopeView.h"

#include <QPainter>

namespace tamsel {

ScopeView::ScopeView(Draw draw, QWidget *parent) : QWidget(parent), draw_(std::move(draw))
{
    setObjectName(QStringLiteral("ScopeView"));
    setMinimumSize(480, 360);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScopeView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    draw_(painter, rect());
}

} // namespace tamsel
