#include "ui/plan_widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

PlanImageWidget::PlanImageWidget(QWidget *parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  setCursor(Qt::CrossCursor);
  SetImageSize(1, 1);
}

void PlanImageWidget::SetImageSize(int w, int h) {
  w = std::max(1, w);
  h = std::max(1, h);
  if (OwnBitmap.width() != w || OwnBitmap.height() != h) {
    OwnBitmap = QImage(w, h, QImage::Format_RGB888);
    OwnBitmap.fill(Qt::black);
  }
  setFixedSize(w, h);
  update();
}

void PlanImageWidget::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.drawImage(0, 0, OwnBitmap);
}

void PlanImageWidget::mousePressEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseDown)
    OnMouseDown(event->button(), pos.x(), pos.y());
  update();
  event->accept();
}

void PlanImageWidget::mouseMoveEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseMove)
    OnMouseMove(event->buttons(), event->modifiers(), pos.x(), pos.y());
  update();
  event->accept();
}

void PlanImageWidget::wheelEvent(QWheelEvent *event) {
  if (!OnWheel) {
    event->ignore();
    return;
  }
  const QPointF pos = event->position();
  OnWheel(event->angleDelta().y(), static_cast<int>(std::floor(pos.x())),
          static_cast<int>(std::floor(pos.y())));
  update();
  event->accept();
}
