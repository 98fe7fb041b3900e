// The picture viewer window.
#pragma once

#include <QWidget>

class TImageViewerOfQarn : public QWidget {
    Q_OBJECT
public:
    explicit TImageViewerOfQarn(QWidget* parent = nullptr);
};
