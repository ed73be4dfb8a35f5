#pragma once
// The image control of the plan windows: it shows a plan's 24-bit bitmap
// and reports mouse presses and moves on it.
#include <QImage>
#include <QWidget>

#include <functional>

// Shows its own 24-bit bitmap at (0, 0), one image pixel per screen pixel.
// The bitmap is always the size of the control.
class PlanImageWidget : public QWidget {
  Q_OBJECT
public:
  explicit PlanImageWidget(QWidget *parent = nullptr);

  QImage *Bitmap() { return &OwnBitmap; }
  // Resizes the control and its bitmap (new pixels black).
  void SetImageSize(int w, int h);

  // Press and move on the plan, in bitmap pixels. `button` is the button
  // pressed; `buttons` and `modifiers` the state during the event.
  std::function<void(Qt::MouseButton button, int x, int y)> OnMouseDown;
  std::function<void(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                     int x, int y)>
      OnMouseMove;
  // The wheel turned over the plan (vertical angle delta) with the cursor
  // at (x, y).
  std::function<void(int delta, int x, int y)> OnWheel;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;

private:
  QImage OwnBitmap;
};
