#pragma once
// A paint box: pictures are drawn onto it and stay until drawn over. It keeps them in an
// image of its own, so that a repaint by the window system shows the last picture.
#include <QFrame>
#include <QImage>
#include <QWidget>
#include <functional>

namespace tamsel {

class TPaintBox : public QWidget {
public:
    explicit TPaintBox(QWidget *parent);

    // Copies the image onto the box with its top left at (x, y).
    void draw(int x, int y, const QImage &image);
    // The same, leaving out the image's pure white pixels.
    void drawTransparent(int x, int y, const QImage &image);
    const QImage &picture() const { return surface_; }

    std::function<void(QMouseEvent *)> OnMouseDown;
    std::function<void(QMouseEvent *)> OnMouseMove;

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    QImage surface_;
};

// A panel that tells when its size changes.
class TPanel : public QFrame {
public:
    explicit TPanel(QWidget *parent) : QFrame(parent) {}
    std::function<void()> OnResize;

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (OnResize)
            OnResize();
    }
};

} // namespace tamsel
