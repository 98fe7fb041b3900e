// The picture viewer window.
#include "accessories/ImageViewer.h"

TImageViewerOfQarn::TImageViewerOfQarn(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("ImageViewerOfQarn");
    setWindowTitle(QStringLiteral("Image Viewer Of Qarn"));
    setGeometry(204, 213, 223, 229);
}
