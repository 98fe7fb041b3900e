// The About box.
#pragma once

#include <QWidget>

class TAboutQarn : public QWidget {
    Q_OBJECT
public:
    explicit TAboutQarn(QWidget* parent = nullptr);
};
