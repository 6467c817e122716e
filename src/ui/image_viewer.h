#pragma once

#include <QWidget>

class QLabel;

namespace orvanta {

// "Image Viewer": one picture box that shows the preview of the open image. It does not block
// the main window.
class ImageViewer : public QWidget {
    Q_OBJECT

  public:
    explicit ImageViewer(QWidget* parent = nullptr);

    // Shows `picture` in a window of `windowSize` pixels centred on the screen.
    void showPicture(const QImage& picture, QSize windowSize);

  private:
    QLabel* picDisplay_;
};

}  // namespace orvanta
