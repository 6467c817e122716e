#include "ui/image_viewer.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace orvanta {

ImageViewer::ImageViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("imgeview");
    setWindowTitle("Image Viewer");
    picDisplay_ = new QLabel;
    picDisplay_->setObjectName("picDisplay");
    picDisplay_->setAlignment(Qt::AlignCenter);
    picDisplay_->setStyleSheet("background-color: white;");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picDisplay_);
}

void ImageViewer::showPicture(const QImage& picture, QSize windowSize) {
    picDisplay_->setPixmap(QPixmap::fromImage(picture));
    resize(windowSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - windowSize.width()) / 2,
             area.y() + (area.height() - windowSize.height()) / 2);
    }
    show();
    raise();
}

}  // namespace orvanta
