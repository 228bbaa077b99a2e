#pragma once

#include <QPixmap>
#include <QWidget>

// The start-up picture: a borderless window on top of the others, centred,
// shaped like its picture and dragged by a press anywhere on it.
class TSplashForm : public QWidget
{
    Q_OBJECT

public:
    explicit TSplashForm(QWidget* parent = nullptr);

    // The product picture, drawn by the program itself.
    static QPixmap productPicture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
    QPoint m_dragOffset;
};
